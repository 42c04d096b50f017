// The 24-bit Targa height map written by the elevation conversions: its
// header, the height coding of its pixels, and the one writer that puts them
// into the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/output_file.h"
#include "core/run_host.h"
#include "core/targa_source.h"
#include "importer/grid_georeference.h"
#include "importer/import_host.h"

namespace kem {

// The height map is an uncompressed true-colour Targa image, 24 bits per
// pixel, rows stored from the top down.
inline constexpr std::size_t kHeightMapHeaderSize = kTargaHeaderSize;
inline constexpr std::uint8_t kHeightMapImageType = kTargaUncompressedTrueColour;
inline constexpr std::uint8_t kHeightMapPixelDepth = 24;  // bits per pixel
inline constexpr std::uint8_t kHeightMapDescriptor = kDescriptorTopDown;
inline constexpr std::size_t kHeightMapBytesPerPixel = 3;

// Fills `header` with the header of a cols x rows height map (the low 16 bits
// of each side).
void EncodeHeightMapHeader(std::int64_t cols, std::int64_t rows,
                           std::uint8_t (&header)[kHeightMapHeaderSize]);

// The 24-bit code of a height: (height + 1000) x 1677.7216 (the float
// constant) in extended precision, truncated toward zero, low 24 bits. Heights
// from -1000 to 9000 cover the codes 0 to 16777215; others wrap around. An
// infinite height gives 0.
std::uint32_t HeightCode(float height);

// Writes the code's three bytes, low byte first (blue, green, red).
inline void PutHeightCode(std::uint32_t code, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(code);
  out[1] = static_cast<std::uint8_t>(code >> 8);
  out[2] = static_cast<std::uint8_t>(code >> 16);
}

// Writes the pixels of `count` heights, 3 bytes each, to `out`.
void EncodeHeightPixels(const float* heights, std::size_t count, std::uint8_t* out);

// The part of a cols x rows grid of heights that becomes the height map.
struct HeightMapWindow {
  std::int64_t col = 0;  // first column and row
  std::int64_t row = 0;
  std::int64_t cols = 0;  // size
  std::int64_t rows = 0;
};

// Height maps cut to whole boards are 72 c + 4 by 72 r + 4 pixels: the boards
// advance 72 pixels and their windows share a 4-pixel edge.
inline constexpr std::int64_t kBoardEdge = kWindowSide - kBoardSide;

// The whole grid.
inline HeightMapWindow WholeGrid(std::int64_t cols, std::int64_t rows) {
  return {0, 0, cols, rows};
}

// The largest 72 c + 4 by 72 r + 4 window centred in a cols x rows grid (an
// odd pixel left over goes east or south). Returns false when not even one
// board fits (a side under 76 pixels).
bool FitWholeBoards(std::int64_t cols, std::int64_t rows, HeightMapWindow& window);

// The height map file at `outputPath`: a ReplacingFile, which takes the
// output's place only when committed. Null when it cannot be created.
std::unique_ptr<OutputFile> CreateHeightMapOutput(const std::string& outputPath);

// Codes heights into pixels and hands them to an output in large chunks.
class HeightMapPixelWriter {
 public:
  // Writes to `output`, which must outlive the writer.
  explicit HeightMapPixelWriter(OutputFile& output);

  // Codes `count` heights, the next pixels in file order, and writes them.
  void Write(const float* heights, std::size_t count);

  // Writes the pixels still held.
  void Flush();

 private:
  OutputFile& output_;
  std::vector<std::uint8_t> chunk_;
  std::size_t used_ = 0;  // bytes of chunk_ in use
};

// Writes a cols x rows height map at `outputPath` through `createOutput`: the
// header, then the pixels that `writePixels` hands to the writer, row by row
// from the top; and beside it, through the same factory, its sidecar
// (grid_sidecar.h) with `georeference`, committed after the map. Shows
// through `host` (with the conversion's caption) that a file cannot be
// created, or that writing it failed; either way nothing is left at either
// path. Returns kWritten or kFailed.
RunOutcome WriteHeightMap(const std::string& outputPath, const OutputFileFactory& createOutput,
                          std::int64_t cols, std::int64_t rows,
                          const GridGeoreference& georeference, ImportHost& host,
                          const std::function<void(HeightMapPixelWriter&)>& writePixels);

}  // namespace kem
