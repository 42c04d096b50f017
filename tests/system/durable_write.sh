#!/usr/bin/env bash
# A layout reaches the disk before it takes the place of the old one: kem-cli
# syncs the finished temporary file, renames it over the output, then syncs
# the folder, so a power cut leaves either layout whole. Watched through
# strace; skipped (exit 77) where strace is missing or may not trace.
#
#   durable_write.sh KEM_CLI SOURCE_DIR
set -euo pipefail
cli="$1"
source_dir="$2"

if ! command -v strace >/dev/null || ! strace -o /dev/null true 2>/dev/null; then
  echo "strace is missing or may not trace here"
  exit 77
fi
work="$(mktemp -d "${TMPDIR:-/tmp}/kem-durable.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$source_dir"/data/{demo_heightmap.tga,tile_blank.dat} .
echo "previous layout" >out.gnd

# LeakSanitizer cannot work under a tracer; the other suites look for leaks.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  strace -f -y -o trace.txt -e trace=fsync,fdatasync,rename,renameat,renameat2 \
  "$cli" generate --height-map demo_heightmap.tga --format 24bit --base-height 0 \
  --max-height 1000 --output out.gnd >/dev/null

# The calls in order, one a line: "sync NAME" or "rename FROM TO" (base names).
calls="$(sed -nE \
  -e 's/.*f(data)?sync\([0-9]+<([^>]*)>\).*/sync \2/p' \
  -e 's/.*rename(at2?)?\(([^"]*)?"([^"]*)",( [^"]*)? "([^"]*)".*/rename \3 \5/p' trace.txt |
  while read -r what a b; do
    if [ "$what" = rename ]; then
      echo "rename $(basename "$a") $(basename "$b")"
    else
      echo "sync $(basename "$a")"
    fi
  done)"

rename_line="$(grep -n '^rename .* out\.gnd$' <<<"$calls" | head -n 1 || true)"
if [ -z "$rename_line" ]; then
  echo "out.gnd was never renamed into place:"
  cat trace.txt
  exit 1
fi
at="${rename_line%%:*}"
temporary="$(cut -d' ' -f2 <<<"${rename_line#*:}")"
if ! head -n "$((at - 1))" <<<"$calls" | grep -qxF "sync $temporary"; then
  echo "$temporary was not synced before it was renamed over out.gnd:"
  echo "$calls"
  exit 1
fi
if ! tail -n "+$((at + 1))" <<<"$calls" | grep -qxF "sync $(basename "$work")"; then
  echo "the folder was not synced after the rename:"
  echo "$calls"
  exit 1
fi
echo "synced, renamed, folder synced"
