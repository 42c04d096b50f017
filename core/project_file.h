// Project files: the fourteen fields of ProjectSettings, back to back in the
// order of kProjectFields, with no magic number, version or checksum.
// Integers are 32-bit and reals 32-bit IEEE floats, both
// little-endian. A string is its length followed by its bytes, with no
// terminator; the length takes one byte below 255, the byte 0xFF and 16 bits
// up to 65533, and 0xFF, 0xFFFF and 32 bits from 65534 on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/project_settings.h"

namespace kem {

// The largest project file LoadProjectFile reads. Real projects hold five
// paths and take a few hundred bytes.
inline constexpr std::size_t kMaxProjectFileSize = 16u << 20;

// The bytes of the project file for `settings`. A new project gives 41 bytes.
std::vector<std::uint8_t> EncodeProject(const ProjectSettings& settings);

// Reads the fourteen fields from `bytes` into `settings`. Returns false,
// leaving every field as it was, when the data ends before the last field
// or a string runs past the end. Bytes after the last field are ignored.
// Values are not range-checked: a project may hold any format or radius.
bool DecodeProject(std::span<const std::uint8_t> bytes, ProjectSettings& settings);

// Writes the project file for `settings` to `path`. The file is written beside
// `path` under a temporary name and renamed over it only when complete, so a
// failed save leaves an existing project untouched. Returns true on success.
bool SaveProjectFile(const std::string& path, const ProjectSettings& settings);

// Reads the project file at `path` into `settings` (see DecodeProject).
// Returns false, with the settings unchanged, when the file cannot be opened or read, is
// larger than kMaxProjectFileSize, or does not hold all fourteen fields.
bool LoadProjectFile(const std::string& path, ProjectSettings& settings);

// The fourteen fields in file order, one "name: value" line each, named as
// in kProjectFields (for instance "heightMapPath: /maps/vale.tga"). Reals are
// written in their shortest exact form.
std::string DescribeProject(const ProjectSettings& settings);

}  // namespace kem
