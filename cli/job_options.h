// The options that set a project's fields on the command line, shared by
// `generate` and `project new`.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "core/project_settings.h"

namespace CLI {
class App;
}

namespace kem::cli {

// The fields given on the command line, to override a project's.
struct JobOptions {
  ProjectSettings values;                        // the value of each field given
  std::array<bool, kProjectFieldCount> given{};  // by position in kProjectFields
  bool yes = false;                              // answers OK to the flat-terrain question

  // Records `value` for the field `member`.
  template <typename Value>
  void Set(Value ProjectSettings::*member, Value value) {
    values.*member = std::move(value);
    given[ProjectFieldIndex(member)] = true;
  }
};

// Adds --height-map, --format, --base-height, --max-height,
// --interpolate/--no-interpolate, --minimap, --texturing-guide,
// --randomize/--no-randomize, --filter-guide, --filter-radius, --output and
// --yes to `command`, filling `options` while the command line is parsed.
// Malformed values are usage errors.
void AddJobOptions(CLI::App& command, JobOptions& options);

// Overrides the fields of `settings` that were given as options.
void ApplyJobOptions(const JobOptions& options, ProjectSettings& settings);

// The data format named by `text`: a number 0 to 4 or one of spectrum,
// terrain, chroma, grey, 24bit (any case).
std::optional<DataFormat> ParseDataFormat(const std::string& text);

// A height as a 32-bit float, correctly rounded from the decimal text; the
// whole text must be a number, and a finite one: "inf", "nan" and values
// beyond the float range are refused.
std::optional<float> ParseHeight(const std::string& text);

}  // namespace kem::cli
