// A whole generation from a Targa height map, written to memory.
//
// The input is the height map file followed by a fixed-size trailer of run
// options, read from the input's last bytes so that mutations of the image
// never shift them: base and maximum height, data format, switches, filter
// radius, and for each guide a key that makes it a variant of the height map
// (its pixel bytes xor-ed with the key, and with the high bits its width,
// pixel size or row order changed), so guides can differ from the elevation
// image in content and in shape. Every layout written must read back whole.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_io.h"
#include "core/generate_terrain.h"
#include "core/layout_file.h"
#include "core/layout_reader.h"
#include "core/project_settings.h"
#include "core/targa_source.h"
#include "core/texture_table.h"
#include "fuzz/fuzz_support.h"

namespace {

// Trailer fields, from the trailer's first byte.
constexpr std::size_t kBaseHeightAt = 0;     // 32-bit float
constexpr std::size_t kMaxHeightAt = 4;      // 32-bit float
constexpr std::size_t kFormatAt = 8;         // signed byte modulo 6: 0 to 4, and unknown ones
constexpr std::size_t kSwitchesAt = 9;       // the k*Switch bits below
constexpr std::size_t kFilterRadiusAt = 10;  // modulo 16
constexpr std::size_t kMinimapKeyAt = 11;
constexpr std::size_t kTexturingKeyAt = 12;
constexpr std::size_t kFilterKeyAt = 13;
constexpr std::size_t kTrailerSize = 14;

constexpr std::uint8_t kInterpolateSwitch = 0x01;
constexpr std::uint8_t kRandomizeSwitch = 0x02;
constexpr std::uint8_t kMinimapSwitch = 0x04;
constexpr std::uint8_t kTexturingSwitch = 0x08;
constexpr std::uint8_t kFilterSwitch = 0x10;

// Guide key bits beyond the low five, which only xor the pixels.
constexpr std::uint8_t kKeyWiderBit = 0x80;
constexpr std::uint8_t kKeyOtherDepthBit = 0x40;
constexpr std::uint8_t kKeyFlipRowsBit = 0x20;
constexpr std::uint8_t kKeyPixelMask = 0x1F;

constexpr char kTextureList[] =
    "-25:2001 70,110,200\n-25:2002 90,170,60\n-25:2003 40,110,40\n-1:-1 0,255,255\n"
    "-25:2005 245,245,245\n";

// tile_blank.dat and textures.txt in the scratch folder, written once.
void PrepareFolder() {
  static const bool prepared = [] {
    kem::fuzz::EnterScratchFolder();
    const std::vector<std::uint8_t> tile(kem::kTemplateBlockSize, 0);
    kem::fuzz::WriteScratchFile(kem::kTileTemplateFile, tile.data(), tile.size());
    kem::fuzz::WriteScratchFile(kem::kTextureListFile,
                                reinterpret_cast<const std::uint8_t*>(kTextureList),
                                sizeof kTextureList - 1);
    return true;
  }();
  (void)prepared;
}

// Writes the guide variant of `image` for `key` and returns its path.
std::string WriteGuide(const char* name, std::vector<std::uint8_t> image, std::uint8_t key) {
  if (image.size() >= kem::kTargaHeaderSize) {
    std::uint8_t* header = image.data();
    if (key & kKeyWiderBit) {
      const auto width =
          static_cast<std::uint16_t>(kem::GetLe16(header + kem::kTargaWidthOffset) + 1);
      kem::PutLe16(header + kem::kTargaWidthOffset, width);
    }
    if (key & kKeyOtherDepthBit) {
      header[kem::kTargaPixelDepthOffset] = header[kem::kTargaPixelDepthOffset] == 32 ? 24 : 32;
    }
    if (key & kKeyFlipRowsBit) {
      header[kem::kTargaDescriptorOffset] ^= kem::kDescriptorTopDown;
    }
    for (std::size_t i = kem::kTargaHeaderSize; i < image.size(); ++i) {
      image[i] ^= static_cast<std::uint8_t>(key & kKeyPixelMask);
    }
  }
  return kem::fuzz::WriteScratchFile(name, image.data(), image.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kem;
  if (size < kTrailerSize) {
    return 0;
  }
  PrepareFolder();
  const std::size_t imageSize = size - kTrailerSize;
  const std::uint8_t* trailer = data + imageSize;
  const std::vector<std::uint8_t> image(data, data + imageSize);

  ProjectSettings settings;
  settings.heightMapPath = fuzz::WriteScratchFile("height.tga", image.data(), image.size());
  settings.baseHeight = GetFloat32(trailer + kBaseHeightAt);
  settings.maxHeight = GetFloat32(trailer + kMaxHeightAt);
  settings.dataFormat = static_cast<std::int8_t>(trailer[kFormatAt]) % 6;
  const std::uint8_t switches = trailer[kSwitchesAt];
  settings.interpolate = (switches & kInterpolateSwitch) != 0 ? 1 : 0;
  settings.randomizeTextures = (switches & kRandomizeSwitch) != 0 ? 1 : 0;
  settings.filterRadius = trailer[kFilterRadiusAt] % 16;
  if (switches & kMinimapSwitch) {
    settings.minimapPath = WriteGuide("minimap.tga", image, trailer[kMinimapKeyAt]);
  }
  if (switches & kTexturingSwitch) {
    settings.texturingGuidePath = WriteGuide("texturing.tga", image, trailer[kTexturingKeyAt]);
  }
  if (switches & kFilterSwitch) {
    settings.filterGuidePath = WriteGuide("filter.tga", image, trailer[kFilterKeyAt]);
  }
  settings.outputPath = "out.gnd";

  // Kept from run to run: a layout's bytes are reused rather than mapped anew.
  static std::vector<std::uint8_t> layout;
  fuzz::QuietHost host;
  const GenerateResult result = GenerateTerrain(settings, host, fuzz::MemoryOutputs(layout));
  fuzz::Require(result.outcome != RunOutcome::kCancelled, "a run nobody cancelled was cancelled");
  fuzz::Require(result.outcome != RunOutcome::kFailed || host.messages > 0,
                "a run failed without a message");
  if (result.outcome == RunOutcome::kWritten) {
    fuzz::Require(layout.size() >= kLayoutIndexOffset, "a layout shorter than its head");
    const std::int32_t boards = GetLe32Signed(layout.data() + kLayoutHeadCountOffset);
    fuzz::Require(boards == result.boards && layout.size() == result.bytes,
                  "a run reports other boards or bytes than it wrote");
    fuzz::Require(
        boards >= 0 && layout.size() == static_cast<std::uint64_t>(LayoutFileSize(boards)),
        "a layout's size does not match its board count");
    // Every layout written reads back whole, unless its heights overflowed:
    // the reader calls a height that is not a number a fault.
    const std::unique_ptr<LayoutSource> source = MemoryLayoutSource(layout.data(), layout.size());
    const LayoutContents contents = ReadLayout(*source);
    const bool heightFault =
        contents.fault &&
        contents.fault->message.find("height that is not a number") != std::string::npos;
    fuzz::Require(!contents.fault || heightFault, "a written layout does not read back");
    fuzz::Require(heightFault || (contents.boardCount == boards &&
                                  contents.blocksRead == (boards > 0 ? boards : 1)),
                  "a written layout reads back with other boards");
  }
  return 0;
}
