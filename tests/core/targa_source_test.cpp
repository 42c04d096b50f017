#include "core/targa_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace kem {
namespace {

using test::RecordingHost;
using test::TargaImage;
using test::TempDir;
using Strings = std::vector<std::string>;

const std::string kTypeMessage = "Error: source is not uncompressed true colour targa image.";
const std::string kRightToLeftMessage =
    "Error: data in source arranged right to left, currently unsupported.";
const std::string kSizeMessage = "Error: size doesn't match the size of elevation data image.";
const std::string kIncompleteMessage = "Error: targa image data is incomplete.";

// Picture pixel (x, y from the top) in a colour that tells where it came from.
std::array<std::uint8_t, 3> Coordinates(int x, int y) {
  return {static_cast<std::uint8_t>(x & 0xFF), static_cast<std::uint8_t>(y & 0xFF),
          static_cast<std::uint8_t>(((x >> 8) << 4) | (y >> 8))};
}

TargaImage CoordinateImage(int width, int height, bool topDown, int depth = 24) {
  TargaImage image;
  image.width = width;
  image.height = height;
  image.topDown = topDown;
  image.pixelDepth = depth;
  image.pixel = Coordinates;
  return image;
}

// Inserts a colour map of `entries` entries of `entryBits` bits after the
// image ID field and declares it in the header.
std::vector<std::uint8_t> WithColourMap(std::vector<std::uint8_t> bytes, int entries,
                                        int entryBits) {
  bytes[1] = 1;
  bytes[5] = static_cast<std::uint8_t>(entries & 0xFF);
  bytes[6] = static_cast<std::uint8_t>(entries >> 8);
  bytes[7] = static_cast<std::uint8_t>(entryBits);
  const std::size_t mapBytes = static_cast<std::size_t>(entries) * ((entryBits + 7) / 8);
  bytes.insert(bytes.begin() + 18 + bytes[0], mapBytes, 0x5A);
  return bytes;
}

std::unique_ptr<TargaSource> Open(const std::string& path) {
  int code = -1;
  auto source = OpenTargaSource(path, code);
  EXPECT_TRUE(source) << "open code " << code;
  EXPECT_EQ(code, 0);
  return source;
}

Strings CheckMessages(const TargaSource& source, const TargaSource& elevation, bool& passed) {
  RecordingHost host;
  passed = CheckTargaSource(source, elevation, host);
  return host.Messages();
}

// Window of board (col, row) must show the picture rows that the storage
// order puts there: window row 0 is the lowest picture row, column j is x0 + j.
void ExpectWindowShowsPicture(TargaSource& source, const TargaImage& image, int col, int row) {
  const int boardCols = (image.width - 4) / 72;
  const int boardRows = (image.height - 4) / 72;
  ReadBoardWindow(col, row, boardCols, boardRows, source);
  int wrong = 0;
  for (int k = 0; k < kWindowSide; ++k) {
    const int yTop =
        image.topDown ? 72 * row + 75 - k : image.height - 1 - (72 * (boardRows - row - 1) + k);
    for (int j = 0; j < kWindowSide; ++j) {
      const auto rgb = Coordinates(72 * col + j, yTop);
      const std::uint8_t* got = &source.window[kWindowRowBytes * k + 3 * j];
      if (got[0] != rgb[2] || got[1] != rgb[1] || got[2] != rgb[0]) {
        ++wrong;
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "board " << col << "," << row;
}

void ExpectWindowsShowPicture(TargaSource& source, const TargaImage& image) {
  for (int row = 0; row < (image.height - 4) / 72; ++row) {
    for (int col = 0; col < (image.width - 4) / 72; ++col) {
      ExpectWindowShowsPicture(source, image, col, row);
    }
  }
}

TEST(TargaSource, MissingOrEmptyPathCannotBeOpened) {
  TempDir dir;
  for (const std::string& path : {dir.File("absent.tga"), std::string()}) {
    int code = -1;
    EXPECT_EQ(OpenTargaSource(path, code), nullptr);
    EXPECT_EQ(code, kTargaOpenCannotOpen) << "'" << path << "'";
  }
}

TEST(TargaSource, FolderIsNoImage) {
  TempDir dir;
  int code = -1;
  EXPECT_EQ(OpenTargaSource(dir.path().string(), code), nullptr);
  EXPECT_NE(code, 0);
}

TEST(TargaSource, OpenKeepsPathHeaderAndBuffers) {
  TempDir dir;
  auto image = CoordinateImage(300, 77, true, 32);
  image.idField = {1, 2, 3};
  image.Save(dir.File("a.tga"));
  auto source = Open(dir.File("a.tga"));
  ASSERT_TRUE(source);
  EXPECT_EQ(source->path, dir.File("a.tga"));
  EXPECT_EQ(source->header.imageType, 2);
  EXPECT_EQ(source->header.width, 300);
  EXPECT_EQ(source->header.height, 77);
  EXPECT_EQ(source->header.pixelDepth, 32);
  EXPECT_EQ(source->header.descriptor, 0x20);
  EXPECT_EQ(source->header.idLength, 3);
  EXPECT_EQ(source->pixelOffset, 21);
  EXPECT_EQ(source->fileSize, 21 + 300 * 77 * 4);
  EXPECT_EQ(source->window.size(), 17328u);
  EXPECT_EQ(source->heights.size(), 5776u);
  EXPECT_EQ(TargaBytesPerPixel(source->header), 4);
}

TEST(TargaSource, EveryTruncatedPrefixIsRefusedWithoutHarm) {
  TempDir dir;
  auto image = CoordinateImage(4, 3, false, 32);
  image.idField = {9, 9, 9, 9, 9};
  const auto full = WithColourMap(image.Encode(), 2, 15);
  ASSERT_EQ(full.size(), 18u + 5 + 4 + 4 * 3 * 4);
  for (std::size_t length = 0; length <= full.size(); ++length) {
    SCOPED_TRACE(testing::Message() << "length " << length);
    const std::string path = dir.File("prefix.tga");
    test::WriteFile(path, std::vector<std::uint8_t>(full.begin(), full.begin() + length));
    int code = -1;
    auto source = OpenTargaSource(path, code);
    if (length < 18) {
      EXPECT_EQ(source, nullptr);
      EXPECT_EQ(code, kTargaOpenNotTarga);
      continue;
    }
    ASSERT_TRUE(source);
    EXPECT_EQ(source->pixelOffset, 27);
    bool passed = false;
    const Strings messages = CheckMessages(*source, *source, passed);
    if (length < full.size()) {
      EXPECT_FALSE(passed);
      EXPECT_EQ(messages, Strings{kIncompleteMessage});
    } else {
      EXPECT_TRUE(passed);
      EXPECT_TRUE(messages.empty());
    }
    ReadBoardWindow(0, 0, 1, 1, *source);  // reads past the end: zeros, no fault
    source = ReleaseTargaSource(std::move(source));
    EXPECT_EQ(source, nullptr);
  }
}

struct OffsetCase {
  int idLength, colourMapType, colourMapLength, entryBits;
  std::int64_t pixelOffset;
};

TEST(TargaSource, PixelOffsetSkipsImageIdAndColourMap) {
  const std::vector<OffsetCase> cases = {
      {5, 0, 0, 0, 23},
      {0, 1, 256, 24, 18 + 768},
      {0, 1, 256, 15, 18 + 512},
      {0, 1, 3, 1, 21},
      {0, 1, 100, 0, 18},
      {0, 0, 256, 24, 18},  // no colour map declared: the length is ignored
      {0, 2, 256, 24, 18},
      {255, 1, 65535, 32, 18 + 255 + 65535 * 4},
      {255, 1, 65535, 255, 18 + 255 + 65535 * 32},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "id " << c.idLength << " map " << c.colourMapType << " "
                                    << c.colourMapLength << " x " << c.entryBits);
    std::vector<std::uint8_t> header(18, 0);
    header[0] = static_cast<std::uint8_t>(c.idLength);
    header[1] = static_cast<std::uint8_t>(c.colourMapType);
    header[2] = 2;
    header[5] = static_cast<std::uint8_t>(c.colourMapLength & 0xFF);
    header[6] = static_cast<std::uint8_t>(c.colourMapLength >> 8);
    header[7] = static_cast<std::uint8_t>(c.entryBits);
    header[16] = 24;
    test::WriteFile(dir.File("h.tga"), header);
    auto source = Open(dir.File("h.tga"));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->pixelOffset, c.pixelOffset);
  }
}

struct TypeCase {
  int imageType;
  int pixelDepth;
  bool accepted;
};

TEST(TargaSource, AcceptsOnlyUncompressedTrueColourOf24Or32Bits) {
  const std::vector<TypeCase> cases = {
      {2, 24, true},  {2, 32, true},    {2, 8, false},   {2, 15, false}, {2, 16, false},
      {2, 0, false},  {2, 48, false},   {1, 8, false},   {1, 24, false}, {3, 8, false},
      {3, 24, false}, {10, 24, false},  {10, 32, false}, {9, 8, false},  {11, 8, false},
      {0, 24, false}, {255, 24, false},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.imageType << " depth " << c.pixelDepth);
    TargaImage image = CoordinateImage(5, 4, false, c.pixelDepth);
    image.imageType = static_cast<std::uint8_t>(c.imageType);
    image.Save(dir.File("t.tga"));
    auto source = Open(dir.File("t.tga"));
    ASSERT_TRUE(source);
    bool passed = false;
    const Strings messages = CheckMessages(*source, *source, passed);
    EXPECT_EQ(passed, c.accepted);
    EXPECT_EQ(messages, c.accepted ? Strings{} : Strings{kTypeMessage});
  }
}

TEST(TargaSource, RunLengthEncodedFileGetsOnlyTheTypeMessage) {
  TempDir dir;
  TargaImage image = CoordinateImage(300, 300, false);
  image.imageType = 10;
  auto bytes = image.Encode();
  bytes.resize(18 + 40);  // compressed data is far shorter than raw data
  test::WriteFile(dir.File("rle.tga"), bytes);
  auto source = Open(dir.File("rle.tga"));
  ASSERT_TRUE(source);
  bool passed = true;
  EXPECT_EQ(CheckMessages(*source, *source, passed), Strings{kTypeMessage});
  EXPECT_FALSE(passed);
}

TEST(TargaSource, CheckShowsEveryFailedTestInOrder) {
  TempDir dir;
  CoordinateImage(76, 76, false).Save(dir.File("elevation.tga"));
  auto elevation = Open(dir.File("elevation.tga"));
  ASSERT_TRUE(elevation);

  struct Case {
    std::uint8_t imageType;
    std::uint8_t descriptorBits;
    int width;
    Strings messages;
  };
  const std::vector<Case> cases = {
      {2, 0x10, 76, {kRightToLeftMessage}},
      {2, 0x10, 80, {kRightToLeftMessage, kSizeMessage}},
      {3, 0x10, 80, {kTypeMessage, kRightToLeftMessage, kSizeMessage}},
      {1, 0x00, 76, {kTypeMessage}},
      {2, 0x00, 77, {kSizeMessage}},
      {2, 0x00, 76, {}},
  };
  for (const auto& c : cases) {
    TargaImage image = CoordinateImage(c.width, 76, false);
    image.imageType = c.imageType;
    image.extraDescriptorBits = c.descriptorBits;
    image.Save(dir.File("guide.tga"));
    auto guide = Open(dir.File("guide.tga"));
    ASSERT_TRUE(guide);
    bool passed = false;
    EXPECT_EQ(CheckMessages(*guide, *elevation, passed), c.messages);
    EXPECT_EQ(passed, c.messages.empty());
  }
}

TEST(TargaSource, HugeClaimedSizeIsIncompleteOrMismatched) {
  TempDir dir;
  std::vector<std::uint8_t> bytes(18 + 100, 0x11);
  std::fill(bytes.begin(), bytes.begin() + 18, 0);
  bytes[2] = 2;
  bytes[12] = bytes[13] = bytes[14] = bytes[15] = 0xFF;
  bytes[16] = 32;
  test::WriteFile(dir.File("huge.tga"), bytes);
  auto huge = Open(dir.File("huge.tga"));
  ASSERT_TRUE(huge);
  bool passed = true;
  EXPECT_EQ(CheckMessages(*huge, *huge, passed), Strings{kIncompleteMessage});
  EXPECT_FALSE(passed);

  CoordinateImage(76, 76, false).Save(dir.File("elevation.tga"));
  auto elevation = Open(dir.File("elevation.tga"));
  ASSERT_TRUE(elevation);
  EXPECT_EQ(CheckMessages(*huge, *elevation, passed), Strings{kSizeMessage});
  EXPECT_FALSE(passed);

  // Reading a window of such an image stays within the file.
  ReadBoardWindow(900, 900, 910, 910, *huge);
  ReadBoardWindow(0, 909, 910, 910, *huge);
  EXPECT_EQ(huge->window[0], 0x11);
}

TEST(TargaSource, HugeColourMapMakesTheDataIncomplete) {
  TempDir dir;
  auto bytes = CoordinateImage(76, 76, false).Encode();
  bytes[1] = 1;
  bytes[5] = bytes[6] = 0xFF;
  bytes[7] = 32;
  test::WriteFile(dir.File("map.tga"), bytes);
  auto source = Open(dir.File("map.tga"));
  ASSERT_TRUE(source);
  bool passed = true;
  EXPECT_EQ(CheckMessages(*source, *source, passed), Strings{kIncompleteMessage});
  EXPECT_FALSE(passed);
}

struct WindowCase {
  int width, height;
  bool topDown;
  int depth;
};

TEST(TargaSource, WindowsFollowTheStoredRowOrderAndPixelSize) {
  const std::vector<WindowCase> cases = {
      {76, 76, false, 24},   {76, 76, true, 24},   {148, 148, false, 24}, {148, 148, true, 24},
      {148, 80, true, 24},   {148, 80, false, 24}, {147, 76, false, 24},  {220, 151, true, 32},
      {220, 151, false, 32}, {76, 80, false, 32},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.width << "x" << c.height << (c.topDown ? " top" : " bottom") << " " << c.depth
                 << " bits");
    const TargaImage image = CoordinateImage(c.width, c.height, c.topDown, c.depth);
    image.Save(dir.File("w.tga"));
    auto source = Open(dir.File("w.tga"));
    ASSERT_TRUE(source);
    bool passed = false;
    CheckMessages(*source, *source, passed);
    ASSERT_TRUE(passed);
    ExpectWindowsShowPicture(*source, image);
  }
}

