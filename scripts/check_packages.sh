#!/usr/bin/env bash
# Installs the packages scripts/package.sh made and runs the installed
# kem-cli: the Debian package unpacked into a scratch root, the Windows
# installer run silently under Wine in the Windows build's Wine prefix (made by
# scripts/windows.sh), and its uninstaller after it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dist="$root/dist"
version="$(sed -n 's/^project(Kem VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
work="$(mktemp -d "${TMPDIR:-/tmp}/kem-packages.XXXXXX")"
trap 'rm -rf "$work"' EXIT
expected="Kem Version $version"

check() {
  local what="$1" got="$2"
  got="${got%$'\r'}"
  if [ "$got" != "$expected" ]; then
    echo "$what: kem-cli --version said \"$got\", not \"$expected\"" >&2
    exit 1
  fi
  echo "$what: $got"
}

dpkg -x "$dist/kem_${version}_amd64.deb" "$work/deb"
for file in usr/bin/kem usr/bin/kem-cli usr/share/kem/help/kem.hhp usr/share/kem/data/demo.kem \
  usr/share/applications/kem.desktop usr/share/icons/hicolor/48x48/apps/kem.png; do
  [ -e "$work/deb/$file" ] || { echo "the Debian package lacks /$file" >&2; exit 1; }
done
check "kem_${version}_amd64.deb" "$("$work/deb/usr/bin/kem-cli" --version)"

# shellcheck source=scripts/wine_prefix.sh
source "$root/scripts/wine_prefix.sh" "$root/build-windows"
wine "$dist/kem-$version-win64-setup.exe" /S
wineserver -w
installed="$WINEPREFIX/drive_c/Program Files/Kem"
for file in bin/kem.exe bin/kem-cli.exe share/kem/help/kem.hhp share/kem/data/demo.kem \
  Uninstall.exe; do
  [ -e "$installed/$file" ] || { echo "the Windows installer left no $file" >&2; exit 1; }
done
if [ -e "$installed/share/applications" ]; then
  echo "the Windows installer holds Linux desktop files" >&2
  exit 1
fi
check "kem-$version-win64-setup.exe" "$(wine "C:\\Program Files\\Kem\\bin\\kem-cli.exe" --version)"
wine "C:\\Program Files\\Kem\\Uninstall.exe" /S
# The uninstaller runs on from a copy of itself; wait for it to finish.
for _ in $(seq 1 30); do
  wineserver -w
  [ -e "$installed/bin/kem-cli.exe" ] || break
  sleep 1
done
if [ -e "$installed/bin/kem-cli.exe" ]; then
  echo "the Windows uninstaller left the programs behind" >&2
  exit 1
fi
echo "the Windows uninstaller removed the programs"
