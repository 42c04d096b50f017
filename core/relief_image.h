// Pictures of a map for people to look at: a shaded relief of its heights
// (optionally with a guide image's colours draped over it) and a mosaic of
// its boards' minimap pictures, all downsampled to at most 1024 pixels on the
// long side.
//
// All are fed board by board and keep only the picture at its final size
// (plus sums and a count per picture pixel), so a map of any size is drawn
// in a few megabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/targa_source.h"

namespace kem {

inline constexpr int kPictureLongSide = 1024;

// An 8-bit RGB picture, rows from the top, three bytes a pixel.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// How a board of the grid is drawn.
enum class BoardShade : std::uint8_t {
  kAbsent,  // no board: background
  kShown,
  kDimmed,  // on the map but left out (by the filter guide)
};

// The board grid drawn over a relief: boardCols x boardRows boards of
// boardSide x boardSide samples, from the top left of the height grid. The
// last column and row of boards also cover the 4 samples their windows reach
// past them.
struct BoardOverlay {
  std::int32_t boardCols = 0;
  std::int32_t boardRows = 0;
  std::int32_t boardSide = kBoardSide;
  std::vector<BoardShade> shades;  // row-major; empty draws every board as shown
  bool gridLines = true;           // drawn where boards are at least 6 pixels wide
  std::int32_t anchorCol = -1;     // the anchor board, outlined; -1 for none
  std::int32_t anchorRow = -1;
};

// A grid of width x height samples shrunk to a picture: every factor x factor
// samples make one picture pixel, and the long side fits kPictureLongSide.
struct PictureGrid {
  // Sides below 1 count as 1.
  PictureGrid(std::int64_t width, std::int64_t height);

  std::size_t Pixels() const;

  std::int64_t width;
  std::int64_t height;
  std::int64_t factor;
  int pictureWidth;
  int pictureHeight;
};

// A shaded relief of a height grid of width x height samples, 10 units
// apart, collected in pieces and drawn at the end.
class ReliefCanvas {
 public:
  // Needs width and height of at least 1.
  ReliefCanvas(std::int64_t width, std::int64_t height);

  // Samples per picture pixel along each side (at least 1).
  std::int64_t Factor() const { return grid_.factor; }
  int PictureWidth() const { return grid_.pictureWidth; }
  int PictureHeight() const { return grid_.pictureHeight; }

  // Adds the `columns` x `rows` samples whose top left is (left, top) in the
  // grid: sample (i, j) of the piece is values[i * columnStride + j * rowStride]
  // (strides may be negative). Samples outside the grid are ignored; a sample
  // given twice counts twice.
  void Add(std::int64_t left, std::int64_t top, int columns, int rows, const float* values,
           std::ptrdiff_t columnStride, std::ptrdiff_t rowStride);

  // Draws the picture: colour from the height (between the lowest and highest
  // pixel), lit from the north-west; pixels that got no sample are background.
  // `overlay` dims, outlines and grids the boards it names. With `drape` (a
  // picture of this canvas's size, such as ColourCanvas::Image of the same
  // grid) each pixel takes the drape's colour instead of the height's, lit
  // the same way; a drape of another size is ignored.
  RgbImage Render(const BoardOverlay& overlay, const RgbImage* drape = nullptr) const;

  // The mean of the heights each picture pixel got, row-major from the top
  // left; NaN where it got none.
  std::vector<float> Heights() const;

 private:
  PictureGrid grid_;
  std::vector<double> sums_;
  std::vector<std::uint32_t> counts_;
};

// The colours of an image over a grid of width x height pixels, collected in
// pieces and averaged down to the picture size of a ReliefCanvas of the same
// grid, to be draped over its relief.
class ColourCanvas {
 public:
  // Needs width and height of at least 1; a long side of up to four million
  // pixels (Targa images stop at 65535) keeps every sum in range.
  ColourCanvas(std::int64_t width, std::int64_t height);

  int PictureWidth() const { return grid_.pictureWidth; }
  int PictureHeight() const { return grid_.pictureHeight; }

  // Adds the `columns` x `rows` pixels whose top left is (left, top) in the
  // grid, three bytes each (blue, green, red, as a Targa window keeps them):
  // pixel (i, j) of the piece starts at pixels + 3 * (i * columnStride +
  // j * rowStride) (strides may be negative). Pixels outside the grid are
  // ignored.
  void Add(std::int64_t left, std::int64_t top, int columns, int rows, const std::uint8_t* pixels,
           std::ptrdiff_t columnStride, std::ptrdiff_t rowStride);

  // The mean colour of each picture pixel; background where none was added.
  RgbImage Image() const;

 private:
  PictureGrid grid_;
  std::vector<std::uint32_t> sums_;  // red, green and blue of each picture pixel
  std::vector<std::uint32_t> counts_;
};

// A mosaic of 128 x 128 minimap pictures, one per board of a grid of
// boardCols x boardRows, each shrunk to a square cell so the whole fits in
// 1024 pixels on the long side (never enlarged).
class MinimapMosaic {
 public:
  // Needs boardCols and boardRows of at least 1.
  MinimapMosaic(std::int32_t boardCols, std::int32_t boardRows);

  // Pixels per board side.
  int CellSide() const { return cell_; }

  // Places the minimap of board (col, row): 128 runs of 128 pixels of four
  // bytes (blue, green, red, unused), run r being picture column r from the
  // left and pixel q within it row q from the top. Boards outside the grid
  // are ignored.
  void Add(std::int32_t col, std::int32_t row, const std::uint8_t* minimap);

  const RgbImage& Image() const { return image_; }

 private:
  std::int32_t boardCols_;
  std::int32_t boardRows_;
  int cell_;
  RgbImage image_;
};

}  // namespace kem
