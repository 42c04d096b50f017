// Colour analysis and height decoding. Channel scaling and results are 32-bit
// floats; everything in between is double, so that heights come out the same
// bits on every machine.
#include "core/colour.h"

#include <algorithm>

#include "core/colour_scales.h"

namespace kem {

namespace {

constexpr float kSpectrumFactor = 1.0f / 350.0f;
constexpr float kTerrainScaleFactor = 1.0f / 129.0f;
constexpr float kChromaDepthFactor = 1.0f / 254.0f;
constexpr float kGreyScaleFactor = 1.0f / 100.0f;
constexpr float k24BitFactor = 1.0f / 16777216.0f;

// Window pixel byte order.
constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;

// The same band from the channel bytes alone. RgbToHsv gives one of the five
// banded hues exactly when two channels are equal and the third is the
// strictly smaller (yellow, magenta, cyan) or strictly larger (red, green) one;
// every other colour lies at least 1/255 of a sector away from such a hue,
// far beyond the rounding of the float channels, so the bytes decide the band
// without computing the hue (the colour tests compare both for every colour).
[[gnu::always_inline]] inline int ChromaBandOfChannels(int red, int green, int blue) {
  if (red == blue) {  // magenta, green, or a grey
    return green < red ? kMagentaBand : (green > red ? kGreenBand : 0);
  }
  if (green == blue) {  // red or cyan
    return red > green ? kRedBand : kCyanBand;
  }
  if (red == green) {  // yellow, or a blue without a band
    return blue < red ? kYellowBand : 0;
  }
  return 0;
}

[[gnu::always_inline]] inline double ChromaDepthCode(int red, int green, int blue) {
  const int brightest = std::max({red, green, blue});
  return ChromaBandOfChannels(red, green, blue) + (brightest - kChromaBrightnessCentre) / 2;
}

// 100 x value, value being the largest channel scaled to 0..1 as a float.
double GreyScaleCode(int red, int green, int blue) {
  const float value = static_cast<float>(std::max({red, green, blue})) * kChannelScale;
  return kValueSteps * static_cast<double>(value);
}

double HeightCode24Bit(int red, int green, int blue) {
  return static_cast<double>(red * 65536 + green * 256 + blue);
}

// Inlined into the height decoding, where the unused parts drop out.
[[gnu::always_inline]] inline HsvColour Analyse(int red, int green, int blue) {
  const float r = static_cast<float>(red) * kChannelScale;
  const float g = static_cast<float>(green) * kChannelScale;
  const float b = static_cast<float>(blue) * kChannelScale;
  const double min = std::min({r, g, b});
  const double max = std::max({r, g, b});

  HsvColour hsv;
  hsv.value = static_cast<float>(max);
  const double delta = max - min;
  if (delta == 0.0) {
    hsv.saturation = 0.0f;
    hsv.hue = kGreyHue;
    return hsv;
  }
  hsv.saturation = static_cast<float>(delta / max);

  double h;
  if (r == max) {
    h = (static_cast<double>(g) - b) / delta;
  } else if (g == max) {
    h = kGreenSector + (static_cast<double>(b) - r) / delta;
  } else {
    h = kBlueSector + (static_cast<double>(r) - g) / delta;
  }
  double hue = kDegreesPerSector * h;
  if (hue < 0.0) {
    hue += kFullCircle;
  }
  hsv.hue = static_cast<float>(hue);
  return hsv;
}

// Colour code of a window pixel (bytes blue, green, red).
[[gnu::always_inline]] inline double Code(DataFormat dataFormat, const std::uint8_t* pixel) {
  const int red = pixel[kRed];
  const int green = pixel[kGreen];
  const int blue = pixel[kBlue];
  switch (dataFormat) {
    case kSpectrumColours: {
      const HsvColour hsv = Analyse(red, green, blue);
      if (hsv.hue > 0.0f) {
        return static_cast<double>(kSpectrumTopHue) - static_cast<double>(hsv.hue);
      }
      return kSpectrumGreyTop - kValueSteps * static_cast<double>(hsv.value);
    }
    case kTerrainColourScale:
      return static_cast<double>(kTerrainScaleTopHue) -
             static_cast<double>(Analyse(red, green, blue).hue);
    case kChromaDepthColours:
      return ChromaDepthCode(red, green, blue);
    case kGreyScale:
      return GreyScaleCode(red, green, blue);
    case k24BitHeightCoding:
      return HeightCode24Bit(red, green, blue);
    default:
      return 0.0;
  }
}

[[gnu::always_inline]] inline bool IsCode(DataFormat dataFormat, const std::uint8_t* pixel) {
  const int red = pixel[kRed];
  const int green = pixel[kGreen];
  const int blue = pixel[kBlue];
  switch (dataFormat) {
    case kSpectrumColours:
      return !(Analyse(red, green, blue).hue > kSpectrumTopHue);
    case kTerrainColourScale: {
      const float hue = Analyse(red, green, blue).hue;
      return hue >= 0.0f && hue <= kTerrainScaleTopHue;
    }
    case kChromaDepthColours: {
      const bool grey = red == green && green == blue;
      return !grey && (red == green || green == blue || red == blue);
    }
    case kGreyScale:
      return red == green && green == blue;
    case k24BitHeightCoding:
      return true;
    default:
      return false;
  }
}

}  // namespace

HsvColour RgbToHsv(int red, int green, int blue) {
  return Analyse(red, green, blue);
}

float HeightFactor(DataFormat dataFormat) {
  switch (dataFormat) {
    case kSpectrumColours:
      return kSpectrumFactor;
    case kTerrainColourScale:
      return kTerrainScaleFactor;
    case kChromaDepthColours:
      return kChromaDepthFactor;
    case kGreyScale:
      return kGreyScaleFactor;
    case k24BitHeightCoding:
      return k24BitFactor;
    default:
      return 0.0f;
  }
}

bool IsKnownDataFormat(DataFormat dataFormat) {
  return dataFormat >= kSpectrumColours && dataFormat <= k24BitHeightCoding;
}

float HeightScale(const ProjectSettings& settings) {
  return static_cast<float>(
      (static_cast<double>(settings.maxHeight) - static_cast<double>(settings.baseHeight)) *
      static_cast<double>(HeightFactor(settings.dataFormat)));
}

bool IsColourCode(DataFormat dataFormat, const std::uint8_t* pixel) {
  return IsCode(dataFormat, pixel);
}

double ColourCode(DataFormat dataFormat, const std::uint8_t* pixel) {
  return Code(dataFormat, pixel);
}

namespace {

template <DataFormat kFormat>
void DecodeRun(const TerrainJob& job, const std::uint8_t* pixels, int count, float* heights) {
  const auto scale = static_cast<double>(job.heightScale);
  const auto base = static_cast<double>(job.baseHeight);
  for (int i = 0; i < count; ++i) {
    heights[i] = static_cast<float>(Code(kFormat, pixels + 3 * i) * scale + base);
  }
}

template <DataFormat kFormat>
int CountCodes(const std::uint8_t* pixels, int count) {
  int codes = 0;
  for (int i = 0; i < count; ++i) {
    codes += IsCode(kFormat, pixels + 3 * i) ? 1 : 0;
  }
  return codes;
}

}  // namespace

void DecodeHeightRun(const TerrainJob& job, const std::uint8_t* pixels, int count, float* heights) {
  switch (job.dataFormat) {
    case kSpectrumColours:
      return DecodeRun<kSpectrumColours>(job, pixels, count, heights);
    case kTerrainColourScale:
      return DecodeRun<kTerrainColourScale>(job, pixels, count, heights);
    case kChromaDepthColours:
      return DecodeRun<kChromaDepthColours>(job, pixels, count, heights);
    case kGreyScale:
      return DecodeRun<kGreyScale>(job, pixels, count, heights);
    case k24BitHeightCoding:
      return DecodeRun<k24BitHeightCoding>(job, pixels, count, heights);
    default:
      for (int i = 0; i < count; ++i) {
        heights[i] = DecodeHeight(job, pixels + 3 * i);
      }
  }
}

int CountColourCodes(DataFormat dataFormat, const std::uint8_t* pixels, int count) {
  switch (dataFormat) {
    case kSpectrumColours:
      return CountCodes<kSpectrumColours>(pixels, count);
    case kTerrainColourScale:
      return CountCodes<kTerrainColourScale>(pixels, count);
    case kChromaDepthColours:
      return CountCodes<kChromaDepthColours>(pixels, count);
    case kGreyScale:
      return CountCodes<kGreyScale>(pixels, count);
    case k24BitHeightCoding:
      return count;
    default:
      return 0;
  }
}

float DecodeHeight(const TerrainJob& job, const std::uint8_t* pixel) {
  const double code = Code(job.dataFormat, pixel);
  return static_cast<float>(code * static_cast<double>(job.heightScale) +
                            static_cast<double>(job.baseHeight));
}

}  // namespace kem
