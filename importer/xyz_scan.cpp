#include "importer/xyz_scan.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "core/blocking_call.h"

namespace kem {
namespace {

// How a block's text ends.
enum class BlockEnd {
  kLineEnd,    // just after a line end, the file going on
  kFileEnd,    // at the end of the file
  kReadError,  // where the file could not be read further
  kNoLineEnd,  // a whole block without a line end: one reader reads on from its start
};

// Each worker has a block in hand and one waiting; the calling thread hands
// out the numbers of another.
constexpr int kBlocksPerWorker = 2;

// The largest block: offsets within it fit the 32 bits kept for each number.
constexpr std::size_t kMaxBlockBytes = std::size_t{1} << 30;

std::size_t BlockBytes(std::size_t asked) {
  return asked == 0 ? XyzScan::kDefaultBlockBytes : std::min(asked, kMaxBlockBytes);
}

}  // namespace

struct XyzScan::Block {
  std::unique_ptr<char[]> text;  // blockBytes_; only [0, size) is ever read
  std::size_t size = 0;
  std::uint64_t offset = 0;  // file offset of text[0]
  BlockEnd end = BlockEnd::kLineEnd;
  bool afterNumbers = false;  // parsed as if numbers came before it
  bool decimalComma = false;  // a comma is a decimal point

  // What the parse gave: the numbers, the offset in the text just after
  // each, and what stopped it.
  std::vector<float> numbers;
  std::vector<std::uint32_t> ends;
  Result stop = Result::kMore;
  bool outOfMemory = false;

  // Reads the numbers of the text, taking lines of column names only when
  // `numbersBefore` is false. Never throws: a lack of memory is kept in
  // outOfMemory.
  void Parse(bool numbersBefore) {
    afterNumbers = numbersBefore;
    numbers.clear();
    ends.clear();
    outOfMemory = false;
    try {
      XyzNumberReader reader(std::string_view(text.get(), size), {offset, numbersBefore},
                             end == BlockEnd::kFileEnd);
      if (decimalComma) {
        reader.UseDecimalCommas();
      }
      stop = reader.ReadAll(numbers, ends, offset);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
      numbers = {};
      ends = {};
    }
  }
};

bool ScansInParallel(int threads, std::uint64_t length, std::size_t blockBytes) {
  return ThreadCount(threads) > 1 && (length == 0 || length > BlockBytes(blockBytes));
}

XyzScan::XyzScan(std::FILE* file, int threads, std::size_t blockBytes, bool decimalComma)
    : file_(file), blockBytes_(BlockBytes(blockBytes)), decimalComma_(decimalComma) {
  // One thread: the blocks are parsed on the calling thread as they are taken.
  const int workers = threads == 1 ? 0 : ThreadCount(threads);
  const auto slots = static_cast<std::size_t>(kBlocksPerWorker * std::max(workers, 1) + 1);
  for (std::size_t i = 0; i < slots; ++i) {
    blocks_.push_back(std::make_unique<Block>());
    blocks_.back()->decimalComma = decimalComma;
  }
  workers_ = std::make_unique<OrderedWorkers>(slots, workers, [this](std::size_t slot) {
    Block& block = *blocks_[slot];
    if (block.end != BlockEnd::kNoLineEnd) {
      block.Parse(block.afterNumbers);
    }
  });
}

XyzScan::~XyzScan() = default;

XyzScan::Result XyzScan::NextBlock(float& value) {
  for (;;) {
    if (reader_) {
      const Result result = reader_->Next(value);
      if (result == Result::kNumber) {
        position_ = reader_->Position();
      }
      return result;
    }
    if (current_ != nullptr) {
      if (current_->stop != Result::kMore) {
        return current_->stop;  // the end of the file, or text that is not a number
      }
      if (current_->end == BlockEnd::kReadError) {
        return Result::kReadError;
      }
      current_ = nullptr;
      count_ = 0;
    }
    Result stop = Result::kEnd;
    if (!TakeBlock(stop)) {
      return stop;
    }
    if (index_ < count_) {
      return Next(value);
    }
  }
}

void XyzScan::Fill(Block& block) {
  if (!block.text) {
    block.text = std::make_unique_for_overwrite<char[]>(blockBytes_);
  }
  char* text = block.text.get();
  std::size_t size = rest_.size();
  if (size > 0) {
    std::memcpy(text, rest_.data(), size);
  }
  block.offset = restOffset_;
  block.end = BlockEnd::kLineEnd;
  while (size < blockBytes_) {
    std::size_t got = 0;
    {
      const BlockingCall waiting;  // the text may come through a pipe
      got = std::fread(text + size, 1, blockBytes_ - size, file_);
    }
    if (got == 0) {
      block.end = std::ferror(file_) ? BlockEnd::kReadError : BlockEnd::kFileEnd;
      break;
    }
    size += got;
  }
  rest_.clear();
  if (block.end == BlockEnd::kLineEnd) {
    std::size_t cut = size;
    while (cut > 0 && text[cut - 1] != '\n') {
      --cut;
    }
    if (cut > 0) {
      rest_.assign(text + cut, size - cut);
      size = cut;
    } else {
      block.end = BlockEnd::kNoLineEnd;
    }
  }
  lastQueued_ = block.end != BlockEnd::kLineEnd;
  block.size = size;
  // Only the first block can open with lines of column names; a later one
  // that still can is parsed again when it is taken.
  block.afterNumbers = block.offset > 0;
  restOffset_ = block.offset + size;
}

bool XyzScan::TakeBlock(Result& stop) {
  while (!lastQueued_ && workers_->HasRoom()) {
    Fill(*blocks_[workers_->NextSlot()]);
    workers_->Queue();
  }
  if (!workers_->HasQueued()) {
    stop = Result::kEnd;
    return false;
  }
  Block& block = *blocks_[workers_->Take()];
  if (block.end == BlockEnd::kNoLineEnd) {
    // A line that fills the block: one reader goes on from here, as far as
    // the line and the file go; the blocks are done with.
    reader_ = std::make_unique<XyzNumberReader>(file_, blockBytes_,
                                                std::string_view(block.text.get(), block.size),
                                                XyzReadStart{block.offset, numbersRead_});
    if (decimalComma_) {
      reader_->UseDecimalCommas();
    }
    workers_.reset();
    blocks_.clear();
    current_ = nullptr;
    count_ = 0;
    return true;
  }
  if (block.afterNumbers && !numbersRead_) {
    block.Parse(false);
  }
  if (block.outOfMemory) {
    throw std::bad_alloc();
  }
  numbersRead_ = numbersRead_ || !block.numbers.empty();
  current_ = &block;
  values_ = block.numbers.data();
  ends_ = block.ends.data();
  base_ = block.offset;
  count_ = block.numbers.size();
  index_ = 0;
  return true;
}

}  // namespace kem
