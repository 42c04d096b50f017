#!/usr/bin/env bash
# Speed and memory of `kem-cli convert` on sets of tiles against GDAL's way
# (gdalbuildvrt + gdalwarp -tr 10 10) on the same tiles.
#
# Writes, in a work folder deleted afterwards:
#   (a) 6 x 6 adjacent XYZ tiles of 1 km at 1 m spacing (36 million points,
#       about 1 GB of text), rolling terrain with ditches and noise;
#   (b) 2 x 2 adjacent 1-degree rasters in degrees (EPSG:4326) of 3601 x 3601
#       16-bit cells, SRTM-like.
# Converts each set with kem-cli (default and --average) and with
# `gdalbuildvrt` + `gdalwarp -tr 10 10` (-r near and -r average to match; the
# rasters to the same UTM zone), printing wall time, CPU time (user + system)
# and peak resident memory side by side, and the ratios. With
# /work/shared/corpus/geo/dem/N49E011.hgt present (or $MOSAIC_SRTM), one real
# SRTM tile is timed too.
#
#   bench/mosaic_bench.sh [SCALE]
#
# SCALE (default 1) shrinks the tiles' sides: 0.25 makes 250 x 250-point XYZ
# tiles and 900 x 900-cell rasters of a quarter degree, for a quick run.
# kem-cli is built in Release into build-bench (see bench_common.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KEM_BENCH_BUILD:-$root/build-bench}"
scale="${1:-1}"
BENCH_NAME=kem-mosaic-bench
source "$root/bench/bench_common.sh"
command -v gdalwarp >/dev/null || { echo "gdal-bin is needed (apt-get install gdal-bin)" >&2; exit 1; }

side=$(awk -v s="$scale" 'BEGIN { printf "%d", 1000 * s }')     # XYZ tile side, points
cells=$(awk -v s="$scale" 'BEGIN { printf "%d", 3600 * s + 1 }') # raster side, cells
degrees=$(awk -v s="$scale" 'BEGIN { printf "%.6f", s }')

# measure OUT COMMAND...: writes "wall cpu peak_kb" to OUT.
measure() {
  local out="$1"
  shift
  /usr/bin/time -f "%e %U %S %M" -o time.txt "$@" >/dev/null 2>&1 </dev/null
  awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' time.txt >"$out"
}

# row NAME KEM_FILE GDAL_FILE: one line of the table.
row() {
  read -r kw kc km <"$2"
  read -r gw gc gm <"$3"
  awk -v n="$1" -v kw="$kw" -v kc="$kc" -v km="$km" -v gw="$gw" -v gc="$gc" -v gm="$gm" 'BEGIN {
    printf "%-24s %8.2f %8.2f %7.2fx %8.1f %8.1f MB %8.1f MB %6.2fx\n",
      n, kw, gw, gw / (kw > 0 ? kw : 0.01), kc, km / 1024, gm / 1024, km / gm }'
}

header() {
  printf '%-24s %8s %8s %8s %8s %11s %11s %7s\n' set kem_s gdal_s speed kem_cpu kem_peak \
    gdal_peak mem_x
}

# (a) XYZ tiles: a tile at column i, row j covers 1 km (at scale 1) from
# (500000 + i km, 5400000 + j km), listed row by row from the north.
echo "Writing 36 XYZ tiles of ${side} x ${side} points ..." >&2
mkdir xyz
for j in 0 1 2 3 4 5; do
  for i in 0 1 2 3 4 5; do
    awk -v i="$i" -v j="$j" -v n="$side" 'BEGIN {
      x0 = 500000 + i * n; y0 = 5400000 + j * n
      for (r = n - 1; r >= 0; r--) {
        y = y0 + r + 0.5
        line = ""
        for (c = 0; c < n; c++) {
          x = x0 + c + 0.5
          z = 300 + 80 * sin(x / 900) * cos(y / 1300) + 0.004 * (x - 500000) \
            - (((int(x) % 97) < 2) ? 1.5 : 0) + 0.3 * sin(x * 12.9898 + y * 78.233)
          printf "%.1f %.1f %.2f\n", x, y, z
        }
      }
    }' >"xyz/t_${j}_${i}.xyz"
  done
done

# (b) rasters in degrees: 2 x 2 tiles from 11 E, 49 N.
echo "Writing 4 rasters of ${cells} x ${cells} cells ..." >&2
mkdir srtm
for j in 0 1; do
  for i in 0 1; do
    west=$(awk -v i="$i" -v d="$degrees" 'BEGIN { printf "%.6f", 11 + i * d }')
    north=$(awk -v j="$j" -v d="$degrees" 'BEGIN { printf "%.6f", 49 + (j + 1) * d }')
    awk -v n="$cells" -v w="$west" -v t="$north" -v d="$degrees" 'BEGIN {
      step = d / (n - 1)
      printf "ncols %d\nnrows %d\nxllcorner %.9f\nyllcorner %.9f\ncellsize %.12f\n", \
        n, n, w - step / 2, t - d - step / 2, step
      for (r = 0; r < n; r++) {
        lat = t - r * step
        line = ""
        for (c = 0; c < n; c++) {
          lon = w + c * step
          line = line sprintf("%d ", 400 + 250 * sin(lon * 40) * cos(lat * 55) + 60 * sin(lon * 300 + lat * 170))
        }
        print line
      }
    }' >grid.asc
    gdal_translate -q -ot Int16 -a_srs EPSG:4326 -of GTiff grid.asc "srtm/t_${j}_${i}.tif"
    rm grid.asc
  done
done
xyz_mb=$(du -sm xyz | cut -f1)
echo "XYZ text: ${xyz_mb} MB" >&2

# One row: Kem on a set of tiles against gdalbuildvrt + gdalwarp on the same.
#   compare LABEL FOLDER TILE_GLOB "GDALWARP OPTIONS" [KEM OPTIONS...]
compare() {
  local label="$1" folder="$2" glob="$3" warp="$4"
  shift 4
  measure kem.txt "$cli" convert "$folder" --output set.tga "$@"
  measure gdal.txt sh -c "gdalbuildvrt -q set.vrt $folder/$glob && gdalwarp -q -overwrite $warp set.vrt set.tif"
  row "$label" kem.txt gdal.txt
  rm -f set.tga set.tga.aux.xml set.tif set.vrt
}

header
compare "xyz tiles" xyz '*.xyz' "-tr 10 10 -r near"
compare "xyz tiles --average" xyz '*.xyz' "-tr 10 10 -r average" --average
rm -rf xyz
compare "raster tiles" srtm '*.tif' "-t_srs EPSG:32632 -tr 10 10 -r bilinear"
compare "raster tiles --average" srtm '*.tif' "-t_srs EPSG:32632 -tr 10 10 -r average" --average
rm -rf srtm

srtm="${MOSAIC_SRTM:-/work/shared/corpus/geo/dem/N49E011.hgt}"
if [ -f "$srtm" ]; then
  measure kem.txt "$cli" convert "$srtm" --output c.tga
  measure gdal.txt gdalwarp -q -overwrite -t_srs EPSG:32632 -tr 10 10 -r bilinear "$srtm" c.tif
  row "one SRTM tile" kem.txt gdal.txt
fi
echo "speed: gdal time / kem time (targets: >= 5 for XYZ tiles, >= 2 for rasters); mem_x: kem peak / gdal peak (target <= 1); scale $scale"
