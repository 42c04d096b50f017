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

// Colour code of one window pixel (bytes blue, green, red) for a format.
double ColourCode(DataFormat dataFormat, const std::uint8_t* pixel);

// Height of one elevation pixel (bytes blue, green, red):
// code x job.heightScale + job.baseHeight, rounded once to a 32-bit float.
float DecodeHeight(const TerrainJob& job, const std::uint8_t* pixel);

}  // namespace kem