TEST(TargaSource, WindowsAreTheSameInAnyReadingOrder) {
  TempDir dir;
  // Rows far longer than what a window read keeps of each row at a time.
  for (const int depth : {24, 32}) {
    const TargaImage image = CoordinateImage(72 * 40 + 4, 72 * 2 + 4, depth == 32, depth);
    image.Save(dir.File("wide.tga"));
    auto source = Open(dir.File("wide.tga"));
    ASSERT_TRUE(source);
    std::vector<std::pair<int, int>> order;
    for (int i = 0; i < 80; ++i) {
      order.push_back({(i * 37) % 40, (i * 37) / 40 % 2});  // scattered over the grid
    }
    order.push_back({39, 1});
    order.push_back({0, 0});
    order.push_back({1, 0});
    order.push_back({39, 0});
    order.push_back({38, 0});
    for (const auto& [col, row] : order) {
      ExpectWindowShowsPicture(*source, image, col, row);
    }
  }
}

TEST(TargaSource, BottomUpBoardRowsTakeFileRowsFromTheEnd) {
  TempDir dir;
  const TargaImage image = CoordinateImage(76, 148, false);
  image.Save(dir.File("b.tga"));
  auto source = Open(dir.File("b.tga"));
  ASSERT_TRUE(source);
  // File row f of a bottom-up picture is picture row 147 - f from the top.
  ReadBoardWindow(0, 0, 1, 2, *source);
  EXPECT_EQ(source->window[kWindowRowBytes * 0 + 1], 147 - 72);
  EXPECT_EQ(source->window[kWindowRowBytes * 75 + 1], 147 - 147);
  ReadBoardWindow(0, 1, 1, 2, *source);
  EXPECT_EQ(source->window[kWindowRowBytes * 0 + 1], 147 - 0);
  EXPECT_EQ(source->window[kWindowRowBytes * 75 + 1], 147 - 75);
}

