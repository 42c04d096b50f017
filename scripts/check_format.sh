#!/usr/bin/env bash
# Fails, naming the files, when .clang-format would change any C++ source.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
mapfile -t sources < <(find app bench cli core fuzz importer tests tools \
  \( -name '*.cpp' -o -name '*.h' \) -type f | sort)
clang-format --dry-run --Werror "${sources[@]}"
