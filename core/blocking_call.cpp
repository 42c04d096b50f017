#include "core/blocking_call.h"

#include <atomic>

namespace kem {
namespace {

std::atomic<int> gBlockingCalls{0};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

}  // namespace

BlockingCall::BlockingCall() {
  gBlockingCalls.fetch_add(1);
}

BlockingCall::~BlockingCall() {
  gBlockingCalls.fetch_sub(1);
}

bool InBlockingCall() {
  return gBlockingCalls.load() != 0;
}

}  // namespace kem
