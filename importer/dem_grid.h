// The points of an XYZ elevation model and the height grid built from them:
// one cell per 10 coordinate units, row 0 at the northern edge (largest y),
// column 0 at the western edge (smallest x).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kem {

// One input point, as read from the file.
struct DemPoint {
  float x;
  float y;
  float z;
};

// The points of a file in file order. Its capacity doubles when it is full;
// growing reallocates in place where the allocator can, so that a large
// array is not copied.
class DemPointArray {
 public:
  DemPointArray() = default;
  DemPointArray(const DemPointArray&) = delete;
  DemPointArray& operator=(const DemPointArray&) = delete;
  ~DemPointArray();

  // Appends a point. Returns false, leaving the array as it was, when it
  // cannot grow.
  bool Append(const DemPoint& point) {
    if (count_ == capacity_ && !Grow()) {
      return false;
    }
    data_[count_++] = point;
    return true;
  }

  std::size_t Count() const { return count_; }
  const DemPoint* begin() const { return data_; }
  const DemPoint* end() const { return data_ + count_; }

  // Frees the points.
  void Release();

 private:
  // Doubles the capacity; false when it cannot.
  bool Grow();

  DemPoint* data_ = nullptr;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};

// The smallest and largest x and y of the points read so far.
struct DemExtents {
  float minX = 0.0f;
  float maxX = 0.0f;
  float minY = 0.0f;
  float maxY = 0.0f;

  // Widens the extents to take in `point`; the first point sets them.
  void Include(const DemPoint& point, bool first) {
    if (first) {
      minX = maxX = point.x;
      minY = maxY = point.y;
      return;
    }
    minX = point.x < minX ? point.x : minX;
    maxX = point.x > maxX ? point.x : maxX;
    minY = point.y < minY ? point.y : minY;
    maxY = point.y > maxY ? point.y : maxY;
  }
};

// A Targa image has 16-bit width and height fields.
inline constexpr std::int64_t kMaxGridSide = 65535;

// Width and height of the grid in cells.
struct GridSize {
  std::int64_t cols = 0;
  std::int64_t rows = 0;
};

// Computes cols = (maxX - minX) * 0.1 + 1 and rows = (maxY - minY) * 0.1 + 1,
// truncated, in extended precision with the float constant 0.1. Returns false
// when either side exceeds kMaxGridSide or is not finite.
bool ComputeGridSize(const DemExtents& extents, GridSize& size);

// Whole cells from `low` to `high`: (high - low) * 0.1 truncated toward zero,
// as extended precision with the float constant 0.1 gives it; -1 when that is
// not a count below 2^62.
std::int64_t TenthsBetween(float low, float high);

// The grid step in cells for a spacing in coordinate units, its magnitude
// divided by 10 and truncated: files listed from north to south (negative
// spacing) are filled in like those listed from south to north.
std::int64_t GridStep(std::int32_t spacing);

// The first change of y that fixes the spacing: `y - firstY` truncated toward
// zero, limited to the 32-bit range (0 when it is not a number).
std::int32_t SpacingOf(float y, float firstY);

// The grid of heights, cols x rows 32-bit floats, row by row.
//
// A grid allocated with a step n of 2 or more stores only the cells that the
// two interpolation passes do not overwrite: in the sample rows 0, n, 2n, ...
// the sample columns 0, n, 2n, ... and the columns after the last sample
// column, and every cell of the rows after the last sample row. Every other
// cell lies inside a full interval between two samples, where the passes
// overwrite it from the samples around it whatever was placed there; such a
// cell is not stored, a point that falls into it is dropped, and it reads as
// that interpolation of the samples. A 30-unit DEM thus takes a ninth of the
// memory of its full grid. A grid allocated without a step stores every cell.
class HeightGrid {
 public:
  HeightGrid() = default;
  HeightGrid(const HeightGrid&) = delete;
  HeightGrid& operator=(const HeightGrid&) = delete;
  HeightGrid(HeightGrid&& other) noexcept;
  HeightGrid& operator=(HeightGrid&& other) noexcept;
  ~HeightGrid();

