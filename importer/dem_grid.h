// The points of an XYZ elevation model and the height grid built from them:
// one cell per 10 coordinate units, row 0 at the northern edge (largest y),
// column 0 at the western edge (smallest x).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

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
  bool Append(const DemPoint& point);

  std::size_t Count() const { return count_; }
  const DemPoint* begin() const { return data_; }
  const DemPoint* end() const { return data_ + count_; }

  // Frees the points.
  void Release();

 private:
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
  void Include(const DemPoint& point, bool first);
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
// A grid allocated with a step n of 2 or more stores only the rows that the
// column pass does not overwrite: the sample rows 0, n, 2n, ... and the rows
// after the last sample row. Every other row lies inside a full
// interval between two sample rows, where the column pass overwrites each
// cell from the sample rows above and below whatever was placed there; such a
// row is not stored, points that fall into it are dropped, and its cells read
// as that interpolation of the sample rows. A 30-unit DEM thus takes a third
// of the memory of its full grid. A grid allocated without a step stores
// every row.
class HeightGrid {
 public:
  HeightGrid() = default;
  HeightGrid(const HeightGrid&) = delete;
  HeightGrid& operator=(const HeightGrid&) = delete;
  HeightGrid(HeightGrid&& other) noexcept;
  HeightGrid& operator=(HeightGrid&& other) noexcept;
  ~HeightGrid();

  // Allocates the stored rows of a grid of `size` cells, interpolated later
  // with grid step `step` when that is 2 or more, with every cell 0. Returns
  // false when the byte size of the whole grid cannot be represented, or the
  // stored rows cannot be allocated.
  bool Allocate(const GridSize& size, std::int64_t step = 0);

  // Stores `point.z` in the cell that covers the point: column
  // TenthsBetween(minX, x) and row TenthsBetween(y, maxY). A later point in
  // the same cell replaces the earlier one. A point in a row that is not
  // stored is dropped.
  void Place(const DemPoint& point, const DemExtents& extents);

  std::int64_t Cols() const { return size_.cols; }
  std::int64_t Rows() const { return size_.rows; }
  std::size_t CellCount() const { return static_cast<std::size_t>(size_.cols * size_.rows); }

  // The height of a cell; in a row that is not stored, the interpolation of
  // the sample rows around it.
  float At(std::int64_t row, std::int64_t col) const;

  // The heights of one row: the stored row itself, or its interpolation
  // written to `scratch` (room for Cols() floats) and returned.
  const float* Row(std::int64_t row, float* scratch) const;

  // Every cell in row-major order; only for a grid allocated without a step.
  const float* Cells() const { return cells_; }

  // Frees the cells.
  void Release();

  // Fills the cells between samples `n` apart (n >= 2, the step of a grid
  // allocated with one) along each sample row (0, n, 2n, ...) with
  // left + (k / n) * (right - left), computed in double and stored as float.
  // After each sample row calls afterRow(sr, scEnd), scEnd being where the
  // row's walk stopped; stops early, returning false, when that returns
  // false.
  bool InterpolateRows(std::int64_t n,
                       const std::function<bool(std::int64_t sr, std::int64_t scEnd)>& afterRow);

  // The same down every column (including cells filled by InterpolateRows),
  // between sample rows n apart, calling afterColumn(col, srEnd) after each
  // column in order. Rows that are not stored are not written: they already
  // read as this interpolation.
  bool InterpolateColumns(
      std::int64_t n, const std::function<bool(std::int64_t col, std::int64_t srEnd)>& afterColumn);

 private:
  // The stored row `row`, or null when it lies inside a full interval.
  float* StoredRow(std::int64_t row) const;
  // Interpolates the cells from `first` to `last` of a row that is not
  // stored, from the sample rows around it, into `out`.
  void InterpolateRow(std::int64_t row, std::int64_t first, std::int64_t last, float* out) const;

  float* cells_ = nullptr;
  GridSize size_;
  std::int64_t step_ = 1;        // rows between sample rows; 1 stores every row
  std::int64_t lastSample_ = 0;  // the last sample row; rows after it are stored
};

}  // namespace kem