TEST(TargaSource, ThirtyTwoBitPixelsDropTheirAlpha) {
  TempDir dir;
  auto bytes = CoordinateImage(76, 76, true, 32).Encode();
  for (std::size_t i = 18 + 3; i < bytes.size(); i += 4) {
    bytes[i] = static_cast<std::uint8_t>(i * 7);  // alpha that must not leak into colours
  }
  test::WriteFile(dir.File("alpha.tga"), bytes);
  auto source = Open(dir.File("alpha.tga"));
  ASSERT_TRUE(source);
  ReadBoardWindow(0, 0, 1, 1, *source);
  // Window row 0 is picture row 75; pixel 10 of it is (10, 75).
  const std::uint8_t* pixel = &source->window[3 * 10];
  EXPECT_EQ(pixel[2], 10);
  EXPECT_EQ(pixel[1], 75);
  EXPECT_EQ(pixel[0], 0);
}

TEST(TargaSource, WindowsStartAfterImageIdAndColourMap) {
  TempDir dir;
  TargaImage image = CoordinateImage(148, 76, false, 24);
  image.idField = {1, 2, 3, 4, 5, 6, 7};
  test::WriteFile(dir.File("m.tga"), WithColourMap(image.Encode(), 3, 15));
  auto source = Open(dir.File("m.tga"));
  ASSERT_TRUE(source);
  EXPECT_EQ(source->pixelOffset, 18 + 7 + 6);
  ExpectWindowsShowPicture(*source, image);
}

