#include "core/relief_image.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/layout_file.h"

namespace kem {
namespace {

using Rgb = std::array<double, 3>;

constexpr std::array<std::uint8_t, 3> kBackground = {40, 40, 48};
constexpr std::array<std::uint8_t, 3> kAnchorColour = {230, 40, 40};
constexpr double kSampleSpacing = 10.0;  // units between neighbouring vertices
constexpr double kShadowFloor = 0.6;     // brightness of a slope facing away from the light
constexpr int kMinGridCell = 6;          // narrower boards get no grid lines
constexpr double kGridDarkening = 0.55;

// Height colours from the lowest to the highest ground.
struct TintStop {
  double at;
  Rgb colour;
};
constexpr std::array<TintStop, 5> kTint = {{{0.0, {52, 104, 72}},
                                            {0.3, {118, 158, 88}},
                                            {0.55, {196, 188, 118}},
                                            {0.8, {206, 168, 128}},
                                            {1.0, {250, 248, 244}}}};

Rgb Tint(double t) {
  t = std::clamp(t, 0.0, 1.0);
  for (std::size_t i = 1; i < kTint.size(); ++i) {
    if (t <= kTint[i].at) {
      const double f = (t - kTint[i - 1].at) / (kTint[i].at - kTint[i - 1].at);
      Rgb colour{};
      for (std::size_t c = 0; c < 3; ++c) {
        colour[c] = kTint[i - 1].colour[c] + f * (kTint[i].colour[c] - kTint[i - 1].colour[c]);
      }
      return colour;
    }
  }
  return kTint.back().colour;
}

std::uint8_t ToByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0) + 0.5);
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
  return (a + b - 1) / b;
}

// Samples of the grid per picture pixel along each side: the long side fits
// in kPictureLongSide pixels.
std::int64_t PictureFactor(std::int64_t width, std::int64_t height) {
  return std::max<std::int64_t>(1, CeilDiv(std::max(width, height), kPictureLongSide));
}

// Calls add(picture pixel, offset) for every sample (i, j) of the `columns` x
// `rows` piece at (left, top) that lies on the width x height grid, where
// offset = i * columnStride + j * rowStride.
template <typename AddSample>
void ForEachSample(const PictureGrid& grid, std::int64_t left, std::int64_t top, int columns,
                   int rows, std::ptrdiff_t columnStride, std::ptrdiff_t rowStride, AddSample add) {
  const std::int64_t factor = grid.factor;
  const std::int64_t firstColumn = std::max<std::int64_t>(0, -left);
  const std::int64_t endColumn = std::min<std::int64_t>(columns, grid.width - left);
  const std::int64_t firstRow = std::max<std::int64_t>(0, -top);
  const std::int64_t endRow = std::min<std::int64_t>(rows, grid.height - top);
  for (std::int64_t j = firstRow; j < endRow; ++j) {
    const std::int64_t y = top + j;
    const std::size_t line = static_cast<std::size_t>(y / factor) * grid.pictureWidth;
    const std::int64_t x = left + firstColumn;
    std::int64_t pixel = x / factor;
    std::int64_t inPixel = x % factor;
    std::ptrdiff_t offset = j * rowStride + firstColumn * columnStride;
    for (std::int64_t i = firstColumn; i < endColumn; ++i) {
      add(line + static_cast<std::size_t>(pixel), offset);
      offset += columnStride;
      if (++inPixel == factor) {
        inPixel = 0;
        ++pixel;
      }
    }
  }
}

