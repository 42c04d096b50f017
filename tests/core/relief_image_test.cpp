// Map pictures: the relief's size and downsampling, its board overlay, a
// guide's colours draped over it, and the minimap mosaic's placement of
// boards.
#include "core/relief_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace kem {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

Rgb PixelOf(const RgbImage& image, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return {image.pixels[at], image.pixels[at + 1], image.pixels[at + 2]};
}

TEST(ReliefCanvas, ShrinksTheLongSideToAtMost1024Pixels) {
  struct Case {
    std::int64_t width, height, factor;
    int pictureWidth, pictureHeight;
  };
  const Case cases[] = {
      {288, 216, 1, 288, 216},    {1024, 1, 1, 1024, 1},        {1025, 10, 2, 513, 5},
      {9504, 9504, 10, 951, 951}, {1253664, 72, 1225, 1024, 1},
  };
  for (const Case& c : cases) {
    const ReliefCanvas canvas(c.width, c.height);
    EXPECT_EQ(canvas.Factor(), c.factor) << c.width;
    EXPECT_EQ(canvas.PictureWidth(), c.pictureWidth) << c.width;
    EXPECT_EQ(canvas.PictureHeight(), c.pictureHeight) << c.width;
  }
}

// Two boards of 8 x 8 samples given column by column or as bottom-up rows
// draw the same picture.
TEST(ReliefCanvas, TakesPiecesInAnyOrderOfStrides) {
  constexpr int kSide = 8;
  std::vector<float> columnMajor(kSide * kSide);
  std::vector<float> rowMajor(kSide * kSide);
  for (int x = 0; x < kSide; ++x) {
    for (int y = 0; y < kSide; ++y) {
      columnMajor[x * kSide + y] = static_cast<float>(x + 10 * y);
      rowMajor[(kSide - 1 - y) * kSide + x] = static_cast<float>(x + 10 * y);
    }
  }
  ReliefCanvas a(2 * kSide, kSide);
  ReliefCanvas b(2 * kSide, kSide);
  a.Add(0, 0, kSide, kSide, columnMajor.data(), kSide, 1);
  a.Add(kSide, 0, kSide, kSide, columnMajor.data(), kSide, 1);
  // Bottom-up rows, as a height map window keeps them.
  b.Add(0, 0, kSide, kSide, rowMajor.data() + (kSide - 1) * kSide, 1, -kSide);
  b.Add(kSide, 0, kSide, kSide, rowMajor.data() + (kSide - 1) * kSide, 1, -kSide);
  b.Add(-3, 100, kSide, kSide, rowMajor.data(), 1, kSide);  // off the grid: ignored
  BoardOverlay overlay;
  overlay.boardCols = 2;
  overlay.boardRows = 1;
  overlay.boardSide = kSide;
  EXPECT_EQ(a.Render(overlay).pixels, b.Render(overlay).pixels);
}

// Pieces that start inside a picture pixel (72 columns at five samples a
// pixel) add each sample where one whole piece adds it.
TEST(ReliefCanvas, DrawsTheSamePictureFromBoardsAsFromTheWholeGrid) {
  constexpr int kCols = 57;
  constexpr int kWidth = kCols * 72;
  constexpr int kRows = 3;
  std::vector<float> heights(static_cast<std::size_t>(kWidth) * kRows);
  for (std::size_t i = 0; i < heights.size(); ++i) {
    heights[i] = static_cast<float>((i * 37) % 101);
  }
  ReliefCanvas whole(kWidth, kRows);
  ReliefCanvas pieces(kWidth, kRows);
  ASSERT_EQ(whole.Factor(), 5);
  whole.Add(0, 0, kWidth, kRows, heights.data(), 1, kWidth);
  for (int col = 0; col < kCols; ++col) {
    pieces.Add(col * 72, 0, 72, kRows, heights.data() + col * 72, 1, kWidth);
  }
  BoardOverlay overlay;
  overlay.boardCols = kCols;
  overlay.boardRows = 1;
  const RgbImage fromPieces = pieces.Render(overlay);
  const RgbImage fromWhole = whole.Render(overlay);
  ASSERT_EQ(fromPieces.pixels.size(), fromWhole.pixels.size());
  const auto first = static_cast<std::size_t>(
      std::mismatch(fromPieces.pixels.begin(), fromPieces.pixels.end(), fromWhole.pixels.begin())
          .first -
      fromPieces.pixels.begin());
  const std::size_t pixel = first / 3;
  EXPECT_EQ(first, fromWhole.pixels.size())
      << "they differ first at pixel (" << pixel % fromWhole.width << ", "
      << pixel / fromWhole.width << ")";
}

