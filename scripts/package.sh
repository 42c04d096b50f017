#!/usr/bin/env bash
# Builds the release packages into dist/ with CPack:
#   kem-VERSION-win64-setup.exe  Windows installer (NSIS)
#   kem-VERSION-win64.zip        Windows, portable
#   kem_VERSION_amd64.deb        Debian and Ubuntu
# Release builds of their own, without tests, whose programs look for their
# help book only where they are installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dist="$root/dist"
options=(-DKEM_BUILD_TESTS=OFF -DKEM_BUILD_BENCH=OFF -DKEM_HELP_FROM_SOURCE=OFF)

package() {
  local build="$1"
  local work
  work="$(mktemp -d "${TMPDIR:-/tmp}/kem-package.XXXXXX")"
  (cd "$build" && cpack -B "$work" >"$work.log" 2>&1) || {
    cat "$work.log" >&2
    exit 1
  }
  find "$work" -maxdepth 1 -type f \( -name '*.exe' -o -name '*.zip' -o -name '*.deb' \) \
    -exec mv {} "$dist/" \;
  rm -rf "$work" "$work.log"
}

mkdir -p "$dist"
"$root/scripts/setup.sh" >/dev/null
cmake -S "$root" -B "$root/build-package-linux" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  "${options[@]}" >/dev/null
cmake --build "$root/build-package-linux" -j"$(nproc)"
package "$root/build-package-linux"

"$root/scripts/windows_configure.sh" "$root/build-package-windows" "${options[@]}"
cmake --build "$root/build-package-windows" -j"$(nproc)"
package "$root/build-package-windows"

ls -l "$dist"