TEST(TargaSource, RightToLeftWindowKeepsItsContent) {
  TempDir dir;
  TargaImage image = CoordinateImage(76, 76, false);
  image.extraDescriptorBits = 0x10;
  image.Save(dir.File("r.tga"));
  auto source = Open(dir.File("r.tga"));
  ASSERT_TRUE(source);
  std::fill(source->window.begin(), source->window.end(), 0xAB);
  ReadBoardWindow(0, 0, 1, 1, *source);
  EXPECT_EQ(std::count(source->window.begin(), source->window.end(), 0xAB), kWindowBytes);
}

TEST(TargaSource, ShortDataReadsAsZeros) {
  TempDir dir;
  auto bytes = CoordinateImage(76, 76, true).Encode();
  bytes.resize(18 + 10 * 228 + 100);  // ten whole rows and part of the eleventh
  test::WriteFile(dir.File("short.tga"), bytes);
  auto source = Open(dir.File("short.tga"));
  ASSERT_TRUE(source);
  std::fill(source->window.begin(), source->window.end(), 0xAB);
  ReadBoardWindow(0, 0, 1, 1, *source);
  // Top-down: window row 75 is file row 0, window row 65 file row 10.
  EXPECT_EQ(source->window[kWindowRowBytes * 75 + 2 + 3 * 5], 5);
  EXPECT_EQ(source->window[kWindowRowBytes * 66 + 1], 9);
  EXPECT_EQ(source->window[kWindowRowBytes * 65 + 1], 10);  // first 33 pixels are there
  EXPECT_EQ(source->window[kWindowRowBytes * 65 + 227], 0);
  EXPECT_EQ(std::count(source->window.begin(), source->window.begin() + kWindowRowBytes * 65, 0xAB),
            0);
}

