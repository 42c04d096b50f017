#include "core/board_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "core/byte_io.h"
#include "core/colour.h"
#include "core/layout_file.h"
#include "core/random_source.h"
#include "core/texture_table.h"
#include "support/test_outputs.h"
#include "support/test_support.h"

namespace kem {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

// ---- whole blocks ----------------------------------------------------------

// A job over one image: 24-bit coding with scale 1 and base 0, so a height is
// the pixel's 24-bit code, and no smoothing.
class BoardWriter : public ::testing::Test {
 protected:
  static Rgb Code(int code) {
    return {static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 8),
            static_cast<std::uint8_t>(code)};
  }

  std::unique_ptr<TargaSource> Open(const std::string& name, int width, int height,
                                    std::function<Rgb(int, int)> pixel, bool topDown = false) {
    test::TargaImage image;
    image.width = width;
    image.height = height;
    image.topDown = topDown;
    image.pixel = std::move(pixel);
    image.Save(dir_.File(name));
    int code = -1;
    auto source = OpenTargaSource(dir_.File(name), code);
    EXPECT_TRUE(source) << code;
    return source;
  }

  void SetUpJob(int width, int height, std::function<Rgb(int, int)> pixel, bool topDown = false) {
    job_.elevation = Open("elevation.tga", width, height, std::move(pixel), topDown);
    job_.boardCols = (width - 4) / 72;
    job_.boardRows = (height - 4) / 72;
    job_.dataFormat = k24BitHeightCoding;
    job_.heightScale = 1.0f;
    job_.baseHeight = 0.0f;
    job_.interpolate = 0;
  }

  std::vector<std::uint8_t> Block(int col, int row) {
    std::vector<std::uint8_t> block(kBoardBlockSize + 1, 0xEE);
    BuildBoardBlock(col, row, job_, block.data());
    EXPECT_EQ(block.back(), 0xEE);
    block.pop_back();
    return block;
  }

  static const std::uint8_t* Record(const std::vector<std::uint8_t>& block, int x, int y) {
    return block.data() + kVertexRecordsOffset + kVertexRecordSize * (76 * x + y);
  }

  static const std::uint8_t* MinimapPixel(const std::vector<std::uint8_t>& block, int r, int q) {
    return block.data() + kMinimapPixelsOffset + kMinimapPixelSize * (128 * r + q);
  }

  test::TempDir dir_;
  TerrainJob job_;
};

TEST_F(BoardWriter, AppendsOneBlockOfTheDefinedShape) {
  SetUpJob(76, 76, [](int, int) { return Rgb{0, 0, 9}; });
  test::MemoryOutput* output = new test::MemoryOutput;
  job_.output.reset(output);
  std::vector<std::uint8_t> scratch;
  WriteBoard(0, 0, job_, scratch);
  const auto& block = output->bytes;
  ASSERT_EQ(block.size(), 123318u);
  EXPECT_EQ((std::vector<std::uint8_t>(block.begin(), block.begin() + 4)),
            (std::vector<std::uint8_t>{0, 0, 0, 0}));
  for (int i = 0; i < 5776; ++i) {
    const std::uint8_t* record = block.data() + 4 + 10 * i;
    ASSERT_EQ(record[0], 253);
    ASSERT_EQ(record[1], 0);
    ASSERT_EQ(record[2], 0);
    ASSERT_EQ(GetFloat32(record + 3), 9.0f);
    ASSERT_EQ(static_cast<std::int8_t>(record[7]), 0);
    ASSERT_EQ(static_cast<std::int8_t>(record[8]), 0);
    ASSERT_EQ(static_cast<std::int8_t>(record[9]), 127);
  }
  EXPECT_EQ((std::vector<std::uint8_t>(block.begin() + 57764, block.begin() + 57782)),
            (std::vector<std::uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 128, 0, 128, 0, 32, 8}));
}

TEST_F(BoardWriter, WritesRecordsColumnByColumnFromTheTop) {
  SetUpJob(76, 76, [](int x, int y) { return Code(100 * x + y); });
  const auto block = Block(0, 0);
  for (int x = 0; x < 76; ++x) {
    for (int y = 0; y < 76; ++y) {
      ASSERT_EQ(GetFloat32(Record(block, x, y) + 3), static_cast<float>(100 * x + y))
          << x << "," << y;
    }
  }
}

TEST_F(BoardWriter, ReadsTheBoardsOwnWindowInEitherRowOrder) {
  auto code = [](int x, int y) { return Code(1000 * x + y); };
  for (bool topDown : {false, true}) {
    SetUpJob(148, 220, code, topDown);
    const auto block = Block(1, 2);
    for (int x = 0; x < 76; x += 5) {
      for (int y = 0; y < 76; y += 3) {
        ASSERT_EQ(GetFloat32(Record(block, x, y) + 3),
                  static_cast<float>(1000 * (72 + x) + (144 + y)))
            << topDown << " " << x << "," << y;
      }
    }
  }
}

TEST_F(BoardWriter, SmoothsOnlyWhenInterpolating) {
  SetUpJob(76, 76, [](int x, int y) { return Code(x == 10 && y == 10 ? 81 : 0); });
  EXPECT_EQ(GetFloat32(Record(Block(0, 0), 10, 11) + 3), 0.0f);
  job_.interpolate = 1;
  EXPECT_EQ(GetFloat32(Record(Block(0, 0), 10, 11) + 3), 10.0f);
}

TEST_F(BoardWriter, DecodesWithTheJobsScaleAndBase) {
  SetUpJob(76, 76, [](int, int) { return Code(3); });
  job_.heightScale = 0.5f;
  job_.baseHeight = -10.0f;
  EXPECT_EQ(GetFloat32(Record(Block(0, 0), 7, 7) + 3), -8.5f);
}

