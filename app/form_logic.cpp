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

bool CanBecomeNumber(const std::string& text) {
  std::size_t i = 0;
  auto skip = [&](auto accepts) {
    while (i < text.size() && accepts(text[i])) {
      ++i;
    }
  };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  auto isSign = [](char c) { return c == '+' || c == '-'; };
  skip(IsBlank);
  if (i < text.size() && isSign(text[i])) {
    ++i;
  }
  skip(isDigit);
  if (i < text.size() && text[i] == '.') {
    ++i;
    skip(isDigit);
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && isSign(text[i])) {
      ++i;
    }
    skip(isDigit);
  }
  return i == text.size();
}

std::string FormatReal(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

std::optional<FormField> ReadForm(const FormValues& form, ProjectSettings& settings,
                                  ReadMode mode) {
  settings.heightMapPath = form.heightMapPath;
  // A height being typed keeps the old value until its text is a number.
  const auto readHeight = [mode](const std::string& text, float& height) {
    if (const auto value = ParseReal(text)) {
      height = static_cast<float>(*value);
      return true;
    }
    return mode == ReadMode::kWhileTyping && CanBecomeNumber(text);
  };
  // While typing, a box with no number is only reported: the fields after it
  // are still taken, so that nothing typed elsewhere is held back by it.
  std::optional<FormField> bad;
  if (!readHeight(form.baseHeight, settings.baseHeight)) {
    bad = FormField::kBaseHeight;
    if (mode == ReadMode::kComplete) {
      return bad;
    }
  }
  if (!readHeight(form.maxHeight, settings.maxHeight)) {
    bad = bad ? bad : FormField::kMaxHeight;
    if (mode == ReadMode::kComplete) {
      return bad;
    }
  }
  settings.minimapPath = form.minimapPath;
  settings.outputPath = form.outputPath;
  settings.texturingGuidePath = form.texturingGuidePath;
  settings.randomizeTextures = form.randomize ? 1 : 0;
  settings.filterGuidePath = form.filterGuidePath;
  settings.filterRadius = form.filterRadius;
  settings.interpolate = form.interpolate ? 1 : 0;
  settings.dataFormat = form.dataFormat;
  return bad;
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

std::string ChangeName(const ProjectSettings& before, const ProjectSettings& after) {
  struct Labelled {
    const char* label;
    bool changed;
  };
  const Labelled fields[] = {
      {"Height map", before.heightMapPath != after.heightMapPath},
      {"Data format", before.dataFormat != after.dataFormat},
      {"Interpolate", before.interpolate != after.interpolate},
      {"Base height", before.baseHeight != after.baseHeight},
      {"Max. height", before.maxHeight != after.maxHeight},
      {"Minimap source", before.minimapPath != after.minimapPath},
      {"Texturing guide", before.texturingGuidePath != after.texturingGuidePath},
      {"Randomize", before.randomizeTextures != after.randomizeTextures},
      {"Filter guide", before.filterGuidePath != after.filterGuidePath},
      {"Filter radius", before.filterRadius != after.filterRadius},
      {"Output file", before.outputPath != after.outputPath},
  };
  std::string name;
  for (const Labelled& field : fields) {
    if (field.changed) {
      if (!name.empty()) {
        return "Changes";
      }
      name = field.label;
    }
  }
  return name;
}

std::optional<std::string> HeightBoxProblem(const std::string& label, const std::string& text,
                                            bool typing) {
  if (ParseReal(text) || (typing && CanBecomeNumber(text))) {
    return std::nullopt;
  }
  return label + ": not a number";
}

}  // namespace kem::app
