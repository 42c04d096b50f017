#include "core/board_pipeline.h"

#include <algorithm>
#include <system_error>

#include "core/board_writer.h"
#include "core/layout_file.h"
#include "core/random_source.h"

namespace kem {

namespace {

// Slots per worker: one being finished, one waiting, so that no worker idles
// while the calling thread writes.
constexpr int kSlotsPerWorker = 2;

}  // namespace

struct BoardPipeline::Slot {
  BoardInput input;
  std::array<float, kWindowPixels> heights{};
  std::vector<std::uint8_t> block = std::vector<std::uint8_t>(kBoardBlockSize);
  bool done = false;  // under mutex_
};

int BoardThreadCount(int requested) {
  if (requested > 0) {
    return requested;
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

BoardPipeline::BoardPipeline(const TerrainJob& job, int threads) : job_(job) {
  const int workers = threads > 1 ? threads : 0;
  const int slots = workers > 0 ? kSlotsPerWorker * workers + 2 : 1;
  for (int i = 0; i < slots; ++i) {
    slots_.push_back(std::make_unique<Slot>());
  }
  workers_.reserve(static_cast<std::size_t>(workers));
  for (int i = 0; i < workers; ++i) {
    try {
      workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // The system has no more threads to give: the workers started do the
      // work, or the calling thread does it when none started.
      break;
    }
  }
}

BoardPipeline::~BoardPipeline() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workWaiting_.notify_all();
  workers_.clear();  // joins
  if (HasQueued()) {
    RandomSource::Program().Reset(SlotOf(taken_).input.randomState);
  }
}

bool BoardPipeline::HasRoom() const {
  return queued_ - taken_ < slots_.size();
}

void BoardPipeline::Queue(int col, int row, TerrainJob& job) {
  // The slot is free: no worker looks at it until it is published.
  Slot& slot = SlotOf(queued_);
  GatherBoard(col, row, job, slot.input, slot.block.data());
  ++queued_;
  if (workers_.empty()) {
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    slot.done = false;
    published_ = queued_;
  }
  workWaiting_.notify_one();
}

const std::uint8_t* BoardPipeline::Take() {
  Slot& slot = SlotOf(taken_);
  if (workers_.empty()) {
    FinishBoard(job_, slot.input, slot.heights.data(), slot.block.data());
  } else {
    std::unique_lock lock(mutex_);
    boardDone_.wait(lock, [&slot] { return slot.done; });
  }
  ++taken_;
  return slot.block.data();
}

void BoardPipeline::Work() {
  for (;;) {
    std::uint64_t board = 0;
    {
      std::unique_lock lock(mutex_);
      workWaiting_.wait(lock, [this] { return stopping_ || started_ < published_; });
      if (stopping_) {
        return;
      }
      board = started_++;
    }
    Slot& slot = SlotOf(board);
    FinishBoard(job_, slot.input, slot.heights.data(), slot.block.data());
    {
      const std::lock_guard lock(mutex_);
      slot.done = true;
    }
    boardDone_.notify_one();
  }
}

}  // namespace kem
