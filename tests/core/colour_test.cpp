#include "core/colour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace kem {
namespace {

std::array<std::uint8_t, 3> Pixel(int red, int green, int blue) {
  return {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
          static_cast<std::uint8_t>(red)};
}

struct HsvCase {
  int red, green, blue;
  float hue, saturation, value;
};

TEST(Colour, GivesExactValuesForGreysAndPureHues) {
  const float k = 1.0f / 255.0f;
  const std::vector<HsvCase> cases = {
      {0, 0, 0, -1.0f, 0.0f, 0.0f},
      {255, 255, 255, -1.0f, 0.0f, 1.0f},
      {77, 77, 77, -1.0f, 0.0f, 77 * k},
      {255, 0, 0, 0.0f, 1.0f, 1.0f},
      {0, 0, 255, 240.0f, 1.0f, 1.0f},
      {255, 0, 255, 300.0f, 1.0f, 1.0f},
      {128, 0, 128, 300.0f, 1.0f, 128 * k},
      {200, 200, 0, 60.0f, 1.0f, 200 * k},
      {0, 3, 0, 120.0f, 1.0f, 3 * k},
      {0, 90, 90, 180.0f, 1.0f, 90 * k},
      {1, 0, 0, 0.0f, 1.0f, k},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.red << "," << c.green << "," << c.blue);
    const HsvColour hsv = RgbToHsv(c.red, c.green, c.blue);
    EXPECT_EQ(hsv.hue, c.hue);
    EXPECT_EQ(hsv.saturation, c.saturation);
    EXPECT_EQ(hsv.value, c.value);
  }
}

TEST(Colour, PureHuesStayExactAtEveryBrightness) {
  for (int m = 1; m < 256; ++m) {
    for (int low = 0; low < m; low += 17) {
      SCOPED_TRACE(testing::Message() << "max " << m << " min " << low);
      EXPECT_EQ(RgbToHsv(m, low, low).hue, 0.0f);
      EXPECT_EQ(RgbToHsv(m, m, low).hue, 60.0f);
      EXPECT_EQ(RgbToHsv(low, m, low).hue, 120.0f);
      EXPECT_EQ(RgbToHsv(low, m, m).hue, 180.0f);
      EXPECT_EQ(RgbToHsv(low, low, m).hue, 240.0f);
      EXPECT_EQ(RgbToHsv(m, low, m).hue, 300.0f);
    }
  }
}

TEST(Colour, HueJustBelowFullCircleForRedWithATouchOfBlue) {
  const HsvColour hsv = RgbToHsv(255, 0, 1);
  EXPECT_EQ(hsv.hue, 0x1.67c3c4p+8f);  // about 359.76
  EXPECT_LT(hsv.hue, 360.0f);
}

// Hues whose last bit depends on forming h, 60 x h and the + 360 in double
// rather than in float.
TEST(Colour, KeepsIntermediateStepsInDouble) {
  EXPECT_EQ(RgbToHsv(0, 7, 5).hue, 0x1.45b6dcp+7f);
  EXPECT_EQ(RgbToHsv(0, 7, 50).hue, 0x1.cf3334p+7f);
  EXPECT_EQ(RgbToHsv(0, 7, 55).hue, 0x1.d0ba2ep+7f);
}

TEST(Colour, IsTheNearestFloatToEachFormatsFraction) {
  EXPECT_EQ(HeightFactor(kSpectrumColours), 0.0028571428f);
  EXPECT_EQ(HeightFactor(kTerrainColourScale), 0.0077519380f);
  EXPECT_EQ(HeightFactor(kChromaDepthColours), 0.0039370079f);
  EXPECT_EQ(HeightFactor(kGreyScale), 0.01f);
  EXPECT_EQ(HeightFactor(k24BitHeightCoding), 5.9604645e-8f);
  EXPECT_EQ(HeightFactor(kSpectrumColours), static_cast<float>(1.0 / 350.0));
  EXPECT_EQ(HeightFactor(kTerrainColourScale), static_cast<float>(1.0 / 129.0));
  EXPECT_EQ(HeightFactor(kChromaDepthColours), static_cast<float>(1.0 / 254.0));
}

TEST(Colour, IsZeroForAnUnknownFormat) {
  EXPECT_EQ(HeightFactor(-1), 0.0f);
  EXPECT_EQ(HeightFactor(5), 0.0f);
}

struct CodeCase {
  DataFormat format;
  int red, green, blue;
  double code;
  double tolerance;  // 0: exact
};