// Lit from the north-west: a slope facing the light is brighter than the
// same slope facing away, and level ground lies between.
TEST(ReliefCanvas, LightsSlopesFacingTheNorthWest) {
  constexpr int kSide = 15;
  const auto brightness = [](float east, float south) {
    std::vector<float> heights(kSide * kSide);
    for (int x = 0; x < kSide; ++x) {
      for (int y = 0; y < kSide; ++y) {
        heights[x * kSide + y] = east * static_cast<float>(x) + south * static_cast<float>(y);
      }
    }
    ReliefCanvas canvas(kSide, kSide);
    canvas.Add(0, 0, kSide, kSide, heights.data(), kSide, 1);
    BoardOverlay overlay;
    overlay.boardCols = 1;
    overlay.boardRows = 1;
    overlay.boardSide = kSide;
    const Rgb centre = PixelOf(canvas.Render(overlay), kSide / 2, kSide / 2);  // the middle tint
    return centre[0] + centre[1] + centre[2];
  };
  const int level = brightness(0, 0);
  // Rising to the south faces north, toward the light.
  EXPECT_GT(brightness(0, 5), level);
  EXPECT_LT(brightness(0, -5), level);
  // Rising to the east faces west.
  EXPECT_GT(brightness(5, 0), level);
  EXPECT_LT(brightness(-5, 0), level);
}

TEST(ReliefCanvas, DrawsAbsentBoardsAsBackgroundAndDimsBoardsLeftOut) {
  constexpr int kSide = 16;
  std::vector<float> level(kSide * kSide, 5.0f);
  ReliefCanvas canvas(3 * kSide, kSide);
  for (int col = 0; col < 2; ++col) {  // the third board gets no samples
    canvas.Add(col * kSide, 0, kSide, kSide, level.data(), kSide, 1);
  }
  BoardOverlay overlay;
  overlay.boardCols = 3;
  overlay.boardRows = 1;
  overlay.boardSide = kSide;
  overlay.gridLines = false;
  overlay.shades = {BoardShade::kShown, BoardShade::kDimmed, BoardShade::kShown};
  const RgbImage shown = canvas.Render(overlay);
  ASSERT_EQ(shown.width, 3 * kSide);
  const Rgb ground = PixelOf(shown, 5, 5);
  const Rgb dimmed = PixelOf(shown, kSide + 5, 5);
  const Rgb empty = PixelOf(shown, 2 * kSide + 5, 5);
  EXPECT_EQ(PixelOf(shown, 0, 0), ground);  // level ground is lit evenly
  EXPECT_LT(dimmed[0] + dimmed[1] + dimmed[2], ground[0] + ground[1] + ground[2]);
  EXPECT_NE(empty, ground);
  EXPECT_NE(empty, dimmed);

  overlay.gridLines = true;
  overlay.anchorCol = 0;
  overlay.anchorRow = 0;
  const RgbImage marked = canvas.Render(overlay);
  EXPECT_EQ(PixelOf(marked, 0, 0), (Rgb{230, 40, 40}));                 // the anchor's outline
  EXPECT_EQ(PixelOf(marked, kSide / 2, kSide / 2), ground);             // inside it
  EXPECT_NE(PixelOf(marked, kSide, 5), PixelOf(marked, kSide + 5, 5));  // a grid line
}