// The board column (or row) each picture column (or row) falls in: the board
// of its middle sample. The last of `count` boards also takes the edge its
// window reaches past its side, which no neighbour shares.
std::vector<std::int32_t> BoardOfPixel(int pixels, std::int64_t factor, std::int64_t samples,
                                       std::int32_t boardSide, std::int32_t count) {
  const std::int64_t edgeEnd = std::int64_t{count} * boardSide + (kWindowSide - kBoardSide);
  std::vector<std::int32_t> boards(static_cast<std::size_t>(pixels));
  for (int p = 0; p < pixels; ++p) {
    const std::int64_t middle = std::min(p * factor + factor / 2, samples - 1);
    std::int64_t board = middle / boardSide;
    if (count > 0 && board == count && middle < edgeEnd) {
      board = count - 1;
    }
    boards[static_cast<std::size_t>(p)] = static_cast<std::int32_t>(board);
  }
  return boards;
}

}  // namespace

PictureGrid::PictureGrid(std::int64_t w, std::int64_t h)
    : width(std::max<std::int64_t>(w, 1)),
      height(std::max<std::int64_t>(h, 1)),
      factor(PictureFactor(width, height)),
      pictureWidth(static_cast<int>(CeilDiv(width, factor))),
      pictureHeight(static_cast<int>(CeilDiv(height, factor))) {}

std::size_t PictureGrid::Pixels() const {
  return static_cast<std::size_t>(pictureWidth) * static_cast<std::size_t>(pictureHeight);
}

ReliefCanvas::ReliefCanvas(std::int64_t width, std::int64_t height)
    : grid_(width, height), sums_(grid_.Pixels(), 0.0), counts_(grid_.Pixels(), 0) {}

void ReliefCanvas::Add(std::int64_t left, std::int64_t top, int columns, int rows,
                       const float* values, std::ptrdiff_t columnStride, std::ptrdiff_t rowStride) {
  ForEachSample(grid_, left, top, columns, rows, columnStride, rowStride,
                [&](std::size_t at, std::ptrdiff_t offset) {
                  sums_[at] += values[offset];
                  ++counts_[at];
                });
}

std::vector<float> ReliefCanvas::Heights() const {
  std::vector<float> heights(sums_.size(), std::numeric_limits<float>::quiet_NaN());
  for (std::size_t i = 0; i < sums_.size(); ++i) {
    if (counts_[i] != 0) {
      heights[i] = static_cast<float>(sums_[i] / counts_[i]);
    }
  }
  return heights;
}

