// ProjectSettings: the fourteen persisted fields of a terrain project, as the
// front ends edit them and a generation run reads them. A plain value: its
// default is a new project, it copies and compares like any value.
//
// kProjectFields lists the fields once, in project file order; the project
// file codec, `kem-cli project show` and kem-cli's option overrides all walk
// that list rather than naming the fields themselves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

namespace kem {

// Colour coding of the elevation image, in the order the form lists them.
using DataFormat = std::int32_t;
inline constexpr DataFormat kSpectrumColours = 0;
inline constexpr DataFormat kTerrainColourScale = 1;
inline constexpr DataFormat kChromaDepthColours = 2;
inline constexpr DataFormat kGreyScale = 3;
inline constexpr DataFormat k24BitHeightCoding = 4;

// A new project: empty paths, heights 0, filter radius 2, chroma depth
// colours, interpolation on, everything else 0.
struct ProjectSettings {
  std::string heightMapPath;
  std::int32_t reservedA = 0;
  std::string minimapPath;
  std::int32_t reservedB = 0;
  std::int32_t randomizeTextures = 0;
  std::string texturingGuidePath;
  std::int32_t reservedC = 0;
  std::int32_t filterRadius = 2;
  std::string filterGuidePath;
  std::string outputPath;
  float baseHeight = 0.0f;
  float maxHeight = 0.0f;
  DataFormat dataFormat = kChromaDepthColours;
  std::int32_t interpolate = 1;

  bool operator==(const ProjectSettings&) const = default;
};

// One persisted field: its name (as `project show` prints it) and where it
// lives; the member's type is the field's kind (text, 32-bit integer, real).
struct ProjectField {
  using Member = std::variant<std::string ProjectSettings::*, std::int32_t ProjectSettings::*,
                              float ProjectSettings::*>;
  const char* name;
  Member member;
};

inline constexpr std::size_t kProjectFieldCount = 14;

// Every persisted field, in project file order.
inline constexpr std::array<ProjectField, kProjectFieldCount> kProjectFields = {{
    {"heightMapPath", &ProjectSettings::heightMapPath},
    {"reservedA", &ProjectSettings::reservedA},
    {"minimapPath", &ProjectSettings::minimapPath},
    {"reservedB", &ProjectSettings::reservedB},
    {"randomizeTextures", &ProjectSettings::randomizeTextures},
    {"texturingGuidePath", &ProjectSettings::texturingGuidePath},
    {"reservedC", &ProjectSettings::reservedC},
    {"filterRadius", &ProjectSettings::filterRadius},
    {"filterGuidePath", &ProjectSettings::filterGuidePath},
    {"outputPath", &ProjectSettings::outputPath},
    {"baseHeight", &ProjectSettings::baseHeight},
    {"maxHeight", &ProjectSettings::maxHeight},
    {"dataFormat", &ProjectSettings::dataFormat},
    {"interpolate", &ProjectSettings::interpolate},
}};

// Calls `visit(settings.*member)` for each field in file order, with the
// field's name first: visit(name, value). `Settings` is ProjectSettings or
// const ProjectSettings.
template <typename Settings, typename Visitor>
void ForEachProjectField(Settings& settings, Visitor&& visit) {
  for (const ProjectField& field : kProjectFields) {
    std::visit([&](auto member) { visit(field.name, settings.*member); }, field.member);
  }
}

// The position of `member` in kProjectFields, or kProjectFieldCount when it
// is not a persisted field.
template <typename Value>
std::size_t ProjectFieldIndex(Value ProjectSettings::*member) {
  for (std::size_t i = 0; i < kProjectFieldCount; ++i) {
    const auto* held = std::get_if<Value ProjectSettings::*>(&kProjectFields[i].member);
    if (held != nullptr && *held == member) {
      return i;
    }
  }
  return kProjectFieldCount;
}

// Copies field `index` of kProjectFields from `from` to `to`.
void CopyProjectField(std::size_t index, const ProjectSettings& from, ProjectSettings& to);

}  // namespace kem
