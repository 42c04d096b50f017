#include "core/board_pipeline.h"

#include "core/board_writer.h"
#include "core/layout_file.h"
#include "core/random_source.h"

namespace kem {

namespace {

// Slots per worker: one being finished, one waiting, so that no worker idles
// while the calling thread writes.
constexpr int kSlotsPerWorker = 2;

int WorkersFor(int threads) {
  return threads > 1 ? threads : 0;
}

}  // namespace

struct BoardPipeline::Slot {
  BoardInput input;
  std::array<float, kWindowPixels> heights{};
  std::vector<std::uint8_t> block = std::vector<std::uint8_t>(kBoardBlockSize);
};

std::vector<std::unique_ptr<BoardPipeline::Slot>> BoardPipeline::MakeSlots(int workers) {
  const int count = workers > 0 ? kSlotsPerWorker * workers + 2 : 1;
  std::vector<std::unique_ptr<Slot>> slots;
  for (int i = 0; i < count; ++i) {
    slots.push_back(std::make_unique<Slot>());
  }
  return slots;
}

BoardPipeline::BoardPipeline(const TerrainJob& job, int threads)
    : job_(job),
      slots_(MakeSlots(WorkersFor(threads))),
      workers_(slots_.size(), WorkersFor(threads), [this](std::size_t i) {
        Slot& slot = *slots_[i];
        FinishBoard(job_, slot.input, slot.heights.data(), slot.block.data());
      }) {}

BoardPipeline::~BoardPipeline() {
  // Workers only read a slot's input and never draw from the program's
  // source, so it can be wound back before they are joined.
  if (HasQueued()) {
    RandomSource::Program().Reset(slots_[workers_.OldestSlot()]->input.randomState);
  }
}

void BoardPipeline::Queue(int col, int row, TerrainJob& job) {
  // The slot is free: no worker looks at it until it is queued.
  Slot& slot = *slots_[workers_.NextSlot()];
  GatherBoard(col, row, job, slot.input, slot.block.data());
  workers_.Queue();
}

const std::uint8_t* BoardPipeline::Take() {
  return slots_[workers_.Take()]->block.data();
}

}  // namespace kem
