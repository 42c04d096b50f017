#!/usr/bin/env bash
# Speed and memory of `kem-cli inspect`: the survey of a project and reading a
# layout file back.
#
# Makes a 2500-board (50 x 50) chroma height map and surveys it, as a report,
# with a preview and as JSON (target: under 0.5 s and 32 MB with the preview);
# then generates its layout and reads that with a preview, with a preview and
# a minimap mosaic, and as JSON, printing the layout bytes read per second.
# Wall and CPU seconds and peak resident memory for each. Files are read once
# before timing so every run reads from the page cache.
# BOARDS (default 50) sets the side of the map in boards: BOARDS=130 makes a
# 16900-board, 2.1 GB layout to show that memory stays flat.
#
#   bench/inspect_bench.sh [BUILD_FOLDER]     (default: build-bench, Release)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-bench}"
side="${BOARDS:-50}"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEM_SANITIZE=OFF \
  -DKEM_BUILD_TESTS=OFF -DKEM_BUILD_APP=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kem-cli kem-make-heightmap >/dev/null

cli="$build/cli/kem-cli"
make_map="$build/tools/kem-make-heightmap"
work="$(mktemp -d "${TMPDIR:-/tmp}/kem-inspect-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$root/data/tile_blank.dat" "$work/"
cd "$work"

boards=$((side * side))
"$make_map" --boards "${side}x${side}" --format chroma --out map.tga
project=(--height-map map.tga --format chroma --base-height 0 --max-height 500 --output layout.gnd)
cat map.tga >/dev/null

now() { date +%s.%N; }
peak_kb() { awk -F': ' '/Maximum resident set size/ {print $2}' "$1"; }
cpu_s() { awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$1"; }

printf '%-18s %6s %10s %8s %8s %10s\n' survey boards map_bytes wall_s cpu_s peak_RSS
survey() {
  local name="$1"
  shift
  local start end
  start=$(now)
  /usr/bin/time -v -o time.txt "$cli" inspect "${project[@]}" "$@" >/dev/null
  end=$(now)
  awk -v n="$name" -v c="$boards" -v b="$(stat -c %s map.tga)" -v s="$start" -v e="$end" \
    -v kb="$(peak_kb time.txt)" -v cpu="$(cpu_s time.txt)" 'BEGIN {
      printf "%-18s %6d %10d %8.3f %8.3f %7.1f MB\n", n, c, b, e - s, cpu, kb / 1024 }'
}
survey "report"
survey "preview" --preview survey.png
survey "json" --json
echo

"$cli" generate "${project[@]}" >/dev/null
rm -f map.tga
bytes=$(stat -c %s layout.gnd)
cat layout.gnd >/dev/null

printf '%-18s %6s %10s %8s %7s %8s %7s %10s\n' read boards bytes wall_s GB/s cpu_s GB/s peak_RSS
run() {
  local name="$1"
  shift
  local start end
  start=$(now)
  /usr/bin/time -v -o time.txt "$cli" inspect layout.gnd "$@" >/dev/null
  end=$(now)
  awk -v n="$name" -v c="$boards" -v b="$bytes" -v s="$start" -v e="$end" \
    -v kb="$(peak_kb time.txt)" -v cpu="$(cpu_s time.txt)" 'BEGIN {
      t = e - s;
      printf "%-18s %6d %10d %8.3f %7.2f %8.3f %7.2f %7.1f MB\n", n, c, b, t, b / t / 1e9,
             cpu, b / cpu / 1e9, kb / 1024 }'
}
run "report"
run "preview" --preview preview.png
run "preview+minimaps" --preview preview.png --minimaps minimaps.png
run "json" --json
