#include "cli/job_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/project_rules.h"

namespace kem::cli {

namespace {

using TextField = std::string ProjectSettings::*;
using IntegerField = std::int32_t ProjectSettings::*;
using RealField = float ProjectSettings::*;

// An option that sets a path field to its text.
void AddPath(CLI::App& command, const char* name, JobOptions& options, TextField field,
             const char* help) {
  command
      .add_option_function<std::string>(
          name, [&options, field](const std::string& value) { options.Set(field, value); }, help)
      ->type_name("PATH");
}

// A pair of flags that switch a truth value on or off; giving both is an error.
void AddSwitch(CLI::App& command, const char* on, const char* off, JobOptions& options,
               IntegerField field, const char* help) {
  CLI::Option* onFlag = command.add_flag_callback(
      on, [&options, field] { options.Set(field, std::int32_t{1}); }, help);
  CLI::Option* offFlag =
      command.add_flag_callback(off, [&options, field] { options.Set(field, std::int32_t{0}); });
  onFlag->excludes(offFlag);
}

// "0 spectrum, 1 terrain, ..." when `numbered`, else "spectrum, terrain, ...
// or 24bit".
std::string FormatList(bool numbered) {
  std::string list;
  for (int format = 0; format < kDataFormatCount; ++format) {
    if (format > 0) {
      list += numbered || format + 1 < kDataFormatCount ? ", " : " or ";
    }
    if (numbered) {
      list += std::to_string(format) + " ";
    }
    list += kDataFormatNames[static_cast<std::size_t>(format)].keyword;
  }
  return list;
}

}  // namespace

std::optional<DataFormat> ParseDataFormat(const std::string& text) {
  std::string name = text;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (DataFormat format = 0; format < kDataFormatCount; ++format) {
    if (name == kDataFormatNames[static_cast<std::size_t>(format)].keyword ||
        name == std::to_string(format)) {
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
  if (first == last || result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

void AddJobOptions(CLI::App& command, JobOptions& options) {
  // As with most tools, an option given twice takes its last value.
  command.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  AddPath(command, "--height-map", options, &ProjectSettings::heightMapPath,
          "Elevation image (Targa)");
  command
      .add_option_function<std::string>(
          "--format",
          [&options](const std::string& value) {
            const std::optional<DataFormat> format = ParseDataFormat(value);
            if (!format) {
              throw CLI::ValidationError(
                  "--format", "expected 0 to " + std::to_string(kDataFormatCount - 1) + ", " +
                                  FormatList(false) + ", not '" + value + "'");
            }
            options.Set(&ProjectSettings::dataFormat, *format);
          },
          "Colour coding of the elevation image: " + FormatList(true))
      ->type_name("N");
  const auto addHeight = [&command, &options](const char* name, RealField field, const char* help) {
    command
        .add_option_function<std::string>(
            name,
            [name, field, &options](const std::string& value) {
              const std::optional<float> height = ParseHeight(value);
              if (!height) {
                throw CLI::ValidationError(name, "expected a finite number, not '" + value + "'");
              }
              options.Set(field, *height);
            },
            help)
        ->type_name("H");
  };
  addHeight("--base-height", &ProjectSettings::baseHeight, "Height of the lowest colour code");
  addHeight("--max-height", &ProjectSettings::maxHeight, "Height of the highest colour code");
  AddSwitch(command, "--interpolate", "--no-interpolate", options, &ProjectSettings::interpolate,
            "Smooth the heights (--no-interpolate: do not)");
  AddPath(command, "--minimap", options, &ProjectSettings::minimapPath,
          "Alternate image for the minimap pictures");
  AddPath(command, "--texturing-guide", options, &ProjectSettings::texturingGuidePath,
          "Texturing guide image (uses textures.txt)");
  AddSwitch(command, "--randomize", "--no-randomize", options, &ProjectSettings::randomizeTextures,
            "Vary textured vertices at random (--no-randomize: do not)");
  AddPath(command, "--filter-guide", options, &ProjectSettings::filterGuidePath,
          "Filter guide image: only boards near its marker pixels are generated");
  command
      .add_option_function<std::int32_t>(
          "--filter-radius",
          [&options](std::int32_t value) { options.Set(&ProjectSettings::filterRadius, value); },
          "Radius in boards around each marked board, " + std::to_string(kMinFilterRadius) +
              " to " + std::to_string(kMaxFilterRadius))
      ->type_name("N")
      ->check(CLI::Range(kMinFilterRadius, kMaxFilterRadius));
  AddPath(command, "--output", options, &ProjectSettings::outputPath,
          "Layout file to write (.gnd)");
  command.add_flag("--yes,-y", options.yes, "Answer OK to the flat-terrain question");
}

void ApplyJobOptions(const JobOptions& options, ProjectSettings& settings) {
  for (std::size_t i = 0; i < kProjectFieldCount; ++i) {
    if (options.given[i]) {
      CopyProjectField(i, options.values, settings);
    }
  }
}

}  // namespace kem::cli
