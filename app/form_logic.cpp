#include "app/form_logic.h"

#include <cerrno>
#include <charconv>
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
  return value;
}

std::string FormatReal(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

std::optional<FormField> ReadForm(const FormValues& form, TerrainJob& job) {
  job.heightMapPath = form.heightMapPath;
  const auto base = ParseReal(form.baseHeight);
  if (!base) {
    return FormField::kBaseHeight;
  }
  job.baseHeight = static_cast<float>(*base);
  const auto max = ParseReal(form.maxHeight);
  if (!max) {
    return FormField::kMaxHeight;
  }
  job.maxHeight = static_cast<float>(*max);
  job.minimapPath = form.minimapPath;
  job.outputPath = form.outputPath;
  job.texturingGuidePath = form.texturingGuidePath;
  job.randomizeTextures = form.randomize ? 1 : 0;
  job.filterGuidePath = form.filterGuidePath;
  job.filterRadius = form.filterRadius;
  job.interpolate = form.interpolate ? 1 : 0;
  job.dataFormat = form.dataFormat;
  return std::nullopt;
}

FormValues WriteForm(const TerrainJob& job) {
  FormValues form;
  form.heightMapPath = job.heightMapPath;
  form.baseHeight = FormatReal(job.baseHeight);
  form.maxHeight = FormatReal(job.maxHeight);
  form.minimapPath = job.minimapPath;
  form.outputPath = job.outputPath;
  form.texturingGuidePath = job.texturingGuidePath;
  form.randomize = job.randomizeTextures != 0;
  form.filterGuidePath = job.filterGuidePath;
  form.filterRadius = job.filterRadius;
  form.interpolate = job.interpolate != 0;
  form.dataFormat = job.dataFormat;
  return form;
}

ControlStates EnablingRules(const TerrainJob& job) {
  ControlStates states;
  states.heightControls = !job.heightMapPath.empty();
  states.randomize = !job.texturingGuidePath.empty();
  states.filterRadius = !job.filterGuidePath.empty();
  states.generate = !job.heightMapPath.empty() && !job.outputPath.empty();
  return states;
}

bool ApplyFormatPreset(TerrainJob& job) {
  if (job.dataFormat != k24BitHeightCoding) {
    return false;
  }
  job.baseHeight = -1000.0f;
  job.maxHeight = 9000.0f;
  job.interpolate = 0;
  return true;
}

void ApplySpinDelta(float& height, int delta) {
  height = static_cast<float>(static_cast<double>(height) - static_cast<double>(delta));
}

bool IsFlatTerrain(float baseHeight, float maxHeight) {
  return !(baseHeight < maxHeight) && !(baseHeight > maxHeight);
}

}  // namespace kem::app
