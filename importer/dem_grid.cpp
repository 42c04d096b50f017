// Point array, grid size, placement and the two interpolation passes of the
// DEM conversion.
#include "importer/dem_grid.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "core/float_conversion.h"

namespace kem {
namespace {

// One cell per 10 units: the nearest float to 0.1 (0.100000001490116), used
// in extended precision.
constexpr long double kTenth = static_cast<long double>(0.1f);
constexpr double kTenthDouble = 0.1f;

// Capacity of the point array when the first point arrives.
constexpr std::size_t kFirstCapacity = 4096;

// Columns interpolated together in the column pass: one cache line of cells
// per row, so the pass walks memory row by row rather than column by column.
constexpr std::int64_t kColumnBlock = 16;

// Side of the grid for an extent, or -1 when it exceeds kMaxGridSide or is
// not finite.
std::int64_t GridSide(float low, float high) {
  long double side = (static_cast<long double>(high) - low) * kTenth + 1;
  if (!(side < kMaxGridSide + 1)) {
    return -1;
  }
  return TruncateToInt64(side);
}

float Lerp(float from, float to, double weight) {
  return static_cast<float>(static_cast<double>(from) +
                            weight * (static_cast<double>(to) - static_cast<double>(from)));
}

}  // namespace

DemPointArray::~DemPointArray() {
  Release();
}

bool DemPointArray::Grow() {
  const std::size_t capacity = capacity_ == 0 ? kFirstCapacity : capacity_ * 2;
  if (capacity > std::numeric_limits<std::size_t>::max() / sizeof(DemPoint)) {
    return false;
  }
  void* grown = std::realloc(data_, capacity * sizeof(DemPoint));
  if (grown == nullptr) {
    return false;
  }
  data_ = static_cast<DemPoint*>(grown);
  capacity_ = capacity;
  return true;
}

void DemPointArray::Release() {
  std::free(data_);
  data_ = nullptr;
  count_ = 0;
  capacity_ = 0;
}

bool ComputeGridSize(const DemExtents& extents, GridSize& size) {
  std::int64_t cols = GridSide(extents.minX, extents.maxX);
  std::int64_t rows = GridSide(extents.minY, extents.maxY);
  if (cols < 0 || rows < 0) {
    return false;
  }
  size.cols = cols;
  size.rows = rows;
  return true;
}

std::int64_t TenthsBetween(float low, float high) {
  // In double the product is within 2^-35 of the exact one for grids that fit
  // a height map, and so is the extended one: away from whole numbers both
  // truncate alike, and only near them is the extended product formed.
  const double quick = (static_cast<double>(high) - static_cast<double>(low)) * kTenthDouble;
  if (quick >= 0 && quick < kMaxGridSide + 1) {
    const std::int64_t whole = TruncateToInt64(quick);
    const double fraction = quick - static_cast<double>(whole);
    if (fraction > 1e-9 && fraction < 1 - 1e-9) {
      return whole;
    }
  }
  const long double tenths = (static_cast<long double>(high) - low) * kTenth;
  if (!(tenths > -1 && tenths < 0x1p62L)) {
    return -1;
  }
  return TruncateToInt64(tenths);
}

std::int64_t GridStep(std::int32_t spacing) {
  return std::abs(static_cast<std::int64_t>(spacing)) / 10;
}

std::int32_t SpacingOf(float y, float firstY) {
  double change = std::trunc(static_cast<double>(y) - static_cast<double>(firstY));
  if (std::isnan(change)) {
    return 0;
  }
  constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
  if (change > kLimit) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (change < -kLimit) {
    return -std::numeric_limits<std::int32_t>::max();
  }
  return TruncateToInt32(change);
}

HeightGrid::HeightGrid(HeightGrid&& other) noexcept {
  *this = std::move(other);
}

HeightGrid& HeightGrid::operator=(HeightGrid&& other) noexcept {
  if (this != &other) {
    Release();
    cells_ = other.cells_;
    size_ = other.size_;
    step_ = other.step_;
    lastSample_ = other.lastSample_;
    lastSampleCol_ = other.lastSampleCol_;
    sampleWidth_ = other.sampleWidth_;
    tailStart_ = other.tailStart_;
    other.cells_ = nullptr;
    other.Release();
  }
  return *this;
}

HeightGrid::~HeightGrid() {
  Release();
}

bool HeightGrid::Allocate(const GridSize& size, std::int64_t step) {
  Release();
  if (size.cols <= 0 || size.rows <= 0) {
    return false;
  }
  std::size_t cols = static_cast<std::size_t>(size.cols);
  std::size_t rows = static_cast<std::size_t>(size.rows);
  if (cols > std::numeric_limits<std::size_t>::max() / sizeof(float) / rows) {
    return false;
  }
  // The sample rows 0, step, 2 step, ... up to the last one, each with its
  // sample columns and the columns after the last one, then the rows after
  // the last sample row; with step 1 that is every cell.
  const std::int64_t cellStep = step >= 2 ? step : 1;
  const std::int64_t lastSample = (size.rows - 1) / cellStep * cellStep;
  const std::int64_t lastSampleCol = (size.cols - 1) / cellStep * cellStep;
  const std::int64_t sampleWidth = lastSampleCol / cellStep + 1 + (size.cols - 1 - lastSampleCol);
  const std::int64_t tailStart = (lastSample / cellStep + 1) * sampleWidth;
  const auto stored =
      static_cast<std::size_t>(tailStart + (size.rows - 1 - lastSample) * size.cols);
  cells_ = static_cast<float*>(std::calloc(stored, sizeof(float)));
  if (cells_ == nullptr) {
    return false;
  }
  size_ = size;
  step_ = cellStep;
  lastSample_ = lastSample;
  lastSampleCol_ = lastSampleCol;
  sampleWidth_ = sampleWidth;
  tailStart_ = tailStart;
  return true;
}

float HeightGrid::SampleCell(std::int64_t sr, std::int64_t col) const {
  const float* stored = SampleRow(sr);
  if (col >= lastSampleCol_) {
    return stored[lastSampleCol_ / step_ + (col - lastSampleCol_)];
  }
  const std::int64_t k = col % step_;
  const std::int64_t sample = col / step_;
  if (k == 0) {
    return stored[sample];
  }
  return Lerp(stored[sample], stored[sample + 1],
              static_cast<double>(k) / static_cast<double>(step_));
}

void HeightGrid::ExpandSampleRow(std::int64_t sr, float* out) const {
  // The same arithmetic as the row pass over a grid that stores every cell.
  const float* stored = SampleRow(sr);
  const std::int64_t n = step_;
  for (std::int64_t sc = 0; sc < lastSampleCol_; sc += n, ++stored) {
    const float left = stored[0];
    const float right = stored[1];
    out[sc] = left;
    for (std::int64_t k = 1; k < n; ++k) {
      out[sc + k] = Lerp(left, right, static_cast<double>(k) / static_cast<double>(n));
    }
  }
  std::copy(stored, stored + (size_.cols - lastSampleCol_), out + lastSampleCol_);
}

float HeightGrid::At(std::int64_t row, std::int64_t col) const {
  if (step_ == 1) {
    return FullRow(row)[col];
  }
  if (row > lastSample_) {
    return TailRow(row)[col];
  }
  const std::int64_t k = row % step_;
  if (k == 0) {
    return SampleCell(row, col);
  }
  // The same arithmetic as the column pass.
  return Lerp(SampleCell(row - k, col), SampleCell(row - k + step_, col),
              static_cast<double>(k) / static_cast<double>(step_));
}

void HeightGrid::PlaceMean(const DemPoint& point, const DemExtents& extents,
                           std::uint32_t* counts) {
  if (step_ != 1) {
    Place(point, extents);
    return;
  }
  const std::int64_t col = TenthsBetween(extents.minX, point.x);
  const std::int64_t row = TenthsBetween(point.y, extents.maxY);
  if (col < 0 || col >= size_.cols || row < 0 || row >= size_.rows) {
    return;
  }
  const std::int64_t at = row * size_.cols + col;
  const std::uint32_t count = ++counts[at];
  // A running mean, in double so that a hundred points of a 1 m model lose
  // nothing to rounding.
  const double mean = count == 1 ? point.z
                                 : static_cast<double>(cells_[at]) +
                                       (static_cast<double>(point.z) - cells_[at]) / count;
  cells_[at] = static_cast<float>(mean);
}

void HeightGrid::Place(const DemPoint& point, const DemExtents& extents) {
  // The grid size was computed from these extents, so both indexes lie in
  // the grid; the test only guards the memory.
  const std::int64_t col = TenthsBetween(extents.minX, point.x);
  const std::int64_t row = TenthsBetween(point.y, extents.maxY);
  if (col < 0 || col >= size_.cols || row < 0 || row >= size_.rows) {
    return;
  }
  if (step_ == 1) {
    FullRow(row)[col] = point.z;
    return;
  }
  if (row > lastSample_) {
    TailRow(row)[col] = point.z;
    return;
  }
  // A point between two samples would be overwritten by the passes; where
  // its cell is not stored it is simply dropped. Both sides fit 32 bits, and
  // 32-bit division is the cheaper.
  const auto step = static_cast<std::uint32_t>(step_);
  const auto row32 = static_cast<std::uint32_t>(row);
  if (row32 % step != 0) {
    return;
  }
  float* stored = cells_ + row32 / step * sampleWidth_;
  if (col > lastSampleCol_) {
    stored[lastSampleCol_ / step_ + (col - lastSampleCol_)] = point.z;
  } else if (const auto col32 = static_cast<std::uint32_t>(col); col32 % step == 0) {
    stored[col32 / step] = point.z;
  }
}

void HeightGrid::Release() {
  std::free(cells_);
  cells_ = nullptr;
  size_ = GridSize{};
  step_ = 1;
  lastSample_ = 0;
  lastSampleCol_ = 0;
  sampleWidth_ = 0;
  tailStart_ = 0;
}

bool HeightGrid::InterpolateRows(
    std::int64_t n, const std::function<bool(std::int64_t sr, std::int64_t scEnd)>& afterRow) {
  assert(step_ == 1 || step_ == n);
  const std::int64_t cols = size_.cols;
  // Only a grid that stores every cell has cells to fill; in one allocated
  // with this step the cells between samples are not stored and already read
  // as this interpolation, so the pass only reports.
  const bool fill = step_ == 1;
  for (std::int64_t sr = 0; sr < size_.rows; sr += n) {
    float* row = fill ? FullRow(sr) : nullptr;
    std::int64_t sc = 0;
    for (; sc < cols - n; sc += n) {
      if (!fill) {
        continue;
      }
      const float left = row[sc];
      const float right = row[sc + n];
      for (std::int64_t k = 1; k < n; ++k) {
        row[sc + k] = Lerp(left, right, static_cast<double>(k) / static_cast<double>(n));
      }
    }
    if (!afterRow(sr, sc)) {
      return false;
    }
  }
  return true;
}

bool HeightGrid::InterpolateColumns(
    std::int64_t n, const std::function<bool(std::int64_t col, std::int64_t srEnd)>& afterColumn) {
  assert(step_ == 1 || step_ == n);
  const std::int64_t cols = size_.cols;
  const std::int64_t rows = size_.rows;
  const bool fill = step_ == 1;
  // Every column is independent of the others and reads only sample rows,
  // which the pass never writes; a block of columns is filled row by row and
  // then reported column by column, in order.
  for (std::int64_t first = 0; first < cols; first += kColumnBlock) {
    const std::int64_t last = first + kColumnBlock < cols ? first + kColumnBlock : cols;
    std::int64_t sr = 0;
    for (; sr < rows - n; sr += n) {
      if (!fill) {
        continue;
      }
      const float* top = FullRow(sr);
      const float* bottom = FullRow(sr + n);
      for (std::int64_t k = 1; k < n; ++k) {
        const double weight = static_cast<double>(k) / static_cast<double>(n);
        float* row = FullRow(sr + k);
        for (std::int64_t col = first; col < last; ++col) {
          row[col] = Lerp(top[col], bottom[col], weight);
        }
      }
    }
    for (std::int64_t col = first; col < last; ++col) {
      if (!afterColumn(col, sr)) {
        return false;
      }
    }
  }
  return true;
}

HeightRowReader::HeightRowReader(const HeightGrid& grid) : grid_(grid) {
  if (grid.step_ >= 2) {
    const auto cols = static_cast<std::size_t>(grid.size_.cols);
    samples_[0].resize(cols);
    samples_[1].resize(cols);
    row_.resize(cols);
  }
}

const float* HeightRowReader::Sample(std::int64_t sr, std::int64_t keep) {
  for (int i = 0; i < 2; ++i) {
    if (sampleRows_[i] == sr) {
      return samples_[i].data();
    }
  }
  const int slot = sampleRows_[0] == keep ? 1 : 0;
  grid_.ExpandSampleRow(sr, samples_[slot].data());
  sampleRows_[slot] = sr;
  return samples_[slot].data();
}

const float* HeightRowReader::Row(std::int64_t row) {
  if (grid_.step_ == 1) {
    return grid_.FullRow(row);
  }
  if (row > grid_.lastSample_) {
    return grid_.TailRow(row);
  }
  const std::int64_t n = grid_.step_;
  const std::int64_t k = row % n;
  if (k == 0) {
    return Sample(row, -1);
  }
  // The same arithmetic as the column pass.
  const float* top = Sample(row - k, -1);
  const float* bottom = Sample(row - k + n, row - k);
  const double weight = static_cast<double>(k) / static_cast<double>(n);
  float* out = row_.data();
  const std::int64_t cols = grid_.size_.cols;
  for (std::int64_t col = 0; col < cols; ++col) {
    out[col] = Lerp(top[col], bottom[col], weight);
  }
  return out;
}

}  // namespace kem
