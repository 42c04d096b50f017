#!/usr/bin/env bash
# Time of filling the cells without data of an elevation raster, near the
# data and far from it. Writes three 2000 x 2000 ESRI ASCII grids of 10 m
# cells (read as they are, not warped) with awk and converts each with
# `kem-cli convert`, printing the best wall-clock time of FILL_BENCH_RUNS runs
# (default 3):
#   holes   ordinary voids: 3 x 3-cell holes every 30 cells (1 % of the cells);
#   corner  data in a 300 x 300 block in one corner (2.25 %), the rest void:
#           cells up to 2400 cells from the data;
#   band    data in a 100-row band along the north edge (5 %).
# A fill whose time grows with the distance to the data shows in the last two.
#
#   bench/fill_bench.sh          kem-cli from $KEM_CLI, else build/cli/kem-cli
#                                (a build with GDAL)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${KEM_CLI:-$root/build/cli/kem-cli}"
runs="${FILL_BENCH_RUNS:-3}"
if [ ! -x "$cli" ]; then
  echo "no kem-cli at $cli (set KEM_CLI or build into $root/build)" >&2
  exit 1
fi
work="$(mktemp -d "${TMPDIR:-/tmp}/kem-fill-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"

# grid NAME AWK-CONDITION: cells where the condition holds are void.
grid() {
  awk -v n=2000 "BEGIN {
    print \"ncols \" n; print \"nrows \" n; print \"xllcorner 400000\";
    print \"yllcorner 5600000\"; print \"cellsize 10\"; print \"NODATA_value -9999\";
    for (r = 0; r < n; r++) {
      line = \"\";
      for (c = 0; c < n; c++) {
        v = ($2) ? -9999 : 200 + (r * 7 + c * 3) % 97;
        line = line (c ? \" \" : \"\") v;
      }
      print line;
    }
  }" >"$1.asc"
}
grid holes "r % 30 < 3 && c % 30 < 3"
grid corner "r >= 300 || c >= 300"
grid band "r >= 100"

printf '%-8s %10s\n' grid seconds
for name in holes corner band; do
  best=""
  for _ in $(seq "$runs"); do
    start=$(date +%s.%N)
    "$cli" convert "$name.asc" >/dev/null
    seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds
    fi
  done
  printf '%-8s %10.2f\n' "$name" "$best"
done
