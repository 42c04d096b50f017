// TargaSource: one uncompressed true-colour Targa image opened for a run.
//
// The image is never held whole: the file stays open and each board's
// 76 x 76 pixel window is read on demand into a fixed buffer.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/file_ptr.h"

namespace kem {

class Host;

inline constexpr int kWindowSide = 76;                                   // pixels per window row
inline constexpr int kWindowPixels = kWindowSide * kWindowSide;          // 5776
inline constexpr int kWindowPixelBytes = 3;                              // blue, green, red
inline constexpr int kWindowRowBytes = kWindowSide * kWindowPixelBytes;  // 228
inline constexpr int kWindowBytes = kWindowSide * kWindowRowBytes;       // 17328
inline constexpr int kBoardSide = 72;                                    // pixels a board advances
inline constexpr int kMaxTargaSide = 65535;  // width and height are 16-bit fields
inline constexpr int kTargaHeaderSize = 18;

// Field offsets within the 18-byte header (multi-byte fields little-endian).
inline constexpr int kTargaIdLengthOffset = 0;
inline constexpr int kTargaColourMapTypeOffset = 1;
inline constexpr int kTargaImageTypeOffset = 2;
inline constexpr int kTargaColourMapFirstOffset = 3;
inline constexpr int kTargaColourMapLengthOffset = 5;
inline constexpr int kTargaColourMapEntrySizeOffset = 7;
inline constexpr int kTargaXOriginOffset = 8;
inline constexpr int kTargaYOriginOffset = 10;
inline constexpr int kTargaWidthOffset = 12;
inline constexpr int kTargaHeightOffset = 14;
inline constexpr int kTargaPixelDepthOffset = 16;
inline constexpr int kTargaDescriptorOffset = 17;

inline constexpr std::uint8_t kTargaUncompressedTrueColour = 2;  // image type
inline constexpr std::uint8_t kTargaColourMapPresent = 1;
// Bytes of the file kept per window row. Boards are read left to right, so a
// stretch read for one board serves the same rows of the next boards too;
// memory per source stays fixed whatever the image size.
inline constexpr int kRowCacheBytes = 8192;

inline constexpr std::uint8_t kDescriptorRightToLeft = 0x10;
inline constexpr std::uint8_t kDescriptorTopDown = 0x20;

// The 18-byte file header, field by field as stored (little-endian).
struct TargaHeader {
  std::uint8_t idLength = 0;
  std::uint8_t colourMapType = 0;
  std::uint8_t imageType = 0;
  std::uint16_t colourMapFirst = 0;
  std::uint16_t colourMapLength = 0;
  std::uint8_t colourMapEntrySize = 0;
  std::uint16_t xOrigin = 0;
  std::uint16_t yOrigin = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t pixelDepth = 0;
  std::uint8_t descriptor = 0;
};

struct TargaSource {
  std::string path;
  FilePtr file;
  std::int64_t pixelOffset = 0;  // file position of the first pixel
  std::int64_t fileSize = 0;     // length of the file in bytes
  TargaHeader header;
  // Last window read: 76 rows of 76 pixels (blue, green, red); row 0 is the
  // lowest picture row of the window, column 0 the leftmost.
  std::vector<std::uint8_t> window;
  // One height per window pixel, same index as `window` (76 * row + column).
  std::vector<float> heights;
  // For each window row, the last stretch of the file read for it:
  // rowCacheStride bytes at rowCache[rowCacheStride * row], holding
  // rowCacheLength[row] bytes from file position rowCacheStart[row]. The
  // stride is kRowCacheBytes, or one image row when that is shorter (and a
  // window row at least): no stretch serves more than the rest of its row.
  std::size_t rowCacheStride = 0;
  std::vector<std::uint8_t> rowCache;
  std::array<std::int64_t, kWindowSide> rowCacheStart{};
  std::array<std::int64_t, kWindowSide> rowCacheLength{};
};

// Failure codes of OpenTargaSource.
inline constexpr int kTargaOpenNoMemory = 0;
inline constexpr int kTargaOpenCannotOpen = 1;
inline constexpr int kTargaOpenNotTarga = 2;

// Opens `path` and reads its header. Returns the source, or null with `code`
// set to 0 (out of memory), 1 (cannot open) or 2 (header shorter than 18
// bytes). Shows nothing.
std::unique_ptr<TargaSource> OpenTargaSource(const std::string& path, int& code);

// Closes and frees the source (null allowed); always returns null so callers
// can clear their handle in the same statement.
std::unique_ptr<TargaSource> ReleaseTargaSource(std::unique_ptr<TargaSource> source);

// Checks `source` against the elevation image, showing one message box per
// failed test, in order: image type (must be 2, 24 or 32 bits per pixel),
// right-to-left storage, size. Only when those three passed: that the file
// holds all the pixel data its header declares. Each message has a detail
// line naming the image by `role` ("texturing guide") and path, with what was
// found: the type and depth, the two sizes in pixels, the bytes missing.
// Returns true when every test passed.
bool CheckTargaSource(const TargaSource& source, const TargaSource& elevation, Host& host,
                      const std::string& role = "image");

// Bytes per stored pixel: 4 for 32-bit images, otherwise 3.
int TargaBytesPerPixel(const TargaHeader& header);

// Fills source.window with the 76 x 76 window of board (col, row) of a grid
// of boardRows rows (boardCols is not needed), as blue, green, red whatever
// the stored pixel size. Does nothing for right-to-left images. Nothing is
// read outside the file: bytes beyond its end read as 0, and nothing is
// reported (the check has made sure the data is there).
void ReadBoardWindow(int col, int row, int boardCols, int boardRows, TargaSource& source);

}  // namespace kem