RgbImage ReliefCanvas::Render(const BoardOverlay& overlay, const RgbImage* drape) const {
  const int w = grid_.pictureWidth;
  const int h = grid_.pictureHeight;
  if (drape != nullptr &&
      (drape->width != w || drape->height != h ||
       drape->pixels.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3)) {
    drape = nullptr;
  }
  const auto at = [w](int x, int y) { return static_cast<std::size_t>(y) * w + x; };

  std::vector<float> mean(sums_.size(), 0.0f);
  bool any = false;
  double low = 0.0;
  double high = 0.0;
  for (std::size_t i = 0; i < sums_.size(); ++i) {
    if (counts_[i] == 0) {
      continue;
    }
    const double m = sums_[i] / counts_[i];
    mean[i] = static_cast<float>(m);
    low = any ? std::min(low, m) : m;
    high = any ? std::max(high, m) : m;
    any = true;
  }
  const double range = high - low;

  const double spacing = kSampleSpacing * static_cast<double>(grid_.factor);
  const double lightLength = std::sqrt(1.0 + 1.0 + 2.0);
  const std::array<double, 3> light = {-1.0 / lightLength, 1.0 / lightLength,
                                       std::sqrt(2.0) / lightLength};
  // Neighbour height, or the pixel's own where the neighbour has no sample.
  const auto heightAt = [&](int x, int y, int fromX, int fromY) {
    if (x < 0 || y < 0 || x >= w || y >= h || counts_[at(x, y)] == 0) {
      return static_cast<double>(mean[at(fromX, fromY)]);
    }
    return static_cast<double>(mean[at(x, y)]);
  };

  const std::int32_t side = std::max<std::int32_t>(overlay.boardSide, 1);
  const std::vector<std::int32_t> boardCol =
      BoardOfPixel(w, grid_.factor, grid_.width, side, overlay.boardCols);
  const std::vector<std::int32_t> boardRow =
      BoardOfPixel(h, grid_.factor, grid_.height, side, overlay.boardRows);
  const bool gridLines = overlay.gridLines && side / grid_.factor >= kMinGridCell;
  const int anchorBorder = side / grid_.factor >= 8 ? 2 : 1;
  const auto shadeOf = [&](std::int32_t col, std::int32_t row) {
    if (col >= overlay.boardCols || row >= overlay.boardRows) {
      return BoardShade::kAbsent;
    }
    if (overlay.shades.empty()) {
      return BoardShade::kShown;
    }
    return overlay.shades[static_cast<std::size_t>(row) * overlay.boardCols + col];
  };

  RgbImage image;
  image.width = w;
  image.height = h;
  image.pixels.resize(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* out = image.pixels.data() + at(x, y) * 3;
      const std::int32_t col = boardCol[static_cast<std::size_t>(x)];
      const std::int32_t row = boardRow[static_cast<std::size_t>(y)];
      const BoardShade shade = shadeOf(col, row);
      if (counts_[at(x, y)] == 0 || shade == BoardShade::kAbsent) {
        std::copy(kBackground.begin(), kBackground.end(), out);
        continue;
      }
      const double m = mean[at(x, y)];
      const double east = (heightAt(x + 1, y, x, y) - heightAt(x - 1, y, x, y)) / (2 * spacing);
      const double north = (heightAt(x, y - 1, x, y) - heightAt(x, y + 1, x, y)) / (2 * spacing);
      const std::array<double, 3> normal = {-east, -north, 1.0};
      const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + 1.0);
      const double lit = std::max(
          0.0, (normal[0] * light[0] + normal[1] * light[1] + normal[2] * light[2]) / length);
      // Level ground comes out at its tint.
      const double brightness = kShadowFloor + (1.0 - kShadowFloor) * lit / light[2];
      Rgb colour{};
      if (drape != nullptr) {
        const std::uint8_t* draped = drape->pixels.data() + at(x, y) * 3;
        colour = {static_cast<double>(draped[0]), static_cast<double>(draped[1]),
                  static_cast<double>(draped[2])};
      } else {
        colour = Tint(range > 0 ? (m - low) / range : 0.5);
      }
      for (double& c : colour) {
        c *= brightness;
        if (shade == BoardShade::kDimmed) {
          c = 0.35 * c + 0.65 * kBackground[0];
        }
      }
      const bool onGrid =
          gridLines && ((x > 0 && boardCol[static_cast<std::size_t>(x - 1)] != col) ||
                        (y > 0 && boardRow[static_cast<std::size_t>(y - 1)] != row));
      if (onGrid) {
        for (double& c : colour) {
          c *= kGridDarkening;
        }
      }
      for (std::size_t c = 0; c < 3; ++c) {
        out[c] = ToByte(colour[c]);
      }
    }
  }

  // The anchor's outline goes over everything else.
  if (overlay.anchorCol >= 0 && overlay.anchorRow >= 0) {
    const auto [colFirst, colLast] =
        std::equal_range(boardCol.begin(), boardCol.end(), overlay.anchorCol);
    const auto [rowFirst, rowLast] =
        std::equal_range(boardRow.begin(), boardRow.end(), overlay.anchorRow);
    const int x0 = static_cast<int>(colFirst - boardCol.begin());
    const int x1 = static_cast<int>(colLast - boardCol.begin());
    const int y0 = static_cast<int>(rowFirst - boardRow.begin());
    const int y1 = static_cast<int>(rowLast - boardRow.begin());
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (x - x0 < anchorBorder || x1 - 1 - x < anchorBorder || y - y0 < anchorBorder ||
            y1 - 1 - y < anchorBorder) {
          std::copy(kAnchorColour.begin(), kAnchorColour.end(), image.pixels.data() + at(x, y) * 3);
        }
      }
    }
  }
  return image;
}

