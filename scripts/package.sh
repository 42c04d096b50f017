#!/usr/bin/env bash
# Builds the release packages into dist/ with CPack:
#   kem-VERSION-win64-setup.exe  Windows installer (NSIS)
#   kem-VERSION-win64.zip        Windows, portable
#   kem_VERSION_amd64.deb        Debian and Ubuntu
# The Linux package comes from a release build of its own; the Windows ones
# from the release build scripts/windows.sh makes (built here when missing).
# Programs in packages look for their help book only where they are installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dist="$root/dist"

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
  -DKEM_BUILD_TESTS=OFF -DKEM_BUILD_BENCH=OFF -DKEM_HELP_FROM_SOURCE=OFF >/dev/null
cmake --build "$root/build-package-linux" -j"$(nproc)"
package "$root/build-package-linux"

"$root/scripts/windows_configure.sh" "$root/build-windows"
cmake --build "$root/build-windows" -j"$(nproc)"
package "$root/build-windows"

ls -l "$dist"
