#!/usr/bin/env bash
# Speed and memory of `kem-cli convert` against gdal_translate on the same DEMs.
#
# Writes two 2000 x 2000-point ASCII XYZ DEMs (about 88 MB of text each), one
# 10 units apart and one 30 units apart, listed row by row from north to south
# as GIS tools export them, then converts each with `kem-cli convert` (its
# text read on every core, and on one thread) and with `gdal_translate -q -of
# GTiff` in the same run. Prints the best wall-clock time
# of DEM_BENCH_RUNS runs (default 3), the CPU time (user + system) of that run,
# the peak resident memory (from /usr/bin/time -v) and the ratios. A 30-unit DEM
# gives kem a 5998 x 5998 image filled in by interpolation; the last row times
# gdal_translate making the same grid (-tr 10 10 -r bilinear) for comparison.
#
# Then two 4000 x 4000 float32 GeoTIFFs in a projected system (ETRS89 / UTM
# 32N), with 10 m and 15 m cells, made from the 10-unit DEM, are converted by
# `kem-cli convert` (through GDAL) and by the path a user would otherwise take:
# `gdalwarp -tr 10 10 -r bilinear` followed by `gdal_translate` to 24-bit codes
# (target: no slower, peak memory at most 1.2 times). Skipped when kem-cli was
# built without GDAL.
#
#   bench/dem_bench.sh            kem-cli from $KEM_CLI, else build/cli/kem-cli
#
# The DEM generator is kem-make-dem from the same build (or $KEM_MAKE_DEM);
# without it the DEMs are written with awk. gdal-bin and time are installed
# with apt-get when missing: they are yardsticks, not dependencies of kem.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${KEM_CLI:-$root/build/cli/kem-cli}"
make_dem="${KEM_MAKE_DEM:-$(dirname "$cli")/../tools/kem-make-dem}"
runs="${DEM_BENCH_RUNS:-3}"

if [ ! -x "$cli" ]; then
  echo "no kem-cli at $cli (set KEM_CLI or build into $root/build)" >&2
  exit 1
fi

install_missing() {
  local packages=()
  command -v gdal_translate >/dev/null || packages+=(gdal-bin)
  [ -x /usr/bin/time ] || packages+=(time)
  [ ${#packages[@]} -eq 0 ] && return
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${packages[@]}" >/dev/null
}
install_missing

work="$(mktemp -d "${TMPDIR:-/tmp}/kem-dem-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"

# make_dem SPACING FILE: 2000 x 2000 points from (400000, 5600000), north row first.
make_dem() {
  if [ -x "$make_dem" ]; then
    "$make_dem" --points 2000x2000 --spacing "$1" --out "$2"
  else
    awk -v s="$1" 'BEGIN {
      for (r = 1999; r >= 0; r--)
        for (c = 0; c < 2000; c++)
          printf "%d %d %.2f\n", 400000 + c * s, 5600000 + r * s,
                 500 + 250 * sin(6.2832 * (1.3 * c / 2000 + 0.2)) * cos(6.2832 * 0.9 * r / 2000)
    }' >"$2"
  fi
}

# measure OUT COMMAND...: best of $runs; writes "wall cpu peak_kb" of the best run to OUT.
measure() {
  local out="$1"
  shift
  local best=""
  for _ in $(seq "$runs"); do
    rm -f ./*.tga out.tif warped.tif
    /usr/bin/time -v -o time.txt "$@" >/dev/null
    local line
    line="$(awk -F': ' '
      /Elapsed \(wall clock\)/ { n = split($2, t, ":"); w = 0; for (i = 1; i <= n; i++) w = w * 60 + t[i] }
      /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident set size/ { m = $2 }
      END { printf "%.3f %.3f %d\n", w, u + s, m }' time.txt)"
    if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then
      best="$line"
    fi
  done
  echo "$best" >"$out"
}

printf '%-22s %9s %9s %7s %9s %9s %7s %10s %10s %7s\n' \
  DEM kem_s gdal_s speedup kem_cpu gdal_cpu cpu_x kem_RSS gdal_RSS mem_x
report() {
  read -r kw kc km <"$2"
  read -r gw gc gm <"$3"
  awk -v n="$1" -v kw="$kw" -v kc="$kc" -v km="$km" -v gw="$gw" -v gc="$gc" -v gm="$gm" 'BEGIN {
    printf "%-22s %9.2f %9.2f %6.2fx %9.2f %9.2f %6.2fx %7.1f MB %7.1f MB %6.2fx\n",
           n, kw, gw, gw / kw, kc, gc, gc / kc, km / 1024, gm / 1024, km / gm }'
}

for spacing in 10 30; do
  dem="dem_${spacing}.xyz"
  make_dem "$spacing" "$dem"
  size_mb=$(awk -v b="$(stat -c %s "$dem")" 'BEGIN { printf "%.0f", b / 1e6 }')
  measure kem.txt "$cli" convert "$dem"
  "$cli" convert "$dem"
  side=$(((1999 * spacing) / 10 + 1))
  expected=$((18 + 3 * side * side))
  if [ "$(stat -c %s "$dem.tga")" -ne "$expected" ]; then
    echo "unexpected height map size $(stat -c %s "$dem.tga") (expected $expected)" >&2
    exit 1
  fi
  rm -f "$dem.tga"
  measure kem1.txt "$cli" convert "$dem" --threads 1
  measure gdal.txt gdal_translate -q -of GTiff "$dem" out.tif
  report "${spacing} units, ${size_mb} MB" kem.txt gdal.txt
  report "  read on 1 thread" kem1.txt gdal.txt
  if [ "$spacing" -eq 30 ]; then
    measure gdal.txt gdal_translate -q -of GTiff -tr 10 10 -r bilinear "$dem" out.tif
    report "30 units, same grid" kem.txt gdal.txt
  fi
done

for cell in 10 15; do
  tif="grid_${cell}m.tif"
  extent=$((4000 * cell))
  gdal_translate -q -of GTiff -ot Float32 -outsize 4000 4000 -r bilinear -a_srs EPSG:25832 \
    -a_ullr 400000 $((5600000 + extent)) $((400000 + extent)) 5600000 dem_10.xyz "$tif"
  if ! "$cli" convert "$tif" >/dev/null 2>&1; then
    echo "GeoTIFF rows skipped: kem-cli built without GDAL"
    break
  fi
  measure kem.txt "$cli" convert "$tif"
  measure gdal.txt sh -c "gdalwarp -q -overwrite -tr 10 10 -r bilinear '$tif' warped.tif &&
    gdal_translate -q -ot UInt32 -scale -1000 9000 0 16777215 warped.tif out.tif"
  report "GeoTIFF 4000², ${cell} m" kem.txt gdal.txt
done
echo "speedup, cpu_x: gdal time / kem time (target >= 3 for XYZ, >= 1 for GeoTIFF); mem_x: kem peak / gdal peak (target <= 1.2)"
