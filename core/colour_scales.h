// The numbers of the colour analysis and of the five colour codings, shared by
// the plain height decoding (colour.cpp) and its vector form
// (board_heights_decoding.inc), which must compute with the same values.
#pragma once

namespace kem {

// Channels are scaled to 0..1 by the nearest 32-bit float to 1/255
// (0.003921569), as a multiplier.
inline constexpr float kChannelScale = 1.0f / 255.0f;

// Hue: 60 degrees per sector, the green and blue maxima starting sectors 2 and
// 4; negative hues are brought into 0..360; greys have the hue -1.
inline constexpr double kDegreesPerSector = 60.0;
inline constexpr double kGreenSector = 2.0;
inline constexpr double kBlueSector = 4.0;
inline constexpr double kFullCircle = 360.0;
inline constexpr float kGreyHue = -1.0f;

// Spectrum: code 300 - hue, reaching 0 at magenta; greys and pure red (hue 0)
// code 400 - 100 x value.
inline constexpr float kSpectrumTopHue = 300.0f;
inline constexpr double kSpectrumGreyTop = 400.0;
// Spectrum greys and the grey scale: 100 steps from black to white.
inline constexpr double kValueSteps = 100.0;

// Terrain colour scale: code 131 - hue, reaching 0 at hue 131.
inline constexpr float kTerrainScaleTopHue = 131.0f;

// Chroma depth: bands of the pure hues (blue 240 has none), plus half of how
// far the brightest channel lies from 136.
inline constexpr int kMagentaBand = 213;
inline constexpr int kRedBand = 171;
inline constexpr int kYellowBand = 128;
inline constexpr int kGreenBand = 85;
inline constexpr int kCyanBand = 43;
inline constexpr int kChromaBrightnessCentre = 136;

}  // namespace kem
