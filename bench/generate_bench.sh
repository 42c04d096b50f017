#!/usr/bin/env bash
# End-to-end speed and memory of `kem-cli generate`.
#
# Makes 25-board and 2500-board (3604 x 3604 pixel) height maps in chroma depth
# colours and in 24-bit coding, generates a layout from each with 1 and 2
# board threads, times writing the same number of bytes with dd in the same
# run, and prints boards per second, output MB/s, the ratio of the run's time
# to dd's, the CPU time (user + system: on a shared, loaded machine the wall
# time alone says little) and the peak resident memory.
#
#   bench/generate_bench.sh [BUILD_FOLDER]     (default: build-bench, Release)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-bench}"

# shellcheck source=bench/bench_common.sh
source "$root/bench/bench_common.sh"

now() { date +%s.%N; }
peak_kb() { awk -F': ' '/Maximum resident set size/ {print $2}' "$1"; }

cpu_s() { awk -F': ' '/User time|System time/ {t += $2} END {print t}' "$1"; }

printf '%-8s %7s %7s %9s %11s %9s %9s %8s %8s %10s\n' format boards threads seconds boards/s \
  MB/s dd_MB/s x_dd cpu_s peak_RSS
for format in chroma 24bit; do
  for side in 5 50; do
    boards=$((side * side))
    map="map_${format}_${side}.tga"
    "$make_map" --boards "${side}x${side}" --format "$format" --out "$map"
    for threads in 1 2; do
      rm -f out.gnd
      start=$(now)
      /usr/bin/time -v -o time.txt "$cli" generate --height-map "$map" --format "$format" \
        --base-height 0 --max-height 500 --output out.gnd --threads "$threads" >/dev/null
      end=$(now)
      bytes=$(stat -c %s out.gnd)
      expected=$((3776 + 123334 * boards))
      if [ "$bytes" -ne "$expected" ]; then
        echo "unexpected layout size $bytes (expected $expected)" >&2
        exit 1
      fi
      rm -f out.gnd dd.out
      dd_start=$(now)
      dd if=/dev/zero of=dd.out bs=1M count=$((bytes / 1048576 + 1)) status=none
      dd_end=$(now)
      rm -f dd.out
      awk -v f="$format" -v n="$boards" -v th="$threads" -v s="$start" -v e="$end" -v b="$bytes" \
        -v ds="$dd_start" -v de="$dd_end" -v kb="$(peak_kb time.txt)" -v cpu="$(cpu_s time.txt)" \
        'BEGIN {
          t = e - s; dt = de - ds; mbs = b / t / 1e6; dmbs = b / dt / 1e6;
          printf "%-8s %7d %7d %9.3f %11.0f %9.1f %9.1f %8.2f %8.2f %7.1f MB\n",
                 f, n, th, t, n / t, mbs, dmbs, t / dt, cpu, kb / 1024 }'
    done
  done
done
