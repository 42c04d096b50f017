#!/usr/bin/env bash
# Generates a fixed set of layouts, height maps and project files and checks
# their SHA-256 digests against expected.sha256, so that no change to the
# generator, the DEM conversion or the project codec can alter a byte unnoticed.
#
#   output_digests.sh KEM_CLI MAKE_HEIGHTMAP MAKE_DEM SOURCE_DIR [--update]
#
# With --update the digests are written instead of checked.
set -euo pipefail
cli="$1"
make_map="$2"
make_dem="$3"
source_dir="$4"
mode="${5:-check}"
expected="$source_dir/tests/digests/expected.sha256"

work="$(mktemp -d "${TMPDIR:-/tmp}/kem-digests.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"

# A template with varied bytes, so that its copy into every layout is checked.
awk 'BEGIN { for (i = 0; i < 780; i++) printf "%c", (i * 7 + 3) % 251 + 1 }' >tile_blank.dat
cp "$source_dir/data/textures.txt" textures.txt

"$make_map" --boards 3x2 --format chroma --out chroma.tga --texturing-guide guide.tga
"$make_map" --boards 7x5 --format chroma --out wide.tga --filter-guide filter.tga
"$make_map" --boards 3x2 --format spectrum --out spectrum.tga
"$make_map" --boards 3x2 --format grey --out grey.tga --top-down
"$make_map" --boards 3x2 --format 24bit --out 24bit.tga

# Every generation case, with `extra` options after each case's own. The
# layouts must not depend on how many threads build the boards.
extra=()
simd=all
gen() {
  local name="$1"
  shift
  KEM_SIMD="$simd" "$cli" generate --yes --output "$name.gnd" "$@" "${extra[@]}" >/dev/null
}

generate_all() {
  gen spectrum --height-map spectrum.tga --format spectrum --base-height -20 --max-height 480
  gen spectrum_flat --height-map spectrum.tga --format spectrum --base-height 5 --max-height 5
  gen terrain --height-map chroma.tga --format terrain --base-height 0 --max-height 300
  gen chroma --height-map chroma.tga --format chroma --base-height 0 --max-height 300
  gen chroma_raw --height-map chroma.tga --format chroma --base-height 300 --max-height 0 \
    --no-interpolate
  gen grey --height-map grey.tga --format grey --base-height 10.5 --max-height 99.25
  gen 24bit --height-map 24bit.tga --format 24bit --base-height -1000 --max-height 9000 \
    --no-interpolate
  gen textured --height-map chroma.tga --format chroma --base-height 0 --max-height 300 \
    --texturing-guide guide.tga
  gen randomized --height-map chroma.tga --format chroma --base-height 0 --max-height 300 \
    --texturing-guide guide.tga --randomize --minimap guide.tga
  for radius in 0 1 2; do
    gen "filter_$radius" --height-map wide.tga --format chroma --base-height 0 \
      --max-height 300 --filter-guide filter.tga --filter-radius "$radius"
  done
  (cd demo && KEM_SIMD="$simd" "$cli" generate demo.kem "${extra[@]}" >/dev/null)
}

mkdir demo
cp "$source_dir"/data/{demo.kem,demo_heightmap.tga,demo_texturing_guide.tga,textures.txt} demo/
cp tile_blank.dat demo/
generate_all

"$cli" project new project.kem --height-map maps/vale.tga --format grey --base-height -3.5 \
  --max-height 1e3 --no-interpolate --minimap mini.tga --texturing-guide guide.tga \
  --randomize --filter-guide filter.tga --filter-radius 4 --output vale.gnd
"$cli" project new default.kem

# DEMs: a 10-unit grid and a 30-unit grid listed south to north, with CRLF ends.
"$make_dem" --points 40x30 --spacing 10 --out dem10.xyz
"$make_dem" --points 20x15 --spacing 30 --out dem30.xyz
awk '{ lines[NR] = $0 } END { for (i = NR; i > 0; i--) printf "%s\r\n", lines[i] }' \
  dem30.xyz >dem30_crlf.xyz
for dem in dem10 dem30 dem30_crlf; do
  "$cli" convert "$dem.xyz" >/dev/null
done

actual="$work/actual.sha256"
sha256sum ./*.gnd ./*.kem ./*.xyz.tga demo/*.gnd | sed 's| \./| |' >"$actual"
if [ "$mode" = "--update" ]; then
  cp "$actual" "$expected"
  echo "wrote $(wc -l <"$expected") digests to $expected"
  exit 0
fi
if ! diff -u "$expected" "$actual"; then
  echo "output digests differ from tests/digests/expected.sha256" >&2
  exit 1
fi
echo "$(wc -l <"$actual") outputs match their digests"

# The same layouts again with 1, 2 and 7 board threads, and with the vector
# arithmetic cut to two lanes and turned off: the same digests.
grep '\.gnd$' "$expected" >layouts.sha256
for variant in "all 1" "all 2" "all 7" "sse2 2" "off 2"; do
  read -r simd threads <<<"$variant"
  extra=(--threads "$threads")
  generate_all
  if ! sha256sum --check --quiet layouts.sha256; then
    echo "layouts built with $threads threads, vector paths $simd, differ from" \
      "tests/digests/expected.sha256" >&2
    exit 1
  fi
done

# A randomised, filtered map large enough for the board ring to wrap many
# times: the same bytes for every thread count.
"$make_map" --boards 13x9 --format chroma --out big.tga --texturing-guide big_guide.tga \
  --filter-guide big_filter.tga
for threads in 1 2 7; do
  KEM_SIMD=off "$cli" generate --yes --output "big_$threads.gnd" --height-map big.tga \
    --format chroma --base-height 0 --max-height 300 --texturing-guide big_guide.tga --randomize \
    --filter-guide big_filter.tga --filter-radius 1 --threads "$threads" >/dev/null
done
"$cli" generate --yes --output big.gnd --height-map big.tga --format chroma --base-height 0 \
  --max-height 300 --texturing-guide big_guide.tga --randomize --filter-guide big_filter.tga \
  --filter-radius 1 >/dev/null
if ! cmp -s big_1.gnd big_2.gnd || ! cmp -s big_1.gnd big_7.gnd || ! cmp -s big_1.gnd big.gnd; then
  echo "a randomised layout depends on the number of board threads" >&2
  exit 1
fi
echo "layouts match for 1, 2 and 7 board threads and every vector level"
