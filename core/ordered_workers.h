// Jobs done on worker threads and handed back in the order they were queued.
// The caller keeps the jobs' data in a fixed ring of slots, numbered from 0,
// so that the memory stays bounded however many jobs a run has: it fills
// NextSlot(), queues it, and later takes it back with its result. A slot is
// the caller's from Take until it is queued again, the workers' in between.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kem {

// Threads for work that asks for `requested` of them (0: one per core).
int ThreadCount(int requested);

class OrderedWorkers {
 public:
  // Runs `work(slot)` for every queued job on one of `workers` threads. With
  // none (or when the system gives no thread) each job is done on the calling
  // thread when it is taken. `work` must not throw.
  OrderedWorkers(std::size_t slots, int workers, std::function<void(std::size_t slot)> work);

  // Waits for the jobs being done; the queued jobs not yet begun are dropped.
  ~OrderedWorkers();

  OrderedWorkers(const OrderedWorkers&) = delete;
  OrderedWorkers& operator=(const OrderedWorkers&) = delete;

  // True while another job can be queued.
  bool HasRoom() const { return queued_ - taken_ < slots_; }

  // The slot that the next job is to be filled into.
  std::size_t NextSlot() const { return static_cast<std::size_t>(queued_ % slots_); }

  // Hands the job filled into NextSlot() to the workers. Needs HasRoom().
  void Queue();

  // True when a queued job has not been taken back yet.
  bool HasQueued() const { return queued_ != taken_; }

  // The slot of the oldest job queued and not yet taken back: the one the
  // next Take returns. Needs HasQueued() for it to hold a job.
  std::size_t OldestSlot() const { return static_cast<std::size_t>(taken_ % slots_); }

  // Waits for the oldest queued job to be done and returns its slot. Needs
  // HasQueued().
  std::size_t Take();

 private:
  void Work();

  std::function<void(std::size_t)> work_;
  std::size_t slots_;
  std::uint64_t queued_ = 0;  // jobs queued (calling thread only)
  std::uint64_t taken_ = 0;   // jobs taken back (calling thread only)

  std::mutex mutex_;
  std::condition_variable workWaiting_;
  std::condition_variable jobDone_;
  std::vector<bool> done_;       // per slot, under mutex_
  std::uint64_t published_ = 0;  // jobs the workers may begin (under mutex_)
  std::uint64_t started_ = 0;    // jobs a worker has begun (under mutex_)
  bool stopping_ = false;        // under mutex_
  std::vector<std::jthread> workers_;
};

}  // namespace kem
