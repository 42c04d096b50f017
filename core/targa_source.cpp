// Opening, checking and window reading of uncompressed true-colour Targa
// images. Only the header is read at open; board windows are read row by row
// at absolute file positions, so memory per source stays fixed whatever the
// image size.
#include "core/targa_source.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <new>

#include "core/byte_io.h"
#include "core/file_problems.h"
#include "core/host.h"
#include "core/open_file.h"

namespace kem {

namespace {

constexpr int kLargestPixelBytes = 4;

constexpr const char* kNotTrueColourMessage =
    "Error: source is not uncompressed true colour targa image.";
constexpr const char* kRightToLeftMessage =
    "Error: data in source arranged right to left, currently unsupported.";
constexpr const char* kSizeMismatchMessage =
    "Error: size doesn't match the size of elevation data image.";
constexpr const char* kIncompleteMessage = "Error: targa image data is incomplete.";

TargaHeader DecodeHeader(const std::array<std::uint8_t, kTargaHeaderSize>& bytes) {
  TargaHeader header;
  header.idLength = bytes[kTargaIdLengthOffset];
  header.colourMapType = bytes[kTargaColourMapTypeOffset];
  header.imageType = bytes[kTargaImageTypeOffset];
  header.colourMapFirst = GetLe16(&bytes[kTargaColourMapFirstOffset]);
  header.colourMapLength = GetLe16(&bytes[kTargaColourMapLengthOffset]);
  header.colourMapEntrySize = bytes[kTargaColourMapEntrySizeOffset];
  header.xOrigin = GetLe16(&bytes[kTargaXOriginOffset]);
  header.yOrigin = GetLe16(&bytes[kTargaYOriginOffset]);
  header.width = GetLe16(&bytes[kTargaWidthOffset]);
  header.height = GetLe16(&bytes[kTargaHeightOffset]);
  header.pixelDepth = bytes[kTargaPixelDepthOffset];
  header.descriptor = bytes[kTargaDescriptorOffset];
  return header;
}

// Position of the first pixel: after the header, the image ID field and, when
// present, the colour map (entries rounded up to whole bytes).
std::int64_t PixelOffset(const TargaHeader& header) {
  std::int64_t offset = kTargaHeaderSize + std::int64_t{header.idLength};
  if (header.colourMapType == kTargaColourMapPresent) {
    const std::int64_t entryBytes = (std::int64_t{header.colourMapEntrySize} + 7) / 8;
    offset += std::int64_t{header.colourMapLength} * entryBytes;
  }
  return offset;
}

bool SeekTo(std::FILE* file, std::int64_t position) {
  if (position < 0 || position > std::int64_t{LONG_MAX}) {
    return false;
  }
  return std::fseek(file, static_cast<long>(position), SEEK_SET) == 0;
}

// Length of the file, or -1 when it cannot be determined.
std::int64_t FileLength(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) {
    return -1;
  }
  const long length = std::ftell(file);
  return length < 0 ? -1 : std::int64_t{length};
}

// Copies `size` bytes at file position `position` into `target` for window
// row `k`, from that row's cached stretch when it holds them, otherwise after
// one positioned read of a new stretch. Nothing is read past the end of the
// file; bytes that cannot be read are zeroed.
void ReadRow(TargaSource& source, int k, std::int64_t position, std::uint8_t* target,
             std::size_t size) {
  std::int64_t& start = source.rowCacheStart[k];
  std::int64_t& length = source.rowCacheLength[k];
  std::uint8_t* stretch = source.rowCache.data() + source.rowCacheStride * k;
  const auto wanted = static_cast<std::int64_t>(size);
  if (position < start || position + wanted > start + length) {
    start = position;
    length = 0;
    if (position >= 0 && position < source.fileSize && SeekTo(source.file.get(), position)) {
      const auto available = std::min<std::int64_t>(
          source.fileSize - position, static_cast<std::int64_t>(source.rowCacheStride));
      length = static_cast<std::int64_t>(
          std::fread(stretch, 1, static_cast<std::size_t>(available), source.file.get()));
    }
  }
  const std::int64_t offset = position - start;
  const auto held = static_cast<std::size_t>(std::clamp<std::int64_t>(length - offset, 0, wanted));
  if (held > 0) {
    std::memcpy(target, stretch + offset, held);
  }
  if (held < size) {
    std::memset(target + held, 0, size - held);
  }
}

}  // namespace

