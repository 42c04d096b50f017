// XYZ conversion: any text converts to a height map whose header matches its
// pixel data, or stops with a message; nothing is read or written out of
// bounds; and reading it in small blocks, as threads do, gives every number,
// position and ending that one reader gives. Inputs whose grid would be large
// are only read, not converted, so that each run stays quick.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_io.h"
#include "fuzz/fuzz_support.h"
#include "importer/convert_dem.h"
#include "importer/dem_grid.h"
#include "importer/height_map_writer.h"
#include "importer/xyz_reader.h"
#include "importer/xyz_scan.h"

namespace {

// Cells of the largest grid converted: enough for interpolation between
// sample rows and columns, small enough for thousands of runs a second.
constexpr std::int64_t kMaxFuzzCells = 1 << 16;

// Reads the points as the conversion will; returns false when the grid they
// span is too large for a quick run.
bool SmallEnough(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  kem::fuzz::Require(file != nullptr, "the scratch input cannot be opened");
  kem::XyzNumberReader reader(file.get(), 4096);
  kem::DemExtents extents;
  float number[3];
  int got = 0;
  bool first = true;
  while (reader.Next(number[got]) == kem::XyzNumberReader::Result::kNumber) {
    if (++got == 3) {
      extents.Include({number[0], number[1], number[2]}, first);
      first = false;
      got = 0;
    }
  }
  kem::GridSize size;
  return first || !kem::ComputeGridSize(extents, size) || size.cols * size.rows <= kMaxFuzzCells;
}

// Reads every number that `numbers` gives into `out`: each
// one's bits and position, then how the reading ended.
template <typename Numbers>
void ReadNumbers(Numbers& numbers, std::vector<std::uint64_t>& out) {
  float value = 0.0f;
  kem::XyzNumberReader::Result result;
  while ((result = numbers.Next(value)) == kem::XyzNumberReader::Result::kNumber) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    out.push_back(bits);
    out.push_back(numbers.Position());
  }
  out.push_back(static_cast<std::uint64_t>(result));
}

void RequireSameReadingInBlocks(const std::string& path, std::size_t blockBytes) {
  using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
  File one(std::fopen(path.c_str(), "rb"), std::fclose);
  File two(std::fopen(path.c_str(), "rb"), std::fclose);
  kem::fuzz::Require(one != nullptr && two != nullptr, "the scratch input cannot be opened");
  kem::XyzNumberReader reader(one.get());
  // The blocks are parsed on this thread: the cutting and the handing out
  // are what is checked, and no thread is started for each input.
  kem::XyzScan scan(two.get(), 1, blockBytes);
  std::vector<std::uint64_t> expected;
  std::vector<std::uint64_t> actual;
  ReadNumbers(reader, expected);
  ReadNumbers(scan, actual);
  kem::fuzz::Require(actual == expected, "reading in blocks differs from one reader");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kem;
  if (size <= 64) {
    float value = 0.0f;
    ParseXyzNumber(std::string_view(reinterpret_cast<const char*>(data), size), value);
  }
  const std::string input = fuzz::WriteScratchFile("dem.xyz", data, size);
  RequireSameReadingInBlocks(input, 1 + size % 61);
  if (!SmallEnough(input)) {
    return 0;
  }
  std::vector<std::uint8_t> bytes;
  fuzz::QuietImportHost host;
  // Odd lengths also crop the height map to whole boards.
  ConvertOptions options;
  options.fitBoards = size % 2 == 1;
  const RunOutcome result = convertdem(input, host, fuzz::MemoryOutputs(bytes), options);
  fuzz::Require(result != RunOutcome::kCancelled, "a conversion nobody cancelled was cancelled");
  fuzz::Require((result == RunOutcome::kWritten) == (host.errors == 0),
                "a conversion failed without a message, or wrote after one");
  if (result == RunOutcome::kWritten) {
    fuzz::Require(bytes.size() >= kHeightMapHeaderSize, "a height map without a header");
    const std::size_t cols = GetLe16(bytes.data() + kTargaWidthOffset);
    const std::size_t rows = GetLe16(bytes.data() + kTargaHeightOffset);
    fuzz::Require(bytes.size() == kHeightMapHeaderSize + cols * rows * kHeightMapBytesPerPixel,
                  "a height map's size does not match its header");
  }
  return 0;
}
