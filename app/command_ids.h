// Command, control and help context numbers of the desktop application.
//
// The form's controls keep the numbers of the project form so that help
// context numbers and tests can name them. Framework commands (New, Open,
// Save, Exit, About, Help) use wxWidgets' stock identifiers, because the
// document manager and the native menus know those.
#pragma once

#include <cstdint>

namespace kem::app {

// Commands of our own. wxWidgets takes menu and window numbers below 0x7FFF
// only, so the program's command numbers (Generate 32771, Convert 32772) and
// the framework's (help, panes, status bar) are given numbers in that range;
// kGenerateCommand keeps the Generate command's own number for its help
// context.
inline constexpr int kGenerateCommand = 32771;
inline constexpr int kIdGenerate = 7771;
inline constexpr int kIdConvert = 7772;
inline constexpr int kIdConvertRaster = 7773;
inline constexpr int kIdOpenFolder = 7774;  // the folder of the layout last written
inline constexpr int kIdDefaultHelp = 7671;
inline constexpr int kIdWhatsThis = 7672;
inline constexpr int kIdNextPane = 7680;
inline constexpr int kIdPrevPane = 7681;
inline constexpr int kIdViewStatusBar = 7393;
inline constexpr int kIdRefreshPreview = 7394;
inline constexpr int kIdZoomIn = 7395;
inline constexpr int kIdZoomOut = 7396;
inline constexpr int kIdZoomFit = 7397;

// Project form (template 101).
inline constexpr int kFormTemplate = 101;
inline constexpr int kIdHeightMapPath = 1002;
inline constexpr int kIdPickHeightMap = 1003;
inline constexpr int kIdMinimapPath = 1004;
inline constexpr int kIdBaseHeight = 1005;
inline constexpr int kIdBaseHeightSpin = 1006;
inline constexpr int kIdMaxHeight = 1007;
inline constexpr int kIdMaxHeightSpin = 1008;
inline constexpr int kIdPickMinimap = 1009;
inline constexpr int kIdOutputPath = 1010;
inline constexpr int kIdPickOutput = 1011;
inline constexpr int kIdTexturingGuidePath = 1012;
inline constexpr int kIdPickTexturingGuide = 1013;
inline constexpr int kIdRandomize = 1014;
inline constexpr int kIdFilterGuidePath = 1015;
inline constexpr int kIdPickFilterGuide = 1016;
inline constexpr int kIdFilterRadius = 1017;
inline constexpr int kIdDataFormat = 1021;
inline constexpr int kIdInterpolate = 1022;

// The preview pane beside the form. It is no control of the form, but its
// help topic is found the same way, by a number of the same kind.
inline constexpr int kIdPreviewPane = 1030;

// Help context of a form control: 0x8000 | form template in the high half,
// the control's number in the low half (0x806503EA for the height map box).
constexpr std::uint32_t FormControlHelpContext(int controlId) {
  return (static_cast<std::uint32_t>(0x8000 | kFormTemplate) << 16) |
         static_cast<std::uint32_t>(controlId & 0xFFFF);
}

}  // namespace kem::app
