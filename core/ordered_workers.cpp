#include "core/ordered_workers.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace kem {

int ThreadCount(int requested) {
  if (requested > 0) {
    return requested;
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

OrderedWorkers::OrderedWorkers(std::size_t slots, int workers,
                               std::function<void(std::size_t slot)> work)
    : work_(std::move(work)), slots_(std::max<std::size_t>(slots, 1)), done_(slots_, false) {
  workers_.reserve(static_cast<std::size_t>(std::max(workers, 0)));
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

OrderedWorkers::~OrderedWorkers() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workWaiting_.notify_all();
  workers_.clear();  // joins
}

void OrderedWorkers::Queue() {
  const std::size_t slot = NextSlot();
  ++queued_;
  if (workers_.empty()) {
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    done_[slot] = false;
    published_ = queued_;
  }
  workWaiting_.notify_one();
}

std::size_t OrderedWorkers::Take() {
  const std::size_t slot = OldestSlot();
  if (workers_.empty()) {
    work_(slot);
  } else {
    std::unique_lock lock(mutex_);
    jobDone_.wait(lock, [this, slot] { return static_cast<bool>(done_[slot]); });
  }
  ++taken_;
  return slot;
}

void OrderedWorkers::Work() {
  for (;;) {
    std::size_t slot = 0;
    {
      std::unique_lock lock(mutex_);
      workWaiting_.wait(lock, [this] { return stopping_ || started_ < published_; });
      if (stopping_) {
        return;
      }
      slot = static_cast<std::size_t>(started_++ % slots_);
    }
    work_(slot);
    {
      const std::lock_guard lock(mutex_);
      done_[slot] = true;
    }
    jobDone_.notify_one();
  }
}

}  // namespace kem
