#!/usr/bin/env bash
# Runs one fuzz target (or `all`, one after the other) for SECONDS each, with
# libFuzzer under AddressSanitizer and UBSan. Builds into build-fuzz with
# clang as needed. New coverage goes to build-fuzz/corpus/TARGET (the seeds in
# fuzz/corpus/TARGET are read, never written); a finding is saved to
# build-fuzz/findings/TARGET and the script fails. Copy a finding to
# fuzz/regressions/TARGET to have the normal tests replay it.
#
#   scripts/fuzz.sh TARGET SECONDS [extra libFuzzer options]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
targets=(project_file texture_list xyz generation layout_reader inspect raster)

if [ $# -lt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options]" >&2
  echo "targets: ${targets[*]}" >&2
  exit 2
fi
target="$1"
seconds="$2"
shift 2

if [ "$target" = all ]; then
  for each in "${targets[@]}"; do
    "$0" "$each" "$seconds" "$@"
  done
  exit 0
fi
if [[ " ${targets[*]} " != *" $target "* ]]; then
  echo "unknown fuzz target '$target' (targets: ${targets[*]})" >&2
  exit 2
fi

if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKEM_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
if [ "$target" = raster ] && ! grep -q "kem_fuzz_raster" "$build/build.ninja"; then
  echo "fuzz target raster skipped: this build has no GDAL" >&2
  exit 0
fi
cmake --build "$build" --target "kem_fuzz_$target" -j2 >/dev/null

# A generation needs a whole board: 76 x 76 pixels of 3 or 4 bytes; a layout
# of one board takes 127110 bytes.
case "$target" in
  generation) max_len=48000 ;;
  layout_reader) max_len=131072 ;;
  *) max_len=4096 ;;
esac
# `inspect` builds a layout of up to eight boards and draws and compresses
# pictures of up to 1024 x 1024 pixels in every run.
timeout=10
if [ "$target" = inspect ]; then
  timeout=30
fi

corpus="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$corpus" "$findings"
# Scratch files are written for every run: keep them in memory where we can.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec "$build/fuzz/kem_fuzz_$target" "$corpus" "$root/fuzz/corpus/$target" \
  -max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$findings/" "$@"