TEST_F(BoardWriter, MinimapSamplesTheElevationWindow) {
  SetUpJob(76, 76, [](int x, int y) {
    return Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7};
  });
  const auto block = Block(0, 0);
  for (int r = 0; r < 128; ++r) {
    for (int q = 0; q < 128; ++q) {
      const std::uint8_t* pixel = MinimapPixel(block, r, q);
      const int x = 2 + 9 * r / 16;
      const int y = 73 - 9 * (128 - q) / 16;
      ASSERT_EQ((std::array<int, 4>{pixel[0], pixel[1], pixel[2], pixel[3]}),
                (std::array<int, 4>{7, y, x, 0}))
          << r << "," << q;
    }
  }
  EXPECT_EQ(MinimapPixel(block, 0, 0)[2], 2);       // column 2
  EXPECT_EQ(MinimapPixel(block, 0, 0)[1], 1);       // row 1
  EXPECT_EQ(MinimapPixel(block, 127, 127)[2], 73);  // column 73
  EXPECT_EQ(MinimapPixel(block, 127, 127)[1], 73);  // row 73
}

TEST_F(BoardWriter, MinimapImageReplacesTheElevationPicture) {
  SetUpJob(76, 76, [](int, int) { return Rgb{1, 2, 3}; });
  job_.minimap = Open("minimap.tga", 76, 76, [](int x, int y) {
    return Rgb{static_cast<std::uint8_t>(y), 99, static_cast<std::uint8_t>(x)};
  });
  const auto block = Block(0, 0);
  const std::uint8_t* pixel = MinimapPixel(block, 16, 64);  // x = 11, y = 73 - 36 = 37
  EXPECT_EQ((std::array<int, 4>{pixel[0], pixel[1], pixel[2], pixel[3]}),
            (std::array<int, 4>{11, 99, 37, 0}));
  // Heights still come from the elevation image.
  EXPECT_EQ(GetFloat32(Record(block, 11, 37) + 3), static_cast<float>(0x010203));
}

// A texturing guide of three bands: red (slot 1), green (slot 2) and blue,
// whose entry has both keys -1 (no texture).
class BoardWriterTextured : public BoardWriter {
 protected:
  void SetUp() override {
    SetUpJob(76, 76, [](int, int) { return Rgb{0, 0, 1}; });
    AddEntry(1, 10, {255, 0, 0});
    AddEntry(2, 20, {0, 255, 0});
    AddEntry(-1, -1, {0, 0, 255});
    job_.texturingGuide = Open("guide.tga", 76, 76, [](int x, int) {
      return x < 30 ? Rgb{255, 0, 0} : x < 60 ? Rgb{0, 255, 0} : Rgb{0, 0, 255};
    });
    job_.textures = &table_;
  }

  void AddEntry(int keyA, int keyB, Rgb rgb) {
    TextureEntry& entry = table_.entries[entries_++];
    entry.keyA = keyA;
    entry.keyB = keyB;
    entry.red = rgb[0];
    entry.green = rgb[1];
    entry.blue = rgb[2];
    const HsvColour hsv = RgbToHsv(rgb[0], rgb[1], rgb[2]);
    entry.hue = hsv.hue;
    entry.saturation = hsv.saturation;
    entry.value = hsv.value;
  }

  static int ExpectedSlot(int x) { return x < 30 ? 1 : x < 60 ? 2 : 0; }

  TextureTable table_;
  int entries_ = 0;
};

TEST_F(BoardWriterTextured, PaintsEachVertexWithTheNearestTexture) {
  const std::uint32_t before = RandomSource::Program().State();
  const auto block = Block(0, 0);
  for (int x = 0; x < 76; ++x) {
    for (int y = 0; y < 76; ++y) {
      ASSERT_EQ(Record(block, x, y)[1], ExpectedSlot(x)) << x << "," << y;
      ASSERT_EQ(Record(block, x, y)[2], 0);
    }
  }
  EXPECT_EQ(RandomSource::Program().State(), before);  // nothing drawn
}

TEST_F(BoardWriterTextured, VariesTexturedVerticesWithOneDrawEach) {
  job_.randomizeTextures = 1;
  std::uint32_t state = RandomSource::Program().State();
  const auto block = Block(0, 0);
  int draws = 0;
  for (int x = 0; x < 76; ++x) {
    for (int y = 0; y < 76; ++y) {
      int expected = 0;
      if (ExpectedSlot(x) != 0) {
        state = state * 214013u + 2531011u;
        const int v = static_cast<int>((state >> 16) & 0x7FFF);
        expected = v * 255 / 32767;
        ++draws;
      }
      ASSERT_EQ(Record(block, x, y)[2], expected) << x << "," << y;
    }
  }
  EXPECT_EQ(draws, 60 * 76);
  EXPECT_EQ(RandomSource::Program().State(), state);
}

TEST_F(BoardWriter, UntexturedBoardsDrawNothing) {
  SetUpJob(76, 76, [](int, int) { return Rgb{5, 5, 5}; });
  job_.randomizeTextures = 1;
  const std::uint32_t before = RandomSource::Program().State();
  const auto block = Block(0, 0);
  for (int i = 0; i < 5776; ++i) {
    ASSERT_EQ(block[4 + 10 * i + 1], 0);
    ASSERT_EQ(block[4 + 10 * i + 2], 0);
  }
  EXPECT_EQ(RandomSource::Program().State(), before);
}

}  // namespace
}  // namespace kem