// A guide's colours, averaged down as the relief is, take the place of the
// height tint: level ground shows them as they are, grid lines still darken
// them, and a drape of another size is left out.
TEST(ColourCanvas, AveragesColoursToDrapeOverTheRelief) {
  // 1026 samples wide: two samples a picture pixel. Bottom-up rows of blue,
  // green, red bytes as a window keeps them: red alternates 0 and 101 along a
  // row, green is 50, blue 7.
  constexpr int kWidth = 1026;
  constexpr int kRows = 4;
  std::vector<std::uint8_t> window(static_cast<std::size_t>(kWidth) * kRows * 3);
  for (int i = 0; i < kWidth * kRows; ++i) {
    window[static_cast<std::size_t>(i) * 3] = 7;
    window[static_cast<std::size_t>(i) * 3 + 1] = 50;
    window[static_cast<std::size_t>(i) * 3 + 2] = (i % kWidth) % 2 == 0 ? 0 : 101;
  }
  ColourCanvas colours(kWidth, kRows);
  ReliefCanvas relief(kWidth, kRows);
  ASSERT_EQ(colours.PictureWidth(), relief.PictureWidth());
  ASSERT_EQ(colours.PictureHeight(), relief.PictureHeight());
  colours.Add(0, 0, kWidth, kRows, window.data() + (kRows - 1) * kWidth * 3, 1, -kWidth);
  const std::vector<float> level(static_cast<std::size_t>(kWidth) * kRows, 3.0f);
  relief.Add(0, 0, kWidth, kRows, level.data(), 1, kWidth);
  const RgbImage drape = colours.Image();
  EXPECT_EQ(PixelOf(drape, 0, 0), (Rgb{51, 50, 7}));  // 50.5 rounds up

  BoardOverlay overlay;
  overlay.boardCols = 2;
  overlay.boardRows = 1;
  overlay.boardSide = kWidth / 2;
  const RgbImage draped = relief.Render(overlay, &drape);
  EXPECT_EQ(PixelOf(draped, 5, 1), (Rgb{51, 50, 7}));
  const Rgb onGrid = PixelOf(draped, relief.PictureWidth() / 2, 1);
  EXPECT_LT(onGrid[1], 50);

  RgbImage small = drape;
  small.width -= 1;
  EXPECT_EQ(relief.Render(overlay, &small).pixels, relief.Render(overlay).pixels);
}

TEST(MinimapMosaic, PlacesEachMinimapInItsCellColumnByColumn) {
  // Run r, pixel q carries red r, green q, blue 7.
  std::vector<std::uint8_t> minimap(128 * 128 * 4);
  for (int r = 0; r < 128; ++r) {
    for (int q = 0; q < 128; ++q) {
      std::uint8_t* pixel = minimap.data() + (r * 128 + q) * 4;
      pixel[0] = 7;
      pixel[1] = static_cast<std::uint8_t>(q);
      pixel[2] = static_cast<std::uint8_t>(r);
    }
  }
  MinimapMosaic mosaic(2, 3);
  ASSERT_EQ(mosaic.CellSide(), 128);
  mosaic.Add(1, 2, minimap.data());
  mosaic.Add(5, 0, minimap.data());  // outside the grid: ignored
  const RgbImage& image = mosaic.Image();
  ASSERT_EQ(image.width, 256);
  ASSERT_EQ(image.height, 384);
  EXPECT_EQ(PixelOf(image, 128 + 10, 256 + 20), (Rgb{10, 20, 7}));
  EXPECT_EQ(PixelOf(image, 10, 20), PixelOf(image, 0, 0));  // no board there

  MinimapMosaic wide(256, 1);  // four pixels a board, each the mean of 32 x 32
  ASSERT_EQ(wide.CellSide(), 4);
  wide.Add(0, 0, minimap.data());
  EXPECT_EQ(PixelOf(wide.Image(), 1, 2), (Rgb{48, 80, 7}));
}

}  // namespace
}  // namespace kem
