// Stretches where a run may wait on the world outside without bound: a pipe
// that has no writer yet, a writer that stops sending, a reader that stops
// taking. Nothing of a run's output is half-made there (a pipe is written in
// place, and an elevation model is read whole before its height map is
// begun), so the command line's Ctrl+C handler ends the process at once
// instead of leaving the request for a poll that would never come.
#pragma once

namespace kem {

// Marks the current stretch as a blocking call while it lives. Nests.
class BlockingCall {
 public:
  BlockingCall();
  ~BlockingCall();

  BlockingCall(const BlockingCall&) = delete;
  BlockingCall& operator=(const BlockingCall&) = delete;
};

// True while any thread is inside a BlockingCall. Safe in a signal handler.
bool InBlockingCall();

}  // namespace kem
