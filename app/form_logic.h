// What the project form does with a TerrainJob, free of any toolkit: the
// order in which the form's eleven fields are exchanged with the job, how a
// height text is read and written, which controls are enabled, the 24-bit
// preset, the spin arithmetic and the flat-terrain check.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/terrain_job.h"

namespace kem::app {

// The form's fields in exchange order; a read stops at the first height box
// whose text is not a number, and the fields after it keep their job values.
enum class FormField {
  kHeightMapPath,
  kBaseHeight,
  kMaxHeight,
  kMinimapPath,
  kOutputPath,
  kTexturingGuidePath,
  kRandomize,
  kFilterGuidePath,
  kFilterRadius,
  kInterpolate,
  kDataFormat,
};
inline constexpr int kFormFieldCount = 11;

// The control that shows each field, in exchange order.
inline constexpr std::array<int, kFormFieldCount> kFormFieldControls = {
    1002, 1005, 1007, 1004, 1010, 1012, 1014, 1015, 1017, 1022, 1021};

// The contents of the form's controls: texts as shown, ticks, the trackbar's
// thumb and the selected format (-1 when none).
struct FormValues {
  std::string heightMapPath;
  std::string baseHeight;
  std::string maxHeight;
  std::string minimapPath;
  std::string outputPath;
  std::string texturingGuidePath;
  bool randomize = false;
  std::string filterGuidePath;
  int filterRadius = 0;
  bool interpolate = false;
  int dataFormat = -1;
};

// Parses a height box: optional blanks, a decimal number as strtod reads it
// in the C locale, optional blanks, nothing else. A text that converts to 0
// must start with the digit 0, so "", "-" and "-0" are not numbers; "nan"
// and "inf" are.
std::optional<double> ParseReal(const std::string& text);

// The text a height box shows for `value`: up to six significant digits,
// "12.5", "-1000", "9000".
std::string FormatReal(float value);

// Reads the form into the job field by field in exchange order. Returns the
// first height field whose text is not a number (the job keeps its value for
// it and for every field after it), or nothing when all eleven were read.
std::optional<FormField> ReadForm(const FormValues& form, TerrainJob& job);

// The form's contents for `job`.
FormValues WriteForm(const TerrainJob& job);

// Which controls the form enables for the job's paths; a path counts as
// present when it is not empty.
struct ControlStates {
  bool heightControls = false;  // format, Interpolate, both height boxes and spins
  bool randomize = false;
  bool filterRadius = false;
  bool generate = false;
};
ControlStates EnablingRules(const TerrainJob& job);

// After a change of the data format: with "24-bit height coding" sets the
// range to -1000 .. 9000 and clears Interpolate, and returns true (the form
// must be written); any other format leaves the job alone and returns false.
bool ApplyFormatPreset(TerrainJob& job);

// A spin arrow about to move by `delta`: the height goes down by `delta`
// (the up arrow notifies -1, so it raises the height by one).
void ApplySpinDelta(float& height, int delta);

// True when base and maximum height are equal, or either is not a number:
// such a range gives perfectly flat terrain.
bool IsFlatTerrain(float baseHeight, float maxHeight);

}  // namespace kem::app
