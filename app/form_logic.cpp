#include "app/form_logic.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include <locale.h>
#include <clocale>

namespace kem::app {
namespace {

// strtod in the C locale, whatever locale the toolkit has set for the user.
double StrtodC(const char* text, char** end) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return strtod_l(text, end, cLocale);
}

// The least magnitude that rounds to an infinite 32-bit float: the largest
// float plus half its last step.
constexpr double kFloatRoundingLimit = 0x1.ffffffp127;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::optional<double> ParseReal(const std::string& text) {
  const char* p = text.c_str();
  while (IsBlank(*p)) {
    ++p;
  }
  const char first = *p;
  char* end = nullptr;
  const double value = StrtodC(p, &end);
  if (value == 0.0 && first != '0') {
    return std::nullopt;
  }
  p = end;
  while (IsBlank(*p)) {
    ++p;
  }
  if (*p != '\0' || p != text.c_str() + text.size()) {
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
  if (!readHeight(form.baseHeight, settings.baseHeight)) {
    return FormField::kBaseHeight;
  }
  if (!readHeight(form.maxHeight, settings.maxHeight)) {
    return FormField::kMaxHeight;
  }
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
