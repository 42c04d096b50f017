// Layout file reading: any bytes are read to the end or to a first fault,
// never outside the input, and every board the reader hands out is whole.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/layout_file.h"
#include "core/layout_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kem;
  const std::unique_ptr<LayoutSource> source = MemoryLayoutSource(data, size);
  std::int64_t boardsSeen = 0;
  unsigned checksum = 0;
  LayoutVisitor visitor;
  visitor.board = [&](const LayoutBoardView& view) {
    ++boardsSeen;
    // Touch every byte handed out, so the sanitizers see a short buffer.
    for (std::size_t i = 0; i < kVertexRecordCount; ++i) {
      checksum += view.slots[i] + static_cast<unsigned>(view.heights[i] == view.heights[i]);
    }
    for (int i = 0; i < kMinimapSide * kMinimapSide * static_cast<int>(kMinimapPixelSize); ++i) {
      checksum += view.minimap[i];
    }
  };
  const LayoutContents contents = ReadLayout(*source, visitor);
  fuzz::Require(contents.fileSize == static_cast<std::int64_t>(size), "the reader lost the size");
  fuzz::Require(contents.blocksRead == boardsSeen, "blocks read and boards handed out differ");
  fuzz::Require(contents.fault || contents.headRead, "a layout without a head read without fault");
  fuzz::Require(!contents.fault || contents.fault->offset <= contents.fileSize,
                "a fault placed past the end of the file");
  (void)checksum;
  return 0;
}
