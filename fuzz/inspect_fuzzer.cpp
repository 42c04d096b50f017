// `inspect FILE.gnd` above the reader: the board grid, the report, the relief
// preview and the minimap mosaic drawn from whatever layout the reader
// accepts. The input is either a raw file (first byte odd) or, so that the
// fuzzer steers the board places directly, a recipe: the first byte picks
// the report and pictures, then each 12 bytes give a board's row delta,
// column delta and height, from which a whole layout file is built. Every
// picture written must fit in 1024 pixels a side.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/inspect_command.h"
#include "cli/terminal.h"
#include "core/byte_io.h"
#include "core/layout_file.h"
#include "core/layout_reader.h"
#include "core/relief_image.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace kem;

constexpr std::uint8_t kRawFile = 1;
constexpr std::uint8_t kJson = 2;
constexpr std::uint8_t kPreview = 4;
constexpr std::uint8_t kMinimaps = 8;
constexpr std::size_t kRecipeBoardBytes = 12;
constexpr std::size_t kMaxRecipeBoards = 8;  // each block is 123318 bytes

// A layout file of the boards the recipe places: block 0 (the anchor) at the
// first record's height, the others at their deltas. Everything but the
// places is sound, so the reader's checks of the index decide.
std::vector<std::uint8_t> BuildLayout(const std::uint8_t* recipe, std::size_t size) {
  const std::size_t boards = std::clamp<std::size_t>(size / kRecipeBoardBytes, 1, kMaxRecipeBoards);
  const auto count = static_cast<std::int64_t>(boards);
  std::vector<std::uint8_t> file(static_cast<std::size_t>(LayoutFileSize(count)), 0);
  std::copy(kLayoutMagic.begin(), kLayoutMagic.end(), file.begin());
  PutLe32(file.data() + kLayoutHeadCountOffset, static_cast<std::int32_t>(count));
  auto field = [&](std::size_t board, std::size_t at) -> std::uint32_t {
    const std::size_t offset = board * kRecipeBoardBytes + at;
    return offset + 4 <= size ? GetLe32(recipe + offset) : 0;
  };
  for (std::int64_t p = 0; p < count; ++p) {
    std::uint8_t* entry = file.data() + kLayoutIndexOffset;
    if (p > 0) {
      entry += kIndexOffsetsSize + kIndexEntrySize * static_cast<std::size_t>(p - 1);
      PutLe32(entry + kIndexRowDeltaField, field(static_cast<std::size_t>(p), 0));
      PutLe32(entry + kIndexColDeltaField, field(static_cast<std::size_t>(p), 4));
      entry += kIndexDeltasSize;
    }
    PutLe32(entry + kIndexBlockOffsetField, static_cast<std::uint32_t>(BoardBlockOffset(count, p)));
    PutLe32(entry + kIndexMinimapOffsetField, static_cast<std::uint32_t>(MinimapOffset(count, p)));
  }
  for (std::size_t r = 0; r < kTextureRecordCount; ++r) {
    std::copy(kFillerTextureRecord.begin(), kFillerTextureRecord.end(),
              file.begin() + TextureSectionOffset(count) +
                  static_cast<std::ptrdiff_t>(r * kTextureRecordSize));
  }
  for (std::int64_t p = 0; p < count; ++p) {
    std::uint8_t* block = file.data() + BoardBlockOffset(count, p);
    const float height = std::bit_cast<float>(field(static_cast<std::size_t>(p), 8));
    for (std::size_t v = 0; v < kVertexRecordCount; ++v) {
      std::uint8_t* record = block + kVertexRecordsOffset + v * kVertexRecordSize;
      record[kVertexMarkerField] = kVertexMarker;
      PutFloat32(record + kVertexHeightField, height + static_cast<float>(v % 7));
      record[kVertexNormalUpField] = 127;
    }
    std::copy(kMinimapHeader.begin(), kMinimapHeader.end(), block + kMinimapHeaderOffset);
    for (std::size_t i = 0; i < kMinimapPixelSize * kMinimapSide * kMinimapSide; ++i) {
      if (i % kMinimapPixelSize != kMinimapPixelSize - 1) {
        block[kMinimapPixelsOffset + i] = static_cast<std::uint8_t>(p * 40 + i);
      }
    }
  }
  return file;
}

// The width and height a PNG file declares, or 0 x 0 when there is none.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::uint8_t head[24] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head)) {
    return {0, 0};
  }
  auto big = [&](int at) {
    return static_cast<std::uint32_t>(head[at]) << 24 |
           static_cast<std::uint32_t>(head[at + 1]) << 16 |
           static_cast<std::uint32_t>(head[at + 2]) << 8 | head[at + 3];
  };
  return {big(16), big(20)};
}

}  // namespace

// RunInspectLayout's messages go to the terminal; the target calls the layer
// below it, which prints nothing.
void kem::cli::WriteMessageLine(const std::string& /*text*/) {}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  fuzz::EnterScratchFolder();
  const std::uint8_t flags = data[0];
  const std::vector<std::uint8_t> bytes = (flags & kRawFile) != 0
                                              ? std::vector<std::uint8_t>(data + 1, data + size)
                                              : BuildLayout(data + 1, size - 1);
  cli::InspectOptions options;
  options.json = (flags & kJson) != 0;
  const std::string preview = fuzz::ScratchFolder() + "/preview.png";
  const std::string minimaps = fuzz::ScratchFolder() + "/minimaps.png";
  std::remove(preview.c_str());
  std::remove(minimaps.c_str());
  options.preview = (flags & kPreview) != 0 ? preview : "";
  options.minimaps = (flags & kMinimaps) != 0 ? minimaps : "";

  const std::unique_ptr<LayoutSource> source = MemoryLayoutSource(bytes.data(), bytes.size());
  std::ostringstream report;
  const cli::LayoutInspection inspection = cli::InspectLayout(*source, "fuzz.gnd", options, report);
  fuzz::Require(!report.str().empty(), "no report");
  fuzz::Require(inspection.message.empty() == !inspection.contents.fault,
                "a sound layout's pictures failed, or a fault went without a message");
  if (!inspection.message.empty()) {
    return 0;
  }
  for (const std::string& picture : {options.preview, options.minimaps}) {
    if (picture.empty()) {
      continue;
    }
    const auto [width, height] = PngSize(picture);
    fuzz::Require(width >= 1 && height >= 1, "a picture asked for was not written");
    fuzz::Require(width <= kPictureLongSide && height <= kPictureLongSide,
                  "a picture larger than 1024 pixels a side");
  }
  return 0;
}
