// The project form's rules without a screen: reading heights, the exchange
// order and where a bad height stops it, enabling, the 24-bit preset, the
// spin arithmetic and the flat-terrain check.
#include "app/form_logic.h"

#include <cmath>

#include <gtest/gtest.h>
#include <ostream>

namespace kem::app {
namespace {

struct RealCase {
  const char* text;
  bool isNumber;
  double value;
};

void PrintTo(const RealCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class FormLogicParseReal : public testing::TestWithParam<RealCase> {};

TEST_P(FormLogicParseReal, ReadsAHeightLikeTheFormDoes) {
  const RealCase& c = GetParam();
  const auto value = ParseReal(c.text);
  ASSERT_EQ(value.has_value(), c.isNumber) << c.text;
  if (c.isNumber && !std::isnan(c.value)) {
    EXPECT_EQ(*value, c.value) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FormLogicParseReal,
    testing::Values(RealCase{"12.5", true, 12.5}, RealCase{"-1000", true, -1000.0},
                    RealCase{"  9000  ", true, 9000.0}, RealCase{"\t0", true, 0.0},
                    RealCase{"0.0", true, 0.0}, RealCase{"1e3", true, 1000.0},
                    RealCase{".5", true, 0.5}, RealCase{"+7", true, 7.0}, RealCase{"", false, 0},
                    RealCase{"-", false, 0}, RealCase{"-0", false, 0}, RealCase{"abc", false, 0},
                    RealCase{"7x", false, 0}, RealCase{"12 5", false, 0}, RealCase{"1,5", false, 0},
                    RealCase{"3.4028235e38", true, 3.4028235e38}, RealCase{"nan", false, 0},
                    RealCase{"inf", false, 0}, RealCase{"-infinity", false, 0},
                    RealCase{"3.5e38", false, 0}, RealCase{"-1e300", false, 0},
                    RealCase{"1e400", false, 0}, RealCase{"0x10", false, 0},
                    RealCase{"+-1", false, 0}));

TEST(FormLogic, WritesUpToSixSignificantDigits) {
  EXPECT_EQ(FormatReal(0.0f), "0");
  EXPECT_EQ(FormatReal(12.5f), "12.5");
  EXPECT_EQ(FormatReal(-1000.0f), "-1000");
  EXPECT_EQ(FormatReal(9000.0f), "9000");
  EXPECT_EQ(FormatReal(1234567.0f), "1.23457e+06");
  EXPECT_EQ(FormatReal(0.1f), "0.1");
}

FormValues FilledForm() {
  FormValues form;
  form.heightMapPath = "vale.tga";
  form.baseHeight = "10";
  form.maxHeight = "250.5";
  form.minimapPath = "mini.tga";
  form.outputPath = "vale.gnd";
  form.texturingGuidePath = "guide.tga";
  form.randomize = true;
  form.filterGuidePath = "filter.tga";
  form.filterRadius = 5;
  form.interpolate = false;
  form.dataFormat = kGreyScale;
  return form;
}

TEST(FormLogic, ReadsAllElevenFields) {
  ProjectSettings settings;
  EXPECT_EQ(ReadForm(FilledForm(), settings), std::nullopt);
  EXPECT_EQ(settings.heightMapPath, "vale.tga");
  EXPECT_EQ(settings.baseHeight, 10.0f);
  EXPECT_EQ(settings.maxHeight, 250.5f);
  EXPECT_EQ(settings.minimapPath, "mini.tga");
  EXPECT_EQ(settings.outputPath, "vale.gnd");
  EXPECT_EQ(settings.texturingGuidePath, "guide.tga");
  EXPECT_EQ(settings.randomizeTextures, 1);
  EXPECT_EQ(settings.filterGuidePath, "filter.tga");
  EXPECT_EQ(settings.filterRadius, 5);
  EXPECT_EQ(settings.interpolate, 0);
  EXPECT_EQ(settings.dataFormat, kGreyScale);
}

TEST(FormLogic, BadBaseHeightKeepsItAndEveryLaterField) {
  ProjectSettings settings;
  settings.baseHeight = 3.0f;
  FormValues form = FilledForm();
  form.baseHeight = "high";
  EXPECT_EQ(ReadForm(form, settings), FormField::kBaseHeight);
  EXPECT_EQ(settings.heightMapPath, "vale.tga");  // read before the bad field
  EXPECT_EQ(settings.baseHeight, 3.0f);
  EXPECT_EQ(settings.maxHeight, 0.0f);
  EXPECT_EQ(settings.minimapPath, "");
  EXPECT_EQ(settings.filterRadius, 2);
  EXPECT_EQ(settings.dataFormat, kChromaDepthColours);
}

TEST(FormLogic, BadMaximumHeightStopsAfterTheBase) {
  ProjectSettings settings;
  FormValues form = FilledForm();
  form.maxHeight = "";
  EXPECT_EQ(ReadForm(form, settings), FormField::kMaxHeight);
  EXPECT_EQ(settings.baseHeight, 10.0f);
  EXPECT_EQ(settings.maxHeight, 0.0f);
  EXPECT_EQ(settings.outputPath, "");
  EXPECT_EQ(settings.interpolate, 1);
}

// While a height is typed, text on its way to a number is skipped silently;
// text that can never become one is reported. Either way the height keeps
// its value and the rest of the form is still read.
struct TypingCase {
  const char* text;
  bool stops;
};

class FormLogicTyping : public testing::TestWithParam<TypingCase> {};

TEST_P(FormLogicTyping, SkipsAHeightThatCanStillBecomeANumber) {
  ProjectSettings settings;
  settings.baseHeight = 3.0f;
  FormValues form = FilledForm();
  form.baseHeight = GetParam().text;
  const auto stopped = ReadForm(form, settings, ReadMode::kWhileTyping);
  EXPECT_EQ(stopped.has_value(), GetParam().stops);
  EXPECT_EQ(settings.baseHeight, 3.0f);
  EXPECT_EQ(settings.maxHeight, 250.5f);
  // Focus leaving the box, Generate and Save read strictly.
  EXPECT_EQ(ReadForm(form, settings), FormField::kBaseHeight);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormLogicTyping,
                         testing::Values(TypingCase{"", false}, TypingCase{"-", false},
                                         TypingCase{"+", false}, TypingCase{".", false},
                                         TypingCase{"-.", false}, TypingCase{"-0", false},
                                         TypingCase{" 12e", false}, TypingCase{"12e-", false},
                                         TypingCase{"x", true}, TypingCase{"- ", true},
                                         TypingCase{"12e ", true}, TypingCase{"1-", true},
                                         TypingCase{"inf", true}));

TEST(FormLogic, RoundTripsThroughReadForm) {
  ProjectSettings original;
  ASSERT_EQ(ReadForm(FilledForm(), original), std::nullopt);
  ProjectSettings copy;
  ASSERT_EQ(ReadForm(WriteForm(original), copy), std::nullopt);
  EXPECT_EQ(copy.maxHeight, 250.5f);
  EXPECT_EQ(copy.filterGuidePath, "filter.tga");
  EXPECT_EQ(copy.dataFormat, kGreyScale);
}

TEST(FormLogic, FormatOutsideTheListSelectsNothing) {
  ProjectSettings settings;
  settings.dataFormat = 9;
  EXPECT_EQ(WriteForm(settings).dataFormat, 9);
  settings.dataFormat = -1;
  FormValues form = WriteForm(settings);
  EXPECT_EQ(form.dataFormat, -1);
}

struct EnablingCase {
  const char* heightMap;
  const char* output;
  const char* texturingGuide;
  const char* filterGuide;
  ControlStates expected;
};

void PrintTo(const EnablingCase& c, std::ostream* os) {
  *os << "map='" << c.heightMap << "' output='" << c.output << "' guide='" << c.texturingGuide
      << "' filter='" << c.filterGuide << "'";
}

class FormLogicEnabling : public testing::TestWithParam<EnablingCase> {};

TEST_P(FormLogicEnabling, FollowThePathsGiven) {
  const EnablingCase& c = GetParam();
  ProjectSettings settings;
  settings.heightMapPath = c.heightMap;
  settings.outputPath = c.output;
  settings.texturingGuidePath = c.texturingGuide;
  settings.filterGuidePath = c.filterGuide;
  const ControlStates states = EnablingRules(settings);
  EXPECT_EQ(states.heightControls, c.expected.heightControls);
  EXPECT_EQ(states.randomize, c.expected.randomize);
  EXPECT_EQ(states.filterRadius, c.expected.filterRadius);
  EXPECT_EQ(states.generate, c.expected.generate);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FormLogicEnabling,
    testing::Values(EnablingCase{"", "", "", "", {false, false, false, false}},
                    EnablingCase{"m.tga", "", "", "", {true, false, false, false}},
                    EnablingCase{"", "o.gnd", "", "", {false, false, false, false}},
                    EnablingCase{"m.tga", "o", "", "", {true, false, false, true}},
                    EnablingCase{"", "", "g.tga", "", {false, true, false, false}},
                    EnablingCase{"", "", "", "f.tga", {false, false, true, false}},
                    // Paths count when not empty, whether the files exist or not.
                    EnablingCase{" ", " ", " ", " ", {true, true, true, true}}));

TEST(FormLogic, UpArrowRaisesAndDownArrowLowers) {
  float height = 12.5f;
  ApplySpinDelta(height, -1);
  EXPECT_EQ(height, 13.5f);
  height = 0.0f;
  ApplySpinDelta(height, 1);
  EXPECT_EQ(height, -1.0f);
  height = 100.0f;
  ApplySpinDelta(height, -20);
  EXPECT_EQ(height, 120.0f);
}

}  // namespace
}  // namespace kem::app

namespace kem::app {
namespace {

TEST(FormLogic, NamesAChangeByTheFieldItChanged) {
  const ProjectSettings before;
  ProjectSettings height = before;
  height.baseHeight = 5.0f;
  ProjectSettings preset = before;
  preset.dataFormat = k24BitHeightCoding;
  ApplyFormatPreset(preset);
  ProjectSettings radius = before;
  radius.filterRadius = 4;
  EXPECT_EQ(ChangeName(before, height), "Base height");
  EXPECT_EQ(ChangeName(before, radius), "Filter radius");
  EXPECT_EQ(ChangeName(before, preset), "Changes");
  EXPECT_EQ(ChangeName(before, before), "");
}

TEST(FormLogic, ListsAHeightBoxThatIsNoNumber) {
  struct Case {
    const char* text;
    bool typing;
    bool listed;
  };
  const Case cases[] = {
      {"12", false, false}, {"12e", true, false}, {"12e", false, true},
      {"x", true, true},    {"", false, true},    {"-", true, false},
  };
  for (const Case& c : cases) {
    const auto problem = HeightBoxProblem("Base height", c.text, c.typing);
    EXPECT_EQ(problem.has_value(), c.listed) << c.text << " " << c.typing;
    if (problem) {
      EXPECT_EQ(*problem, "Base height: not a number");
    }
  }
}

}  // namespace
}  // namespace kem::app
