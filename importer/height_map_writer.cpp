// Header, pixel coding and output file of the converted height map.
#include "importer/height_map_writer.h"

#include <cmath>

#include "core/byte_io.h"
#include "core/replacing_file.h"

namespace kem {
namespace {

// 1677.7216 codes per unit of height (2^24 codes over 10000 units), as the
// nearest float (1677.7215576171875), used in extended precision.
constexpr long double kCodeScale = static_cast<long double>(1677.7216f);
constexpr double kCodeScaleDouble = 1677.7216f;
constexpr long double kHeightBase = 1000;
constexpr std::uint32_t kCodeMask = 0xFFFFFF;

// The code formed in extended precision.
std::uint32_t ExtendedHeightCode(float height) {
  const long double code = (static_cast<long double>(height) + kHeightBase) * kCodeScale;
  if (!std::isfinite(code)) {
    return 0;
  }
  // Truncate toward zero and keep the low 24 bits of the two's complement
  // integer; beyond 64-bit integers the remainder gives the same bits.
  constexpr long double kWholeLimit = 0x1p62L;
  std::int64_t whole = 0;
  if (std::fabs(code) < kWholeLimit) {
    whole = static_cast<std::int64_t>(code);
  } else {
    whole = static_cast<std::int64_t>(std::fmod(std::trunc(code), 0x1p24L));
  }
  return static_cast<std::uint32_t>(whole) & kCodeMask;
}

class FileHeightMapOutput : public HeightMapOutput {
 public:
  explicit FileHeightMapOutput(std::unique_ptr<ReplacingFile> file) : file_(std::move(file)) {}

  void Write(const std::uint8_t* data, std::size_t size) override { file_->Write(data, size); }
  bool Commit() override { return file_->Commit(); }

 private:
  std::unique_ptr<ReplacingFile> file_;
};

}  // namespace

void EncodeHeightMapHeader(std::int64_t cols, std::int64_t rows,
                           std::uint8_t (&header)[kHeightMapHeaderSize]) {
  for (std::uint8_t& byte : header) {
    byte = 0;
  }
  header[kTargaImageTypeOffset] = kHeightMapImageType;
  PutLe16(header + kTargaWidthOffset, static_cast<std::uint16_t>(cols & 0xFFFF));
  PutLe16(header + kTargaHeightOffset, static_cast<std::uint16_t>(rows & 0xFFFF));
  header[kTargaPixelDepthOffset] = kHeightMapPixelDepth;
  header[kTargaDescriptorOffset] = kHeightMapDescriptor;
}

std::uint32_t HeightCode(float height) {
  // In double the code is within 2^-21 of the exact product for heights of
  // about a million units either way, and so is the extended one: away from
  // whole numbers both truncate alike, and only near them is the extended
  // product formed.
  const double quick = (static_cast<double>(height) + 1000.0) * kCodeScaleDouble;
  if (quick > -0x1p31 && quick < 0x1p31) {
    const auto whole = static_cast<std::int64_t>(quick);
    const double fraction = std::fabs(quick - static_cast<double>(whole));
    if (fraction > 1e-5 && fraction < 1 - 1e-5) {
      return static_cast<std::uint32_t>(whole) & kCodeMask;
    }
  }
  return ExtendedHeightCode(height);
}

void EncodeHeightPixels(const float* heights, std::size_t count, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i, out += kHeightMapBytesPerPixel) {
    PutHeightCode(HeightCode(heights[i]), out);
  }
}

std::unique_ptr<HeightMapOutput> CreateHeightMapOutput(const std::string& outputPath) {
  auto file = ReplacingFile::Create(outputPath);
  if (!file) {
    return nullptr;
  }
  return std::make_unique<FileHeightMapOutput>(std::move(file));
}

}  // namespace kem
