// Colour analysis and height decoding of elevation pixels.
#pragma once

#include <cstdint>

#include "core/terrain_job.h"

namespace kem {

// Hue in degrees (0 to below 360, or exactly -1 for greys), saturation and
// value from 0 to 1.
struct HsvColour {
  float hue = 0.0f;
  float saturation = 0.0f;
  float value = 0.0f;
};

// HSV of a colour given as red, green, blue (0 to 255). Pure red, yellow,
// green, cyan, blue and magenta give exact hues at any brightness.
HsvColour RgbToHsv(int red, int green, int blue);

// Height per colour-code step for a data format (the nearest 32-bit float to
// 1/350, 1/129, 1/254, 1/100, 2^-24); 0 for an unknown format.
float HeightFactor(DataFormat dataFormat);

// True for the five data formats 0 to 4.
bool IsKnownDataFormat(DataFormat dataFormat);

// Height per colour-code step of a project: (maxHeight - baseHeight) x
// HeightFactor(dataFormat), in double and rounded once to a 32-bit float.
float HeightScale(const ProjectSettings& settings);

// True when a window pixel (bytes blue, green, red) is a colour of the
// format's scale rather than one that merely decodes to some height:
// - spectrum: every colour but the hues between magenta and red (above 300),
//   whose codes fall below the scale;
// - terrain colour scale: hues 0 to 131 (codes 131 down to 0); greys, which
//   have no hue, and hues above 131 are off the scale;
// - chroma depth: the six pure hues (two channels equal, the third different),
//   blue included; greys and mixed hues only fall into blue's band;
// - grey scale: greys (red = green = blue);
// - 24-bit height coding: every colour.
// False for an unknown format.
bool IsColourCode(DataFormat dataFormat, const std::uint8_t* pixel);

// Colour code of one window pixel (bytes blue, green, red) for a format.
double ColourCode(DataFormat dataFormat, const std::uint8_t* pixel);

// Height of one elevation pixel (bytes blue, green, red):
// code x job.heightScale + job.baseHeight, rounded once to a 32-bit float.
float DecodeHeight(const TerrainJob& job, const std::uint8_t* pixel);

// DecodeHeight of `count` pixels in a row (3 bytes each) into `heights`, the
// format looked at once rather than per pixel. The same bits as DecodeHeight.
void DecodeHeightRun(const TerrainJob& job, const std::uint8_t* pixels, int count, float* heights);

// How many of `count` pixels in a row (3 bytes each) are colour codes of the
// format (IsColourCode).
int CountColourCodes(DataFormat dataFormat, const std::uint8_t* pixels, int count);

}  // namespace kem
