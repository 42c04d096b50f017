#!/usr/bin/env bash
# Sourced by the digest scripts: `run PROGRAM ARGS...` runs one of our
# programs, through KEM_EMULATOR when it is set (Wine, for a Windows build).
emulator=()
if [ -n "${KEM_EMULATOR:-}" ]; then
  read -r -a emulator <<<"$KEM_EMULATOR"
fi
run() {
  "${emulator[@]}" "$@"
}