TEST(Colour, GivesEachFormatsCodeForKnownColours) {
  const std::vector<CodeCase> cases = {
      {kSpectrumColours, 255, 0, 0, 300, 0},
      {kSpectrumColours, 128, 0, 0, 349.8, 0.01},
      {kSpectrumColours, 0, 0, 0, 400, 0},
      {kSpectrumColours, 255, 255, 255, 300, 0},
      {kSpectrumColours, 255, 0, 255, 0, 0},
      {kSpectrumColours, 0, 0, 255, 60, 0},
      {kSpectrumColours, 255, 0, 1, -59.76, 0.01},
      {kTerrainColourScale, 0, 255, 0, 11, 0},
      {kTerrainColourScale, 0, 0, 0, 132, 0},
      {kTerrainColourScale, 90, 90, 90, 132, 0},
      {kTerrainColourScale, 255, 0, 0, 131, 0},
      {kChromaDepthColours, 255, 0, 255, 272, 0},
      {kChromaDepthColours, 255, 0, 0, 230, 0},
      {kChromaDepthColours, 128, 0, 0, 167, 0},
      {kChromaDepthColours, 0, 255, 255, 102, 0},
      {kChromaDepthColours, 0, 0, 255, 59, 0},
      {kChromaDepthColours, 255, 255, 255, 59, 0},
      {kChromaDepthColours, 0, 0, 0, -68, 0},
      {kChromaDepthColours, 135, 0, 0, 171, 0},
      {kChromaDepthColours, 255, 128, 0, 59, 0},
      {kChromaDepthColours, 255, 255, 0, 187, 0},
      {kChromaDepthColours, 0, 255, 0, 144, 0},
      {kGreyScale, 51, 102, 204, 80, 1e-4},
      {kGreyScale, 0, 0, 0, 0, 0},
      {kGreyScale, 255, 255, 255, 100, 0},
      {k24BitHeightCoding, 18, 52, 86, 1193046, 0},
      {k24BitHeightCoding, 255, 255, 255, 16777215, 0},
      {k24BitHeightCoding, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format << " colour " << c.red << ","
                                    << c.green << "," << c.blue);
    const auto pixel = Pixel(c.red, c.green, c.blue);
    if (c.tolerance == 0) {
      EXPECT_EQ(ColourCode(c.format, pixel.data()), c.code);
    } else {
      EXPECT_NEAR(ColourCode(c.format, pixel.data()), c.code, c.tolerance);
    }
  }
}

TEST(Colour, TwentyFourBitTakesBlueFromTheFirstWindowByte) {
  const std::uint8_t window[3] = {86, 52, 18};
  EXPECT_EQ(ColourCode(k24BitHeightCoding, window), 1193046.0);
}

TEST(Colour, SpectrumAndTerrainScaleUseTheFloatHue) {
  const auto pixel = Pixel(0, 7, 5);
  const double hue = static_cast<double>(0x1.45b6dcp+7f);
  EXPECT_EQ(ColourCode(kSpectrumColours, pixel.data()), 300.0 - hue);
  EXPECT_EQ(ColourCode(kTerrainColourScale, pixel.data()), 131.0 - hue);
}

// The band of a chroma depth colour as its hue defines it: exact equality with
// one of five hues.
int ChromaBandFromHue(float hue) {
  if (hue == 300.0f)
    return 213;
  if (hue == 0.0f)
    return 171;
  if (hue == 60.0f)
    return 128;
  if (hue == 120.0f)
    return 85;
  if (hue == 180.0f)
    return 43;
  return 0;
}

