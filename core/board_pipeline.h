// The board pipeline: boards of a run gathered on the calling thread in the
// order they are written, their vertex arithmetic done on worker threads, and
// their blocks handed back in the same order. A fixed ring of board slots
// bounds the memory whatever the layout's size.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/terrain_job.h"

namespace kem {

// Threads that build boards when a run asks for `requested` (0: one per core).
int BoardThreadCount(int requested);

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
  bool HasRoom() const;

  // Gathers board (col, row) on the calling thread and hands it to the
  // workers. Needs HasRoom(); may reuse the slot of the block Take returned.
  void Queue(int col, int row, TerrainJob& job);

  // True when a queued board has not been taken yet.
  bool HasQueued() const { return queued_ != taken_; }

  // Waits for the oldest queued board and returns its 123318-byte block,
  // valid until the next Queue or Take. Needs HasQueued().
  const std::uint8_t* Take();

 private:
  struct Slot;

  void Work();
  Slot& SlotOf(std::uint64_t board) { return *slots_[board % slots_.size()]; }

  const TerrainJob& job_;
  std::vector<std::unique_ptr<Slot>> slots_;
  std::uint64_t queued_ = 0;  // boards gathered (calling thread only)
  std::uint64_t taken_ = 0;   // boards handed back (calling thread only)

  std::mutex mutex_;
  std::condition_variable workWaiting_;
  std::condition_variable boardDone_;
  std::uint64_t published_ = 0;  // boards the workers may start (under mutex_)
  std::uint64_t started_ = 0;    // boards a worker has begun (under mutex_)
  bool stopping_ = false;        // under mutex_
  std::vector<std::jthread> workers_;
};

}  // namespace kem
