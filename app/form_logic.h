// What the project form does with a project's settings, free of any toolkit:
// the order in which the form's eleven fields are exchanged with them, how a
// height text is read and written, which controls are enabled and the spin
// arithmetic. The rules kem-cli shares (flat terrain, the 24-bit preset, the
// formats' names, the radius's bounds) are in core/project_rules.h.
#pragma once

#include <optional>
#include <string>

#include "core/project_rules.h"
#include "core/project_settings.h"

namespace kem::app {

// The form's fields in exchange order.
enum class FormField {
  kHeightMapPath,
  kBaseHeight,
  kMaxHeight,
  kMinimapPath,
  kOutputPath,
  kTexturingGuidePath,
  kRandomize,
  kFilterGuidePath,
  kFilterRadius,
  kInterpolate,
  kDataFormat,
};
inline constexpr int kFormFieldCount = 11;

// The contents of the form's controls: texts as shown, ticks, the trackbar's
// thumb and the selected format (-1 when none).
struct FormValues {
  std::string heightMapPath;
  std::string baseHeight;
  std::string maxHeight;
  std::string minimapPath;
  std::string outputPath;
  std::string texturingGuidePath;
  bool randomize = false;
  std::string filterGuidePath;
  int filterRadius = 0;
  bool interpolate = false;
  int dataFormat = -1;
};

// Parses a height box: optional blanks, a decimal number (a point for the
// decimals, an optional sign, an exponent; whatever the user's locale),
// optional blanks, nothing else. A text that converts to 0 must start with the
// digit 0, so "", "-" and "-0" are not numbers; nor are "nan", "inf", hex and
// values too large for a finite 32-bit real.
std::optional<double> ParseReal(const std::string& text);

// True when `text` is the start of a number that more typing can complete:
// "", "-", "+", ".", "-.", "12e", "12e-" (and every number). Leading blanks
// are allowed, nothing after the number's last character.
bool CanBecomeNumber(const std::string& text);

// The text a height box shows for `value`: up to six significant digits,
// "12.5", "-1000", "9000".
std::string FormatReal(float value);

// How strictly a read takes the height boxes.
enum class ReadMode {
  kComplete,     // every height must be a number (focus left, Generate, Save)
  kWhileTyping,  // a height that can still become one is skipped, keeping its value
};

// Reads the form into the settings field by field in exchange order. Returns the
// first height field whose text is not a number, or nothing when all eleven
// were read. A complete read stops there (the settings keep their values for
// it and every field after it); while typing, the field keeps its value and
// the rest of the form is still read.
std::optional<FormField> ReadForm(const FormValues& form, ProjectSettings& settings,
                                  ReadMode mode = ReadMode::kComplete);

// The form's contents for `settings`.
FormValues WriteForm(const ProjectSettings& settings);

// Which controls the form enables for the project's paths; a path counts as
// present when it is not empty.
struct ControlStates {
  bool heightControls = false;  // format, Interpolate, both height boxes and spins
  bool randomize = false;
  bool filterRadius = false;
  bool generate = false;
};
ControlStates EnablingRules(const ProjectSettings& settings);

// What a change from `before` to `after` is called in Edit > Undo: the label
// of the one form field it changed ("Base height", "Filter radius"), or
// "Changes" when it changed several (a format preset) and "" for none.
std::string ChangeName(const ProjectSettings& before, const ProjectSettings& after);

// The problem a height box shows for `text`, "Base height: not a number", or
// nothing. While the box is being typed into (`typing`), a text that more
// typing can make a number is none yet.
std::optional<std::string> HeightBoxProblem(const std::string& label, const std::string& text,
                                            bool typing);

// A spin arrow about to move by `delta`: the height goes down by `delta`
// (the up arrow notifies -1, so it raises the height by one).
void ApplySpinDelta(float& height, int delta);

}  // namespace kem::app
