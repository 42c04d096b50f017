#!/usr/bin/env bash
# Runs the desktop application's GUI tests under a virtual X server.
#   run_gui_tests.sh GUI_TEST_BINARY OUTPUT_FOLDER [gtest options]
# Screenshots are written to OUTPUT_FOLDER. Settings go to a fresh HOME, so
# the user's recent-file list is never touched. KEM_EMULATOR, when set, runs
# the binary (Windows builds run through Wine).
set -euo pipefail
binary="$1"
out="$(cd "$2" && pwd)"
shift 2

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export HOME="$home"
export XDG_CONFIG_HOME="$home/.config"
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export NO_AT_BRIDGE=1
export GTK_A11Y=none
export KEM_SCREENSHOT_DIR="$out"

if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run not found: install xvfb and xauth (scripts/setup.sh does)" >&2
  exit 1
fi
# -n: a first display number of its own, so that parallel test runs do not race for one.
status=0
# shellcheck disable=SC2086
xvfb-run -a -n 91 -s "-screen 0 1280x1024x24" ${KEM_EMULATOR:-} "$binary" "$@" || status=$?
# A Windows build leaves its screenshots as bitmaps.
for bmp in "$out"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
exit "$status"
