// Rules every front end applies to a project's settings in the same way: the
// flat-terrain question, the filter radius's bounds, the data formats' names
// and the 24-bit preset. The form and kem-cli both call these.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "core/project_settings.h"

namespace kem {

// Asked before a run whose height range is flat; the run goes ahead only when
// the user answers OK.
inline constexpr const char* kFlatTerrainQuestion =
    "The defined height range will result in absolutely flat terrain. Are you sure it's OK?";

// True when base and maximum height are equal, or either is not a number:
// such a range gives perfectly flat terrain.
inline bool IsFlatTerrain(const ProjectSettings& settings) {
  return !(settings.baseHeight < settings.maxHeight) && !(settings.baseHeight > settings.maxHeight);
}

// True when base and maximum height are finite numbers. The form and the
// command line take no other; a project file that holds one is refused, as
// its layout would hold heights that are no numbers.
inline bool HasFiniteHeights(const ProjectSettings& settings) {
  return std::isfinite(settings.baseHeight) && std::isfinite(settings.maxHeight);
}

// The filter radius the form's slider and kem-cli's --filter-radius accept,
// in boards around each marked board. A project file may hold any value.
inline constexpr std::int32_t kMinFilterRadius = 0;
inline constexpr std::int32_t kMaxFilterRadius = 8;

// The data formats in DataFormat order: the text the form's list shows (its
// spelling is the one users know) and the word kem-cli's --format takes.
struct DataFormatName {
  const char* label;
  const char* keyword;
};
inline constexpr int kDataFormatCount = 5;
inline constexpr std::array<DataFormatName, kDataFormatCount> kDataFormatNames = {{
    {"Spectrum colours", "spectrum"},
    {"Terrrain colour scale", "terrain"},
    {"Chroma depth colours", "chroma"},
    {"Grey scale", "grey"},
    {"24-bit height coding", "24bit"},
}};

// After a change of the data format: with 24-bit height coding sets the range
// to -1000 .. 9000 and clears interpolation, and returns true (the front end
// must show the new values); any other format changes nothing and returns
// false.
inline bool ApplyFormatPreset(ProjectSettings& settings) {
  if (settings.dataFormat != k24BitHeightCoding) {
    return false;
  }
  settings.baseHeight = -1000.0f;
  settings.maxHeight = 9000.0f;
  settings.interpolate = 0;
  return true;
}

}  // namespace kem
