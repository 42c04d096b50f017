#!/usr/bin/env bash
# Generates a fixed set of layouts, height maps and project files and checks
# their SHA-256 digests against expected.sha256, so that no change to the
# generator, the DEM conversion or the project codec can alter a byte unnoticed.
#
#   output_digests.sh KEM_CLI MAKE_HEIGHTMAP MAKE_DEM SOURCE_DIR [--update]
#
# With --update the digests are written instead of checked. KEM_EMULATOR, when
# set, runs the programs (Windows builds run through Wine): the outputs must
# match the same digests on every platform.
set -euo pipefail
cli="$1"
make_map="$2"
make_dem="$3"
source_dir="$4"
mode="${5:-check}"
expected="$source_dir/tests/digests/expected.sha256"
# shellcheck source=tests/digests/emulator.sh
source "$(dirname "${BASH_SOURCE[0]}")/emulator.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/kem-digests.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"

# A template with varied bytes, so that its copy into every layout is checked.
awk 'BEGIN { for (i = 0; i < 780; i++) printf "%c", (i * 7 + 3) % 251 + 1 }' >tile_blank.dat
cp "$source_dir/data/textures.txt" textures.txt

run "$make_map" --boards 3x2 --format chroma --out chroma.tga --texturing-guide guide.tga
run "$make_map" --boards 7x5 --format chroma --out wide.tga --filter-guide filter.tga
run "$make_map" --boards 3x2 --format spectrum --out spectrum.tga
run "$make_map" --boards 3x2 --format grey --out grey.tga --top-down
run "$make_map" --boards 3x2 --format 24bit --out 24bit.tga

# Every generation case, with `extra` options after each case's own. The
# layouts must not depend on how many threads build the boards.
extra=()
simd=all
gen() {
  local name="$1"
  shift
  KEM_SIMD="$simd" run "$cli" generate --yes --output "$name.gnd" "$@" "${extra[@]}" >/dev/null
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
  (cd demo && KEM_SIMD="$simd" run "$cli" generate demo.kem "${extra[@]}" >/dev/null)
}

mkdir demo
cp "$source_dir"/data/{demo.kem,demo_heightmap.tga,demo_texturing_guide.tga,textures.txt} demo/
cp tile_blank.dat demo/
generate_all

run "$cli" project new project.kem --height-map maps/vale.tga --format grey --base-height -3.5 \
  --max-height 1e3 --no-interpolate --minimap mini.tga --texturing-guide guide.tga \
  --randomize --filter-guide filter.tga --filter-radius 4 --output vale.gnd
run "$cli" project new default.kem

# DEMs: a 10-unit grid and a 30-unit grid listed south to north, with CRLF ends.
run "$make_dem" --points 40x30 --spacing 10 --out dem10.xyz
run "$make_dem" --points 20x15 --spacing 30 --out dem30.xyz
awk '{ lines[NR] = $0 } END { for (i = NR; i > 0; i--) printf "%s\r\n", lines[i] }' \
  dem30.xyz >dem30_crlf.xyz
for dem in dem10 dem30 dem30_crlf; do
  run "$cli" convert "$dem.xyz" >/dev/null
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

# The DEMs again, read on 1, 2 and 7 threads: the same digests.
grep '\.xyz\.tga$' "$expected" >dems.sha256
for threads in 1 2 7; do
  for dem in dem10 dem30 dem30_crlf; do
    run "$cli" convert "$dem.xyz" --threads "$threads" >/dev/null
  done
  if ! sha256sum --check --quiet dems.sha256; then
    echo "height maps read on $threads threads differ from tests/digests/expected.sha256" >&2
    exit 1
  fi
done

# DEMs of several blocks of text (plain; CRLF with column names, comments and
# semicolons; with text that is not a number near the end): the same height
# map, messages and exit status for every thread count.
run "$make_dem" --points 400x300 --spacing 10 --out multi.xyz
awk 'BEGIN { printf "\"X\";\"Y\";\"Z\"\r\n# exported\r\n" } { gsub(/ /, ";"); printf "%s\r\n", $0 }' \
  multi.xyz >multi_gis.xyz
{ cat multi.xyz && echo "0 0 end"; } >multi_bad.xyz
for dem in multi multi_gis multi_bad; do
  for threads in 1 2 7; do
    status=0
    run "$cli" convert "$dem.xyz" --output "$dem.tga" --threads "$threads" >/dev/null \
      2>"$dem.said" || status=$?
    {
      echo "exit $status"
      cat "$dem.said"
      if [ -f "$dem.tga" ]; then sha256sum <"$dem.tga"; fi
    } >"${dem}_$threads.result"
    rm -f "$dem.tga"
  done
  if ! cmp -s "${dem}_1.result" "${dem}_2.result" || ! cmp -s "${dem}_1.result" "${dem}_7.result"; then
    echo "converting $dem.xyz depends on the number of threads that read it" >&2
    exit 1
  fi
done
echo "height maps match for 1, 2 and 7 reading threads"

# A randomised, filtered map large enough for the board ring to wrap many
# times: the same bytes for every thread count.
run "$make_map" --boards 13x9 --format chroma --out big.tga --texturing-guide big_guide.tga \
  --filter-guide big_filter.tga
for threads in 1 2 7; do
  KEM_SIMD=off run "$cli" generate --yes --output "big_$threads.gnd" --height-map big.tga \
    --format chroma --base-height 0 --max-height 300 --texturing-guide big_guide.tga --randomize \
    --filter-guide big_filter.tga --filter-radius 1 --threads "$threads" >/dev/null
done
run "$cli" generate --yes --output big.gnd --height-map big.tga --format chroma --base-height 0 \
  --max-height 300 --texturing-guide big_guide.tga --randomize --filter-guide big_filter.tga \
  --filter-radius 1 >/dev/null
if ! cmp -s big_1.gnd big_2.gnd || ! cmp -s big_1.gnd big_7.gnd || ! cmp -s big_1.gnd big.gnd; then
  echo "a randomised layout depends on the number of board threads" >&2
  exit 1
fi
echo "layouts match for 1, 2 and 7 board threads and every vector level"
