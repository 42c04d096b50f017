// Header and pixel coding of the converted height map.
#include "importer/height_map_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/byte_io.h"
#include "core/float_conversion.h"
#include "core/open_file.h"
#include "core/replacing_file.h"
#include "importer/grid_sidecar.h"
#include "importer/import_messages.h"

namespace kem {
namespace {

// 1677.7216 codes per unit of height (2^24 codes over 10000 units), as the
// nearest float (1677.7215576171875), used in extended precision.
constexpr long double kCodeScale = static_cast<long double>(1677.7216f);
constexpr double kCodeScaleDouble = 1677.7216f;
constexpr long double kHeightBase = 1000;
constexpr std::uint32_t kCodeMask = 0xFFFFFF;
// How close to a whole number the double product must not come for it to
// truncate like the extended one.
constexpr double kNearWhole = 1e-5;
// Heights coded together.
constexpr std::size_t kCodeBlock = 64;
// Pixels coded before they are handed to the output in one write.
constexpr std::size_t kWriteChunkPixels = 65536;

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
    whole = TruncateToInt64(code);
  } else {
    whole = TruncateToInt64(std::fmod(std::trunc(code), 0x1p24L));
  }
  return static_cast<std::uint32_t>(whole) & kCodeMask;
}

// PutLe32 as one store where the machine is little-endian itself.
inline void PutPixelWord(std::uint8_t* out, std::uint32_t code) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &code, sizeof code);
  } else {
    PutLe32(out, code);
  }
}

// The codes of `count` heights (at most kCodeBlock) as HeightCode forms them
// from the double product, before the mask. Returns false when any of them
// comes near a whole number or out of the 32-bit range, where only
// HeightCode itself is sure.
bool QuickHeightCodes(const float* heights, std::size_t count, std::uint32_t* codes) {
#if defined(__SSE2__)
  // Four heights at a time, two products per instruction. The conversion gives INT32_MIN for a
  // product out of range or not a number, whose difference from the product then fails the test; no
  // code near the limits passes it wrongly.
  const __m128d base = _mm_set1_pd(1000.0);
  const __m128d scale = _mm_set1_pd(kCodeScaleDouble);
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m128d low = _mm_set1_pd(kNearWhole);
  const __m128d high = _mm_set1_pd(1 - kNearWhole);
  __m128d inside = _mm_castsi128_pd(_mm_set1_epi32(-1));
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128 four = _mm_loadu_ps(heights + i);
    const __m128d quick[2] = {
        _mm_mul_pd(_mm_add_pd(_mm_cvtps_pd(four), base), scale),
        _mm_mul_pd(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(four, four)), base), scale)};
    __m128i whole[2];
    for (int half = 0; half < 2; ++half) {
      whole[half] = _mm_cvttpd_epi32(quick[half]);
      const __m128d fraction =
          _mm_and_pd(_mm_sub_pd(quick[half], _mm_cvtepi32_pd(whole[half])), magnitude);
      inside =
          _mm_and_pd(inside, _mm_and_pd(_mm_cmpgt_pd(fraction, low), _mm_cmplt_pd(fraction, high)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(codes + i), _mm_unpacklo_epi64(whole[0], whole[1]));
  }
  for (; i < count; ++i) {
    codes[i] = HeightCode(heights[i]);
  }
  return _mm_movemask_pd(inside) == 3;
#else
  for (std::size_t i = 0; i < count; ++i) {
    codes[i] = HeightCode(heights[i]);
  }
  return true;
#endif
}

// A device or a pipe takes the map's bytes but keeps no file beside it.
bool KeepsASidecar(const std::string& outputPath) {
  std::error_code error;
  const std::filesystem::file_status status =
      std::filesystem::status(FileSystemPath(outputPath), error);
  return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

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
    const std::int64_t whole = TruncateToInt64(quick);
    const double fraction = std::fabs(quick - static_cast<double>(whole));
    if (fraction > kNearWhole && fraction < 1 - kNearWhole) {
      return static_cast<std::uint32_t>(whole) & kCodeMask;
    }
  }
  return ExtendedHeightCode(height);
}

