// The options that set a project's fields on the command line, shared by
// `generate` and `project new`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/terrain_job.h"

namespace CLI {
class App;
}

namespace kem::cli {

// Each field is set only when its option was given.
struct JobOptions {
  std::optional<std::string> heightMapPath;
  std::optional<DataFormat> dataFormat;
  std::optional<float> baseHeight;
  std::optional<float> maxHeight;
  std::optional<std::int32_t> interpolate;
  std::optional<std::string> minimapPath;
  std::optional<std::string> texturingGuidePath;
  std::optional<std::int32_t> randomizeTextures;
  std::optional<std::string> filterGuidePath;
  std::optional<std::int32_t> filterRadius;
  std::optional<std::string> outputPath;
  bool yes = false;  // answers OK to the flat-terrain question
};

// Adds --height-map, --format, --base-height, --max-height,
// --interpolate/--no-interpolate, --minimap, --texturing-guide,
// --randomize/--no-randomize, --filter-guide, --filter-radius, --output and
// --yes to `command`, filling `options` while the command line is parsed.
// Malformed values are usage errors.
void AddJobOptions(CLI::App& command, JobOptions& options);

// Overrides the job's fields with the options that were given.
void ApplyJobOptions(const JobOptions& options, TerrainJob& job);

// The data format named by `text`: a number 0 to 4 or one of spectrum,
// terrain, chroma, grey, 24bit (any case).
std::optional<DataFormat> ParseDataFormat(const std::string& text);

// A height as a 32-bit float, correctly rounded from the decimal text; the
// whole text must be a number.
std::optional<float> ParseHeight(const std::string& text);

}  // namespace kem::cli
