// Jobs on worker threads come back in the order they were queued, through a
// ring of slots reused many times over, whatever the number of workers.
#include "core/ordered_workers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace kem {
namespace {

TEST(OrderedWorkers, HandsJobsBackInTheOrderTheyWereQueued) {
  for (int workers : {0, 1, 3, 7}) {
    std::vector<std::uint64_t> input(4);
    std::vector<std::uint64_t> output(4);
    OrderedWorkers ring(input.size(), workers, [&](std::size_t slot) {
      // Later jobs often finish first.
      std::this_thread::sleep_for(std::chrono::microseconds((input[slot] * 7919) % 50));
      output[slot] = input[slot] * input[slot];
    });
    std::vector<std::uint64_t> results;
    std::uint64_t next = 0;
    while (results.size() < 200) {
      while (next < 200 && ring.HasRoom()) {
        input[ring.NextSlot()] = next++;
        ring.Queue();
      }
      const std::size_t slot = ring.Take();
      results.push_back(output[slot]);
    }
    EXPECT_FALSE(ring.HasQueued());
    for (std::uint64_t i = 0; i < results.size(); ++i) {
      ASSERT_EQ(results[i], i * i) << workers << " workers, job " << i;
    }
  }
}

}  // namespace
}  // namespace kem