void EncodeHeightPixels(const float* heights, std::size_t count, std::uint8_t* out) {
  std::uint32_t codes[kCodeBlock];
  while (count > 0) {
    const std::size_t size = std::min(count, kCodeBlock);
    if (!QuickHeightCodes(heights, size, codes)) {
      for (std::size_t i = 0; i < size; ++i) {
        codes[i] = HeightCode(heights[i]);
      }
    }
    // Four bytes per pixel, the fourth overwritten by the next pixel; the last
    // pixel of all gets exactly its three.
    const std::size_t whole = size == count ? size - 1 : size;
    for (std::size_t i = 0; i < whole; ++i, out += kHeightMapBytesPerPixel) {
      PutPixelWord(out, codes[i] & kCodeMask);
    }
    if (whole < size) {
      PutHeightCode(codes[whole] & kCodeMask, out);
      out += kHeightMapBytesPerPixel;
    }
    heights += size;
    count -= size;
  }
}

bool FitWholeBoards(std::int64_t cols, std::int64_t rows, HeightMapWindow& window) {
  if (cols < kWindowSide || rows < kWindowSide) {
    return false;
  }
  const std::int64_t fitCols = (cols - kBoardEdge) / kBoardSide * kBoardSide + kBoardEdge;
  const std::int64_t fitRows = (rows - kBoardEdge) / kBoardSide * kBoardSide + kBoardEdge;
  window = {(cols - fitCols) / 2, (rows - fitRows) / 2, fitCols, fitRows};
  return true;
}

std::unique_ptr<OutputFile> CreateHeightMapOutput(const std::string& outputPath) {
  return std::unique_ptr<OutputFile>(ReplacingFile::Create(outputPath));
}

HeightMapPixelWriter::HeightMapPixelWriter(OutputFile& output)
    : output_(output), chunk_(kWriteChunkPixels * kHeightMapBytesPerPixel) {}

void HeightMapPixelWriter::Write(const float* heights, std::size_t count) {
  while (count > 0) {
    const std::size_t run = std::min(count, (chunk_.size() - used_) / kHeightMapBytesPerPixel);
    EncodeHeightPixels(heights, run, chunk_.data() + used_);
    used_ += run * kHeightMapBytesPerPixel;
    heights += run;
    count -= run;
    if (used_ == chunk_.size()) {
      Flush();
    }
  }
}

void HeightMapPixelWriter::Flush() {
  output_.Write(chunk_.data(), used_);
  used_ = 0;
}

RunOutcome WriteHeightMap(const std::string& outputPath, const OutputFileFactory& createOutput,
                          std::int64_t cols, std::int64_t rows,
                          const GridGeoreference& georeference, ImportHost& host,
                          const std::function<void(HeightMapPixelWriter&)>& writePixels) {
  std::unique_ptr<OutputFile> output = createOutput(outputPath);
  if (!output) {
    host.ShowError(kImportCaption, kImportCannotCreate);
    return RunOutcome::kFailed;
  }
  std::uint8_t header[kHeightMapHeaderSize];
  EncodeHeightMapHeader(cols, rows, header);
  output->Write(header, sizeof header);
  HeightMapPixelWriter writer(*output);
  writePixels(writer);
  writer.Flush();
  // The sidecar is written whole before the map is committed, so that only
  // moving it into place is left once the map is there.
  std::unique_ptr<OutputFile> sidecar;
  if (KeepsASidecar(outputPath)) {
    sidecar = createOutput(GridSidecarPath(outputPath));
    if (!sidecar) {
      host.ShowError(kImportCaption, kImportCannotCreate);
      return RunOutcome::kFailed;
    }
    const std::string xml = GridSidecarXml(georeference);
    sidecar->Write(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size());
  }
  if ((sidecar && sidecar->Failed()) || !output->Commit()) {
    host.ShowError(kImportCaption, kImportWriteFailed);
    return RunOutcome::kFailed;
  }
  if (sidecar && !sidecar->Commit()) {
    // A map without its place on Earth would be taken for one that has none
    // to keep: it goes too.
    std::error_code error;
    std::filesystem::remove(FileSystemPath(outputPath), error);
    host.ShowError(kImportCaption, kImportWriteFailed);
    return RunOutcome::kFailed;
  }
  return RunOutcome::kWritten;
}

}  // namespace kem