std::unique_ptr<TargaSource> OpenTargaSource(const std::string& path, int& code) {
  code = kTargaOpenNoMemory;
  std::unique_ptr<TargaSource> source;
  try {
    source = std::make_unique<TargaSource>();
    source->path = path;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }

  code = kTargaOpenCannotOpen;
  source->file.reset(OpenFile(path, "rb"));
  if (!source->file) {
    return nullptr;
  }
  // Window rows are read with one positioned read each; the stream's own
  // buffer would only copy every row twice and read far more than asked.
  std::setvbuf(source->file.get(), nullptr, _IONBF, 0);

  code = kTargaOpenNotTarga;
  std::array<std::uint8_t, kTargaHeaderSize> bytes{};
  if (std::fread(bytes.data(), 1, bytes.size(), source->file.get()) != bytes.size()) {
    return nullptr;
  }
  source->header = DecodeHeader(bytes);
  source->pixelOffset = PixelOffset(source->header);
  source->fileSize = FileLength(source->file.get());
  if (source->fileSize < 0) {
    source->fileSize = kTargaHeaderSize;
  }

  code = kTargaOpenNoMemory;
  try {
    source->window.resize(kWindowBytes);
    source->heights.resize(kWindowPixels);
    const std::int64_t bpp = TargaBytesPerPixel(source->header);
    source->rowCacheStride = static_cast<std::size_t>(
        std::clamp<std::int64_t>(bpp * source->header.width, bpp * kWindowSide, kRowCacheBytes));
    source->rowCache.resize(std::size_t{kWindowSide} * source->rowCacheStride);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return source;
}

std::unique_ptr<TargaSource> ReleaseTargaSource(std::unique_ptr<TargaSource> source) {
  if (source) {
    source->file.reset();
    source.reset();
  }
  return nullptr;
}

int TargaBytesPerPixel(const TargaHeader& header) {
  return header.pixelDepth == 32 ? 4 : kWindowPixelBytes;
}

bool CheckTargaSource(const TargaSource& source, const TargaSource& elevation, Host& host,
                      const std::string& role) {
  const TargaHeader& header = source.header;
  const std::string name = role + " " + ShownPath(source.path);
  auto size = [](const TargaHeader& of) {
    return std::to_string(of.width) + " x " + std::to_string(of.height) + " pixels";
  };
  bool passed = true;
  if (header.imageType != kTargaUncompressedTrueColour ||
      (header.pixelDepth != 24 && header.pixelDepth != 32)) {
    host.ShowDetailedMessage(kNotTrueColourMessage,
                             name + ": image type " + std::to_string(header.imageType) + ", " +
                                 std::to_string(header.pixelDepth) +
                                 " bits per pixel; needed: type 2, 24 or 32 bits per pixel");
    passed = false;
  }
  if ((header.descriptor & kDescriptorRightToLeft) != 0) {
    host.ShowDetailedMessage(kRightToLeftMessage, name + " is stored right to left");
    passed = false;
  }
  if (header.width != elevation.header.width || header.height != elevation.header.height) {
    host.ShowDetailedMessage(
        kSizeMismatchMessage,
        name + " is " + size(header) + "; the height map is " + size(elevation.header));
    return false;
  }
  if (!passed) {
    return false;
  }
  const std::int64_t dataBytes = std::int64_t{TargaBytesPerPixel(header)} *
                                 std::int64_t{header.width} * std::int64_t{header.height};
  if (source.fileSize < source.pixelOffset + dataBytes) {
    host.ShowDetailedMessage(kIncompleteMessage,
                             name + " holds " + std::to_string(source.fileSize) +
                                 " bytes; its header declares " +
                                 std::to_string(source.pixelOffset + dataBytes));
    return false;
  }
  return true;
}

void ReadBoardWindow(int col, int row, int /*boardCols*/, int boardRows, TargaSource& source) {
  const TargaHeader& header = source.header;
  if ((header.descriptor & kDescriptorRightToLeft) != 0 || !source.file) {
    return;
  }
  const int bpp = TargaBytesPerPixel(header);
  const std::size_t rowBytes = static_cast<std::size_t>(kWindowSide) * bpp;
  if (source.window.size() < std::size_t{kWindowBytes} || source.rowCacheStride < rowBytes ||
      source.rowCache.size() < std::size_t{kWindowSide} * source.rowCacheStride) {
    return;  // not a source that OpenTargaSource gave
  }
  const std::int64_t width = header.width;
  const std::int64_t x0 = std::int64_t{kBoardSide} * col;
  const bool topDown = (header.descriptor & kDescriptorTopDown) != 0;

  std::array<std::uint8_t, kWindowSide * kLargestPixelBytes> stored{};
  for (int k = 0; k < kWindowSide; ++k) {
    const std::int64_t f = topDown
                               ? std::int64_t{kBoardSide} * row + (kWindowSide - 1) - k
                               : std::int64_t{kBoardSide} * (std::int64_t{boardRows} - row - 1) + k;
    const std::int64_t position = source.pixelOffset + bpp * (f * width + x0);
    std::uint8_t* target = source.window.data() + static_cast<std::size_t>(kWindowRowBytes) * k;
    if (bpp == kWindowPixelBytes) {
      ReadRow(source, k, position, target, rowBytes);
      continue;
    }
    ReadRow(source, k, position, stored.data(), rowBytes);
    for (int j = 0; j < kWindowSide; ++j) {
      // Blue, green, red; the fourth byte (alpha) has no meaning for terrain.
      std::memcpy(target + kWindowPixelBytes * j, stored.data() + kLargestPixelBytes * j,
                  kWindowPixelBytes);
    }
  }
}

}  // namespace kem
