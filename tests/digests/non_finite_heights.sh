#!/usr/bin/env bash
# Heights that are not finite numbers: an infinite or NaN height stored in a
# project is refused, and finite heights whose range overflows a float give
# layouts whose every normal comes out of a conversion of NaN, which must give
# the same bytes as the x86 truncating conversion always has, and (in the
# sanitizer build) without undefined behaviour.
#
#   non_finite_heights.sh KEM_CLI SOURCE_DIR
#
# KEM_EMULATOR, when set, runs kem-cli (Windows builds run through Wine): the
# layouts must match the same digests on every platform.
set -euo pipefail
cli="$1"
source_dir="$2"
# shellcheck source=tests/digests/emulator.sh
source "$(dirname "${BASH_SOURCE[0]}")/emulator.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/kem-non-finite.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$source_dir"/data/{demo_heightmap.tga,demo_texturing_guide.tga,textures.txt,tile_blank.dat} .

# A project whose maximum height (the float 12 bytes from the end of the file)
# is the little-endian float BYTES, written as printf escapes.
project_with_max_height() {
  local name="$1" bytes="$2"
  shift 2
  run "$cli" project new "$name.kem" --height-map demo_heightmap.tga --output "$name.gnd" "$@"
  local size
  size=$(stat -c %s "$name.kem")
  printf "$bytes" | dd of="$name.kem" bs=1 seek=$((size - 12)) conv=notrunc status=none
}

project_with_max_height infinite '\x00\x00\x80\x7f'
project_with_max_height nan '\x00\x00\xc0\x7f'
project_with_max_height minus_infinite '\x00\x00\x80\xff' --format grey --no-interpolate
# A project file's heights must be finite numbers, as the options' must.
for name in infinite nan minus_infinite; do
  if run "$cli" generate "$name.kem" --yes >/dev/null 2>"$name.txt"; then
    echo "a project whose maximum height is $name was not refused" >&2
    exit 1
  fi
  grep -q "Error: $name.kem gives a base or maximum height that is not a finite number." \
    "$name.txt"
  [ ! -e "$name.gnd" ]
done
run "$cli" generate --height-map demo_heightmap.tga --format terrain --base-height -3.4e38 \
  --max-height 3.4e38 --output overflow.gnd >/dev/null
run "$cli" generate --height-map demo_heightmap.tga --format 24bit --base-height -3.4e38 \
  --max-height 3.4e38 --texturing-guide demo_texturing_guide.tga --output overflow_24bit.gnd \
  >/dev/null

sha256sum --check --quiet <<'DIGESTS'
d80df7d173e3ae578f419c60ab9ffb3789cdd81b56d61ad83627e695db107de3  overflow.gnd
ad75a78e2e35db15a09a1a376f1c9b96c3038f0b8346a217cf697db3eb13e44f  overflow_24bit.gnd
DIGESTS
echo "layouts from non-finite heights match their digests"
