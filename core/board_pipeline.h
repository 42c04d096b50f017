// The board pipeline: boards of a run gathered on the calling thread in the
// order they are written, their vertex arithmetic done on worker threads, and
// their blocks handed back in the same order. A fixed ring of board slots
// bounds the memory whatever the layout's size.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ordered_workers.h"
#include "core/terrain_job.h"

namespace kem {

class BoardPipeline {
 public:
  // Starts `threads` workers for `job` (which must outlive the pipeline and
  // keep its settings). With one thread or fewer there are none: each board is
  // finished on the calling thread when it is taken, exactly as it would be
  // built in one go.
  BoardPipeline(const TerrainJob& job, int threads);

  // Stops and joins the workers. Boards queued but never taken give their
  // share of the random sequence back: the program's source is left where it
  // would be had only the taken boards been built.
  ~BoardPipeline();

  BoardPipeline(const BoardPipeline&) = delete;
  BoardPipeline& operator=(const BoardPipeline&) = delete;

  // True while another board can be queued.
  bool HasRoom() const { return workers_.HasRoom(); }

  // Gathers board (col, row) on the calling thread and hands it to the
  // workers. Needs HasRoom(); may reuse the slot of the block Take returned.
  void Queue(int col, int row, TerrainJob& job);

  // True when a queued board has not been taken yet.
  bool HasQueued() const { return workers_.HasQueued(); }

  // Waits for the oldest queued board and returns its 123318-byte block,
  // valid until the next Queue or Take. Needs HasQueued().
  const std::uint8_t* Take();

 private:
  struct Slot;

  static std::vector<std::unique_ptr<Slot>> MakeSlots(int workers);

  const TerrainJob& job_;
  std::vector<std::unique_ptr<Slot>> slots_;
  OrderedWorkers workers_;  // declared after slots_: stops first
};

}  // namespace kem
