#!/usr/bin/env bash
# Sets up, checks the formatting of the C++ sources, builds Kem with
# AddressSanitizer and UBSan and warnings as errors, and runs every test (the
# desktop application's under a virtual X server).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-test"

"$root/scripts/setup.sh"
"$root/scripts/check_format.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEM_SANITIZE=ON -DKEM_WERROR=ON \
  -DKEM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