TEST(TargaSource, WindowsBeyondTheFileReadAsZeros) {
  TempDir dir;
  CoordinateImage(76, 76, false).Save(dir.File("o.tga"));
  auto source = Open(dir.File("o.tga"));
  ASSERT_TRUE(source);
  const std::vector<std::array<int, 3>> outside = {{0, 5, 1},
                                                   {0, -2, 1},
                                                   {0, 0, 100000},
                                                   {2147483647, 0, 1},
                                                   {-2147483647 - 1, 0, 1},
                                                   {0, -2147483647 - 1, 2147483647}};
  for (const auto& [col, row, rows] : outside) {
    std::fill(source->window.begin(), source->window.end(), 0xAB);
    ReadBoardWindow(col, row, 1, rows, *source);
    EXPECT_EQ(std::count(source->window.begin(), source->window.end(), 0), kWindowBytes)
        << "board " << col << "," << row << " of " << rows << " rows";
  }
  // Windows that reach partly past an edge read what lies in the file there.
  ReadBoardWindow(5, 0, 1, 1, *source);
  ReadBoardWindow(-3, 0, 1, 1, *source);
}

TEST(TargaSource, ReleasingNullGivesNull) {
  EXPECT_EQ(ReleaseTargaSource(nullptr), nullptr);
}

}  // namespace
}  // namespace kem
