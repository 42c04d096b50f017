#include "cli/job_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kem::cli {

namespace {

constexpr const char* kFormatNames[] = {"spectrum", "terrain", "chroma", "grey", "24bit"};

// An option that stores its text in `target` when given.
void AddPath(CLI::App& command, const char* name, std::optional<std::string>& target,
             const char* help) {
  command
      .add_option_function<std::string>(
          name, [&target](const std::string& value) { target = value; }, help)
      ->type_name("PATH");
}

// A pair of flags that switch a truth value on or off; giving both is an error.
void AddSwitch(CLI::App& command, const char* on, const char* off,
               std::optional<std::int32_t>& target, const char* help) {
  CLI::Option* onFlag = command.add_flag_callback(
      on, [&target] { target = 1; }, help);
  CLI::Option* offFlag = command.add_flag_callback(off, [&target] { target = 0; });
  onFlag->excludes(offFlag);
}

}  // namespace

std::optional<DataFormat> ParseDataFormat(const std::string& text) {
  std::string name = text;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (DataFormat format = 0; format < 5; ++format) {
    if (name == kFormatNames[format] || name == std::to_string(format)) {
      return format;
    }
  }
  return std::nullopt;
}

std::optional<float> ParseHeight(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') {
    ++first;
  }
  float value = 0.0f;
  const auto result = std::from_chars(first, last, value);
  if (first == last || result.ec != std::errc() || result.ptr != last) {
    return std::nullopt;
  }
  return value;
}

void AddJobOptions(CLI::App& command, JobOptions& options) {
  // As with most tools, an option given twice takes its last value.
  command.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  AddPath(command, "--height-map", options.heightMapPath, "Elevation image (Targa)");
  command
      .add_option_function<std::string>(
          "--format",
          [&options](const std::string& value) {
            options.dataFormat = ParseDataFormat(value);
            if (!options.dataFormat) {
              throw CLI::ValidationError("--format",
                                         "expected 0 to 4, spectrum, terrain, chroma, grey "
                                         "or 24bit, not '" +
                                             value + "'");
            }
          },
          "Colour coding of the elevation image: 0 spectrum, 1 terrain, 2 chroma, 3 grey, "
          "4 24bit")
      ->type_name("N");
  const auto addHeight = [&command](const char* name, std::optional<float>& target,
                                    const char* help) {
    command
        .add_option_function<std::string>(
            name,
            [name, &target](const std::string& value) {
              target = ParseHeight(value);
              if (!target) {
                throw CLI::ValidationError(name, "expected a number, not '" + value + "'");
              }
            },
            help)
        ->type_name("H");
  };
  addHeight("--base-height", options.baseHeight, "Height of the lowest colour code");
  addHeight("--max-height", options.maxHeight, "Height of the highest colour code");
  AddSwitch(command, "--interpolate", "--no-interpolate", options.interpolate,
            "Smooth the heights (--no-interpolate: do not)");
  AddPath(command, "--minimap", options.minimapPath, "Alternate image for the minimap pictures");
  AddPath(command, "--texturing-guide", options.texturingGuidePath,
          "Texturing guide image (uses textures.txt)");
  AddSwitch(command, "--randomize", "--no-randomize", options.randomizeTextures,
            "Vary textured vertices at random (--no-randomize: do not)");
  AddPath(command, "--filter-guide", options.filterGuidePath,
          "Filter guide image: only boards near its marker pixels are generated");
  command
      .add_option_function<std::int32_t>(
          "--filter-radius", [&options](std::int32_t value) { options.filterRadius = value; },
          "Radius in boards around each marked board, 0 to 8")
      ->type_name("N")
      ->check(CLI::Range(0, 8));
  AddPath(command, "--output", options.outputPath, "Layout file to write (.gnd)");
  command.add_flag("--yes,-y", options.yes, "Answer OK to the flat-terrain question");
}

void ApplyJobOptions(const JobOptions& options, TerrainJob& job) {
  if (options.heightMapPath) {
    job.heightMapPath = *options.heightMapPath;
  }
  if (options.dataFormat) {
    job.dataFormat = *options.dataFormat;
  }
  if (options.baseHeight) {
    job.baseHeight = *options.baseHeight;
  }
  if (options.maxHeight) {
    job.maxHeight = *options.maxHeight;
  }
  if (options.interpolate) {
    job.interpolate = *options.interpolate;
  }
  if (options.minimapPath) {
    job.minimapPath = *options.minimapPath;
  }
  if (options.texturingGuidePath) {
    job.texturingGuidePath = *options.texturingGuidePath;
  }
  if (options.randomizeTextures) {
    job.randomizeTextures = *options.randomizeTextures;
  }
  if (options.filterGuidePath) {
    job.filterGuidePath = *options.filterGuidePath;
  }
  if (options.filterRadius) {
    job.filterRadius = *options.filterRadius;
  }
  if (options.outputPath) {
    job.outputPath = *options.outputPath;
  }
}

}  // namespace kem::cli
