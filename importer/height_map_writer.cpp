// Header, pixel coding and output file of the converted height map.
#include "importer/height_map_writer.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <random>
#include <system_error>

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

void PutLe16(std::uint8_t* out, std::uint16_t value) {
  out[0] = static_cast<std::uint8_t>(value);
  out[1] = static_cast<std::uint8_t>(value >> 8);
}

std::string TemporaryName(const std::string& outputPath, std::mt19937& random) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
  std::string name = outputPath + ".tmp-";
  for (int i = 0; i < 6; ++i) {
    name += kLetters[pick(random)];
  }
  return name;
}

std::mt19937 SeededRandom() {
  try {
    std::random_device device;
    return std::mt19937(device());
  } catch (const std::exception&) {
    // No random device: the clock tells concurrent runs apart well enough.
    return std::mt19937(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  }
}

class FileHeightMapOutput : public HeightMapOutput {
 public:
  FileHeightMapOutput(std::FILE* file, std::string temporaryPath, std::string outputPath)
      : file_(file), temporaryPath_(std::move(temporaryPath)), outputPath_(std::move(outputPath)) {}

  ~FileHeightMapOutput() override {
    if (file_ != nullptr) {
      std::fclose(file_);
    }
    if (!committed_) {
      std::remove(temporaryPath_.c_str());
    }
  }

  void Write(const std::uint8_t* data, std::size_t size) override {
    if (failed_ || size == 0) {
      return;
    }
    if (std::fwrite(data, 1, size, file_) != size) {
      failed_ = true;
    }
  }

  bool Commit() override {
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
      failed_ = true;
    }
    int closed = std::fclose(file_);
    file_ = nullptr;
    if (failed_ || closed != 0) {
      return false;
    }
    std::error_code error;
    std::filesystem::rename(temporaryPath_, outputPath_, error);
    if (error) {
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  std::FILE* file_;
  std::string temporaryPath_;
  std::string outputPath_;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace

void EncodeHeightMapHeader(std::int64_t cols, std::int64_t rows,
                           std::uint8_t (&header)[kHeightMapHeaderSize]) {
  for (std::uint8_t& byte : header) {
    byte = 0;
  }
  header[kHeightMapImageTypeOffset] = kHeightMapImageType;
  PutLe16(header + kHeightMapWidthOffset, static_cast<std::uint16_t>(cols & 0xFFFF));
  PutLe16(header + kHeightMapHeightOffset, static_cast<std::uint16_t>(rows & 0xFFFF));
  header[kHeightMapPixelDepthOffset] = kHeightMapPixelDepth;
  header[kHeightMapDescriptorOffset] = kHeightMapDescriptor;
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
  std::error_code error;
  if (outputPath.empty() || std::filesystem::is_directory(outputPath, error)) {
    return nullptr;
  }
  std::mt19937 random = SeededRandom();
  constexpr int kAttempts = 16;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string temporaryPath = TemporaryName(outputPath, random);
    errno = 0;
    std::FILE* file = std::fopen(temporaryPath.c_str(), "wbx");
    if (file != nullptr) {
      return std::make_unique<FileHeightMapOutput>(file, std::move(temporaryPath), outputPath);
    }
    if (errno != EEXIST) {
      break;
    }
  }
  return nullptr;
}

}  // namespace kem
