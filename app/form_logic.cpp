#include "app/form_logic.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace kem::app {
namespace {

// The least magnitude that rounds to an infinite 32-bit float: the largest
// float plus half its last step.
constexpr double kFloatRoundingLimit = 0x1.ffffffp127;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::optional<double> ParseReal(const std::string& text) {
  // from_chars reads the same way whatever locale the toolkit has set for the
  // user: a point for the decimals, no hex.
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end && IsBlank(*p)) {
    ++p;
  }
  const char first = p != end ? *p : '\0';
  // A plus sign is allowed before the number; from_chars does not take one.
  if (first == '+' && p + 1 != end && p[1] != '-' && p[1] != '+') {
    ++p;
  }
  double value = 0.0;
  const auto [stop, error] = std::from_chars(p, end, value);
  if (error != std::errc() || (value == 0.0 && first != '0')) {
    return std::nullopt;
  }
  p = stop;
  while (p != end && IsBlank(*p)) {
    ++p;
  }
  if (p != end) {
    return std::nullopt;
  }
  // The height is kept as a 32-bit real: what would not be a finite one is
  // no number for the form.
  if (!(std::fabs(value) < kFloatRoundingLimit)) {
    return std::nullopt;
  }
  return value;
}

std::string FormatReal(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

std::optional<FormField> ReadForm(const FormValues& form, ProjectSettings& settings) {
  settings.heightMapPath = form.heightMapPath;
  const auto base = ParseReal(form.baseHeight);
  if (!base) {
    return FormField::kBaseHeight;
  }
  settings.baseHeight = static_cast<float>(*base);
  const auto max = ParseReal(form.maxHeight);
  if (!max) {
    return FormField::kMaxHeight;
  }
  settings.maxHeight = static_cast<float>(*max);
  settings.minimapPath = form.minimapPath;
  settings.outputPath = form.outputPath;
  settings.texturingGuidePath = form.texturingGuidePath;
  settings.randomizeTextures = form.randomize ? 1 : 0;
  settings.filterGuidePath = form.filterGuidePath;
  settings.filterRadius = form.filterRadius;
  settings.interpolate = form.interpolate ? 1 : 0;
  settings.dataFormat = form.dataFormat;
  return std::nullopt;
}

FormValues WriteForm(const ProjectSettings& settings) {
  FormValues form;
  form.heightMapPath = settings.heightMapPath;
  form.baseHeight = FormatReal(settings.baseHeight);
  form.maxHeight = FormatReal(settings.maxHeight);
  form.minimapPath = settings.minimapPath;
  form.outputPath = settings.outputPath;
  form.texturingGuidePath = settings.texturingGuidePath;
  form.randomize = settings.randomizeTextures != 0;
  form.filterGuidePath = settings.filterGuidePath;
  form.filterRadius = settings.filterRadius;
  form.interpolate = settings.interpolate != 0;
  form.dataFormat = settings.dataFormat;
  return form;
}

ControlStates EnablingRules(const ProjectSettings& settings) {
  ControlStates states;
  states.heightControls = !settings.heightMapPath.empty();
  states.randomize = !settings.texturingGuidePath.empty();
  states.filterRadius = !settings.filterGuidePath.empty();
  states.generate = !settings.heightMapPath.empty() && !settings.outputPath.empty();
  return states;
}

void ApplySpinDelta(float& height, int delta) {
  height = static_cast<float>(static_cast<double>(height) - static_cast<double>(delta));
}

}  // namespace kem::app
