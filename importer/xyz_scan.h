// The numbers of an XYZ file, read on several threads where the file is large.
// The text is cut at line ends into blocks that worker threads parse while
// the calling thread hands out the numbers of the blocks before them, in file
// order. Every number, its position, and how the reading ends (the first text
// that is not a number, a read error) come out exactly as one XyzNumberReader
// reading the whole file gives them, whatever the number of threads: a block
// starts a line, where nothing of the lines before it matters but whether
// numbers came before; and a stretch without a line end, which could not be
// cut, is read by one reader from there on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/ordered_workers.h"
#include "importer/xyz_reader.h"

namespace kem {

// True when a file `length` bytes long (0 when that is not known) is worth
// reading on `threads` threads (0: one per core) in blocks of `blockBytes`
// bytes (0: XyzScan::kDefaultBlockBytes): more than one thread and more
// than one block.
bool ScansInParallel(int threads, std::uint64_t length, std::size_t blockBytes);

class XyzScan {
 public:
  using Result = XyzNumberReader::Result;

  // Bytes of text in a block.
  static constexpr std::size_t kDefaultBlockBytes = std::size_t{1} << 20;

  // Reads `file` (open for reading, at its start; not owned) on `threads`
  // threads (0: one per core; 1: the blocks are parsed on the calling thread,
  // one after the other, with no thread started) in blocks of `blockBytes`
  // bytes (0: kDefaultBlockBytes; at most 1 GiB).
  // With `decimalComma`, the blocks are read as XyzNumberReader reads them
  // after UseDecimalCommas().
  XyzScan(std::FILE* file, int threads, std::size_t blockBytes = 0, bool decimalComma = false);
  ~XyzScan();

  XyzScan(const XyzScan&) = delete;
  XyzScan& operator=(const XyzScan&) = delete;

  // Reads the next number into `value`, as XyzNumberReader::Next does (never
  // kMore). Throws std::bad_alloc when a block's numbers do not fit in memory.
  Result Next(float& value) {
    if (index_ < count_) {
      value = values_[index_];
      position_ = base_ + ends_[index_];
      ++index_;
      return Result::kNumber;
    }
    return NextBlock(value);
  }

  // Byte offset in the file just after the last number read.
  std::uint64_t Position() const { return position_; }

 private:
  struct Block;

  // Next() when the numbers in hand are used up.
  Result NextBlock(float& value);
  // Reads the next block from the file into `block`.
  void Fill(Block& block);
  // Takes the next block's numbers in hand; false when the reading has ended
  // with `stop`.
  bool TakeBlock(Result& stop);

  std::FILE* file_;
  std::size_t blockBytes_;
  std::vector<std::unique_ptr<Block>> blocks_;
  std::unique_ptr<OrderedWorkers> workers_;  // declared after blocks_: stops first
  std::unique_ptr<XyzNumberReader> reader_;  // reads on from a line without an end

  // The numbers in hand: those of current_.
  const float* values_ = nullptr;
  const std::uint32_t* ends_ = nullptr;  // offsets from base_
  std::uint64_t base_ = 0;
  std::size_t count_ = 0;
  std::size_t index_ = 0;
  std::uint64_t position_ = 0;
  Block* current_ = nullptr;

  // Reading the blocks, on the calling thread.
  std::string rest_;              // read after the last line end of the last block
  std::uint64_t restOffset_ = 0;  // file offset of rest_
  bool lastQueued_ = false;       // no more blocks to read
  bool numbersRead_ = false;      // the blocks taken so far held numbers
  bool decimalComma_ = false;     // a comma is a decimal point
};

}  // namespace kem
