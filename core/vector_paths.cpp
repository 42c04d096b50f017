#include "core/vector_paths.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace kem {

namespace {

// The cap as a VectorLevel number; -1 until KEM_SIMD has been read.
std::atomic<int> levelCap{-1};

int CapFromEnvironment() {
  const char* setting = std::getenv("KEM_SIMD");
  if (setting != nullptr && std::strcmp(setting, "off") == 0) {
    return static_cast<int>(VectorLevel::kPlain);
  }
  if (setting != nullptr && std::strcmp(setting, "sse2") == 0) {
    return static_cast<int>(VectorLevel::kSse2);
  }
  return static_cast<int>(VectorLevel::kAvx2);
}

VectorLevel ProcessorLevel() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? VectorLevel::kAvx2 : VectorLevel::kSse2;
#else
  return VectorLevel::kPlain;
#endif
}

}  // namespace

VectorLevel ActiveVectorLevel() {
  int cap = levelCap.load(std::memory_order_relaxed);
  if (cap < 0) {
    cap = CapFromEnvironment();
    levelCap.store(cap, std::memory_order_relaxed);
  }
  static const VectorLevel processor = ProcessorLevel();
  return static_cast<VectorLevel>(std::min(cap, static_cast<int>(processor)));
}

void LimitVectorLevel(VectorLevel highest) {
  levelCap.store(static_cast<int>(highest), std::memory_order_relaxed);
}

}  // namespace kem
