# Set-up the kem-cli benchmarks share; source it after setting `root` and
# `build` and `set -euo pipefail`. Builds kem-cli and kem-make-heightmap in
# Release, sets `cli` and `make_map` to them, makes a work folder (removed on
# exit) holding tile_blank.dat and enters it. BENCH_NAME names the folder.
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEM_SANITIZE=OFF \
  -DKEM_BUILD_TESTS=OFF -DKEM_BUILD_APP=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kem-cli kem-make-heightmap >/dev/null

cli="$build/cli/kem-cli"
make_map="$build/tools/kem-make-heightmap"
work="$(mktemp -d "${TMPDIR:-/tmp}/${BENCH_NAME:-kem-bench}.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$root/data/tile_blank.dat" "$work/"
cd "$work"