TEST(Colour, ChromaDepthAndGreyScaleAgreeWithTheHsvOfEveryColour) {
  int mismatches = 0;
  for (int red = 0; red < 256; ++red) {
    for (int green = 0; green < 256; ++green) {
      for (int blue = 0; blue < 256; ++blue) {
        const HsvColour hsv = RgbToHsv(red, green, blue);
        const int brightest = std::max({red, green, blue});
        const double chroma = ChromaBandFromHue(hsv.hue) + (brightest - 136) / 2;
        const double grey = 100.0 * static_cast<double>(hsv.value);
        const auto pixel = Pixel(red, green, blue);
        if (ColourCode(kChromaDepthColours, pixel.data()) != chroma ||
            ColourCode(kGreyScale, pixel.data()) != grey) {
          if (++mismatches < 10) {
            ADD_FAILURE() << "colour " << red << "," << green << "," << blue;
          }
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(Colour, RoundsCodeTimesScalePlusBaseOnceToFloat) {
  TerrainJob job;
  job.dataFormat = kChromaDepthColours;
  job.baseHeight = 12.5f;
  job.heightScale = 0x1.f7efe0p+1f;   // (1012.5 - 12.5) x 1/254
  const auto black = Pixel(0, 0, 0);  // code -68
  EXPECT_EQ(DecodeHeight(job, black.data()), -0x1.fe6edep+7f);

  job.dataFormat = k24BitHeightCoding;
  job.baseHeight = -123.4f;
  job.heightScale = 0x1.15d4ccp-12f;
  const auto pixel = Pixel(0x00, 0x7B, 0xBD);  // code 31677
  EXPECT_EQ(DecodeHeight(job, pixel.data()), -0x1.cc0702p+6f);
}

TEST(Colour, MapsTheTwentyFourBitRangeOntoTheHeightRange) {
  TerrainJob job;
  job.dataFormat = k24BitHeightCoding;
  job.baseHeight = -1000.0f;
  job.maxHeight = 9000.0f;
  job.heightScale = static_cast<float>((static_cast<double>(job.maxHeight) - job.baseHeight) *
                                       HeightFactor(job.dataFormat));
  const auto lowest = Pixel(0, 0, 0);
  const auto highest = Pixel(255, 255, 255);
  const auto middle = Pixel(128, 0, 0);
  EXPECT_EQ(DecodeHeight(job, lowest.data()), -1000.0f);
  EXPECT_NEAR(DecodeHeight(job, highest.data()), 9000.0f, 0.001f);
  EXPECT_EQ(DecodeHeight(job, middle.data()), 4000.0f);
}

TEST(Colour, FlatRangeGivesTheBaseHeightEverywhere) {
  TerrainJob job;
  job.baseHeight = 250.25f;
  job.heightScale = 0.0f;
  const std::vector<std::array<std::uint8_t, 3>> pixels = {
      Pixel(0, 0, 0), Pixel(255, 0, 255), Pixel(12, 200, 99), Pixel(255, 255, 255)};
  for (DataFormat format = kSpectrumColours; format <= k24BitHeightCoding; ++format) {
    job.dataFormat = format;
    for (const auto& pixel : pixels) {
      EXPECT_EQ(DecodeHeight(job, pixel.data()), 250.25f) << "format " << format;
    }
  }
}

// Which colours are codes of each format's scale, and which merely decode.
TEST(Colour, TellsTheColoursOfEachFormatsScale) {
  struct Case {
    DataFormat format;
    std::array<int, 3> rgb;
    bool code;
  };
  const Case cases[] = {
      {kSpectrumColours, {255, 0, 255}, true},        // magenta, hue 300: code 0
      {kSpectrumColours, {255, 0, 1}, false},         // hue just below 360: below the scale
      {kSpectrumColours, {128, 0, 64}, false},        // hue 330
      {kSpectrumColours, {90, 90, 90}, true},         // greys go by value
      {kSpectrumColours, {200, 100, 100}, true},      // hue 0 goes by value
      {kTerrainColourScale, {255, 0, 0}, true},       // hue 0: code 131
      {kTerrainColourScale, {0, 255, 0}, true},       // hue 120: code 11
      {kTerrainColourScale, {0, 255, 255}, false},    // hue 180: below 0
      {kTerrainColourScale, {128, 128, 128}, false},  // grey: 132, no hue
      {kChromaDepthColours, {0, 0, 200}, true},       // blue, the lowest band
      {kChromaDepthColours, {255, 128, 128}, true},   // red band at any saturation
      {kChromaDepthColours, {255, 128, 0}, false},    // mixed hue
      {kChromaDepthColours, {77, 77, 77}, false},     // grey
      {kGreyScale, {51, 51, 51}, true},
      {kGreyScale, {51, 52, 51}, false},
      {kGreyScale, {51, 51, 50}, false},
      {k24BitHeightCoding, {18, 52, 86}, true},
      {5, {0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    const auto pixel = Pixel(c.rgb[0], c.rgb[1], c.rgb[2]);
    EXPECT_EQ(IsColourCode(c.format, pixel.data()), c.code)
        << c.format << ": " << c.rgb[0] << "," << c.rgb[1] << "," << c.rgb[2];
  }
}

}  // namespace
}  // namespace kem
