#!/usr/bin/env bash
# Starts the real program under a virtual X server with a project on its
# command line and checks that its main window comes up with the project's
# name in the caption.
#   run_app_start.sh KEM_BINARY SOURCE_DIR
# KEM_EMULATOR, when set, runs the program (Windows builds run through Wine).
set -euo pipefail
kem="$(realpath "$1")"
source_dir="$(realpath "$2")"

if [ "${3:-}" != "--inside" ]; then
  exec xvfb-run -a -n 121 -s "-screen 0 1280x1024x24" "$0" "$kem" "$source_dir" --inside
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$source_dir"/data/tile_blank.dat "$source_dir"/data/textures.txt \
  "$source_dir"/data/demo_heightmap.tga "$source_dir"/data/demo.kem "$work"/
export HOME="$work"
export NO_AT_BRIDGE=1
cd "$work"

# shellcheck disable=SC2086
${KEM_EMULATOR:-} "$kem" demo.kem &
pid=$!
found=1
for _ in $(seq 1 150); do
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "kem ended early" >&2
    exit 1
  fi
  if ! command -v xwininfo >/dev/null 2>&1; then
    # Without xwininfo, a program still running after a while will do.
    sleep 3
    kill -0 "$pid" 2>/dev/null && found=0
    break
  fi
  if xwininfo -root -tree | grep -q '"Kem - demo.kem"'; then
    found=0
    break
  fi
  sleep 0.2
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
if [ "$found" -ne 0 ]; then
  echo "no window \"Kem - demo.kem\" appeared" >&2
fi
exit "$found"