ColourCanvas::ColourCanvas(std::int64_t width, std::int64_t height)
    : grid_(width, height), sums_(grid_.Pixels() * 3, 0), counts_(grid_.Pixels(), 0) {}

void ColourCanvas::Add(std::int64_t left, std::int64_t top, int columns, int rows,
                       const std::uint8_t* pixels, std::ptrdiff_t columnStride,
                       std::ptrdiff_t rowStride) {
  ForEachSample(grid_, left, top, columns, rows, columnStride, rowStride,
                [&](std::size_t at, std::ptrdiff_t offset) {
                  const std::uint8_t* pixel = pixels + offset * 3;
                  std::uint32_t* sum = sums_.data() + at * 3;
                  sum[0] += pixel[2];  // red
                  sum[1] += pixel[1];
                  sum[2] += pixel[0];
                  ++counts_[at];
                });
}

RgbImage ColourCanvas::Image() const {
  RgbImage image;
  image.width = grid_.pictureWidth;
  image.height = grid_.pictureHeight;
  image.pixels.resize(counts_.size() * 3);
  for (std::size_t i = 0; i < counts_.size(); ++i) {
    std::uint8_t* out = image.pixels.data() + i * 3;
    const std::uint32_t count = counts_[i];
    if (count == 0) {
      std::copy(kBackground.begin(), kBackground.end(), out);
      continue;
    }
    for (std::size_t c = 0; c < 3; ++c) {
      out[c] = static_cast<std::uint8_t>((sums_[i * 3 + c] + count / 2) / count);
    }
  }
  return image;
}

MinimapMosaic::MinimapMosaic(std::int32_t boardCols, std::int32_t boardRows)
    : boardCols_(std::max<std::int32_t>(boardCols, 1)),
      boardRows_(std::max<std::int32_t>(boardRows, 1)) {
  cell_ = std::clamp(kPictureLongSide / std::max(boardCols_, boardRows_), 1, kMinimapSide);
  image_.width = boardCols_ * cell_;
  image_.height = boardRows_ * cell_;
  image_.pixels.resize(static_cast<std::size_t>(image_.width) * image_.height * 3);
  for (std::size_t i = 0; i < image_.pixels.size(); i += 3) {
    std::copy(kBackground.begin(), kBackground.end(), image_.pixels.begin() + i);
  }
}

void MinimapMosaic::Add(std::int32_t col, std::int32_t row, const std::uint8_t* minimap) {
  if (col < 0 || row < 0 || col >= boardCols_ || row >= boardRows_) {
    return;
  }
  for (int v = 0; v < cell_; ++v) {
    const int q0 = v * kMinimapSide / cell_;
    const int q1 = (v + 1) * kMinimapSide / cell_;
    for (int u = 0; u < cell_; ++u) {
      const int r0 = u * kMinimapSide / cell_;
      const int r1 = (u + 1) * kMinimapSide / cell_;
      std::array<std::uint32_t, 3> sum{};
      for (int r = r0; r < r1; ++r) {
        const std::uint8_t* pixel =
            minimap + (static_cast<std::size_t>(r) * kMinimapSide + q0) * kMinimapPixelSize;
        for (int q = q0; q < q1; ++q, pixel += kMinimapPixelSize) {
          sum[0] += pixel[2];  // red
          sum[1] += pixel[1];
          sum[2] += pixel[0];
        }
      }
      const auto count = static_cast<std::uint32_t>((r1 - r0) * (q1 - q0));
      std::uint8_t* out =
          image_.pixels.data() +
          ((static_cast<std::size_t>(row) * cell_ + v) * image_.width + col * cell_ + u) * 3;
      for (std::size_t c = 0; c < 3; ++c) {
        out[c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
      }
    }
  }
}

}  // namespace kem
