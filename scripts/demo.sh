#!/usr/bin/env bash
# Sets up, builds Kem and runs the demo: a layout file generated from data/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEM_BUILD_TESTS=OFF \
  -DKEM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

# The generator reads tile_blank.dat and textures.txt from the current folder,
# so the demo runs in a folder of its own with copies of the sample data.
demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp "$root"/data/tile_blank.dat "$root"/data/textures.txt "$root"/data/demo_heightmap.tga \
  "$root"/data/demo_texturing_guide.tga "$root"/data/demo.kem "$demo"/
cd "$demo"

echo
echo "Demo project (data/demo.kem):"
"$build/cli/kem-cli" project show demo.kem
echo
"$build/cli/kem-cli" inspect demo.kem
echo
"$build/cli/kem-cli" generate demo.kem
echo
"$build/cli/kem-cli" inspect demo.gnd --preview demo_preview.png
echo
echo "The layout file is $demo/demo.gnd; a shaded relief of it is $demo/demo_preview.png."
if [ -x "$build/app/kem" ]; then
  echo "To edit the project in the desktop application: (cd $demo && $build/app/kem demo.kem)"
fi
