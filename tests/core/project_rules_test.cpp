#include "core/project_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace kem {
namespace {

TEST(ProjectRules, TwentyFourBitCodingSetsTheRangeAndClearsInterpolate) {
  ProjectSettings settings;
  settings.dataFormat = k24BitHeightCoding;
  settings.baseHeight = 4.0f;
  EXPECT_TRUE(ApplyFormatPreset(settings));
  EXPECT_EQ(settings.baseHeight, -1000.0f);
  EXPECT_EQ(settings.maxHeight, 9000.0f);
  EXPECT_EQ(settings.interpolate, 0);
}

TEST(ProjectRules, OtherFormatsLeaveTheSettingsAlone) {
  for (DataFormat format : {kSpectrumColours, kTerrainColourScale, kChromaDepthColours, kGreyScale,
                            DataFormat{-1}, DataFormat{7}}) {
    ProjectSettings settings;
    settings.dataFormat = format;
    settings.baseHeight = 4.0f;
    settings.maxHeight = 8.0f;
    EXPECT_FALSE(ApplyFormatPreset(settings)) << format;
    EXPECT_EQ(settings.baseHeight, 4.0f);
    EXPECT_EQ(settings.maxHeight, 8.0f);
    EXPECT_EQ(settings.interpolate, 1);
  }
}

TEST(ProjectRules, EqualHeightsOrANanAreFlat) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto flat = [](float base, float max) {
    ProjectSettings settings;
    settings.baseHeight = base;
    settings.maxHeight = max;
    return IsFlatTerrain(settings);
  };
  EXPECT_TRUE(flat(0.0f, 0.0f));
  EXPECT_TRUE(flat(-0.0f, 0.0f));
  EXPECT_TRUE(flat(250.0f, 250.0f));
  EXPECT_TRUE(flat(nan, 10.0f));
  EXPECT_TRUE(flat(10.0f, nan));
  EXPECT_FALSE(flat(0.0f, 1.0f));
  EXPECT_FALSE(flat(9000.0f, -1000.0f));
}

}  // namespace
}  // namespace kem