  // Allocates the stored cells of a grid of `size` cells, interpolated later
  // with grid step `step` when that is 2 or more, with every cell 0. Returns
  // false when the byte size of the whole grid cannot be represented, or the
  // stored cells cannot be allocated.
  bool Allocate(const GridSize& size, std::int64_t step = 0);

  // Stores `point.z` in the cell that covers the point: column
  // TenthsBetween(minX, x) and row TenthsBetween(y, maxY). A later point in
  // the same cell replaces the earlier one. A point in a cell that is not
  // stored is dropped.
  void Place(const DemPoint& point, const DemExtents& extents);

  // The same, but a cell takes the mean of every point that falls into it:
  // `counts` holds one count per cell (CellCount() of them, all 0 at first)
  // of the points placed there so far. For a grid that stores every cell
  // (finer data is never interpolated); other grids place as Place does.
  void PlaceMean(const DemPoint& point, const DemExtents& extents, std::uint32_t* counts);

  std::int64_t Cols() const { return size_.cols; }
  std::int64_t Rows() const { return size_.rows; }
  std::int64_t Step() const { return step_; }
  std::size_t CellCount() const { return static_cast<std::size_t>(size_.cols * size_.rows); }

  // The height of a cell; where it is not stored, the interpolation of the
  // samples around it.
  float At(std::int64_t row, std::int64_t col) const;

  // Frees the cells.
  void Release();

  // Fills the cells between samples `n` apart (n >= 2, the step of a grid
  // allocated with one) along each sample row (0, n, 2n, ...) with
  // left + (k / n) * (right - left), computed in double and stored as float.
  // After each sample row calls afterRow(sr, scEnd), scEnd being where the
  // row's walk stopped; stops early, returning false, when that returns
  // false. Cells that are not stored are not written: they already read as
  // this interpolation.
  bool InterpolateRows(std::int64_t n,
                       const std::function<bool(std::int64_t sr, std::int64_t scEnd)>& afterRow);

  // The same down every column (including cells filled by InterpolateRows),
  // between sample rows n apart, calling afterColumn(col, srEnd) after each
  // column in order. Cells that are not stored are not written.
  bool InterpolateColumns(
      std::int64_t n, const std::function<bool(std::int64_t col, std::int64_t srEnd)>& afterColumn);

 private:
  friend class HeightRowReader;

  // Row `row` of a grid that stores every cell.
  float* FullRow(std::int64_t row) const { return cells_ + row * size_.cols; }
  // The stored cells of sample row `sr`: the sample columns, then the
  // columns after the last one.
  float* SampleRow(std::int64_t sr) const { return cells_ + sr / step_ * sampleWidth_; }
  // A row after the last sample row, every cell stored.
  float* TailRow(std::int64_t row) const {
    return cells_ + tailStart_ + (row - lastSample_ - 1) * size_.cols;
  }
  // Cell `col` of sample row `sr` as the row pass leaves it.
  float SampleCell(std::int64_t sr, std::int64_t col) const;
  // Sample row `sr` as the row pass leaves it, every cell, into `out`.
  void ExpandSampleRow(std::int64_t sr, float* out) const;

  float* cells_ = nullptr;
  GridSize size_;
  std::int64_t step_ = 1;           // cells between samples; 1 stores every cell
  std::int64_t lastSample_ = 0;     // the last sample row; rows after it are stored whole
  std::int64_t lastSampleCol_ = 0;  // the last sample column; columns after it are stored
  std::int64_t sampleWidth_ = 0;    // cells stored in a sample row
  std::int64_t tailStart_ = 0;      // offset of the first row after the last sample row
};

// Reads the rows of a grid, each as Cols() heights, fastest in order: it
// keeps the two sample rows around the rows between them worked out.
class HeightRowReader {
 public:
  // Takes room for three rows; throws std::bad_alloc when there is none.
  explicit HeightRowReader(const HeightGrid& grid);

  // The heights of row `row`, valid until the next call.
  const float* Row(std::int64_t row);

 private:
  // Sample row `sr` worked out in one of the two buffers, keeping the one
  // that holds row `keep`.
  const float* Sample(std::int64_t sr, std::int64_t keep);

  const HeightGrid& grid_;
  std::vector<float> samples_[2];
  std::int64_t sampleRows_[2] = {-1, -1};
  std::vector<float> row_;
};

}  // namespace kem
