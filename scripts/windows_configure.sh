#!/usr/bin/env bash
# Prepares a cross-build of Kem for 64-bit Windows: installs what is missing,
# gets wxWidgets for Windows (built once and cached by windows_wx.sh), builds
# GoogleTest for Windows once into a cached prefix with the header-only
# libraries, and configures BUILD_FOLDER with the mingw-w64 toolchain: a
# release build fit to package (its programs look for their help book only
# where they are installed; the tests are not installed).
#
#   scripts/windows_configure.sh BUILD_FOLDER [CMAKE_ARGS...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
shift
host=x86_64-w64-mingw32

packages=(
  g++-mingw-w64-x86-64-posix wine wine64 nsis libz-mingw-w64-dev dpkg-dev
  cmake ninja-build googletest libcli11-dev libstb-dev xvfb xauth
)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

wx_config="$("$root/scripts/windows_wx.sh")"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"

# GoogleTest built for Windows, and the header-only libraries copied into a
# prefix of their own, so that nothing of the build machine's /usr/include
# reaches the Windows compiler.
compiler="$("$host-g++-posix" -dumpfullversion)"
gtest_version="$(dpkg-query -W -f='${Version}' googletest)"
extras="${XDG_CACHE_HOME:-$HOME/.cache}/kem/win64-extras-$compiler-$gtest_version"
if [ ! -f "$extras/.complete" ]; then
  rm -rf "$extras"
  work="$(mktemp -d "${TMPDIR:-/tmp}/kem-gtest.XXXXXX")"
  cmake -S /usr/src/googletest -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$extras" -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$work" -j"$(nproc)" >/dev/null
  cmake --install "$work" >/dev/null
  rm -rf "$work"
  mkdir -p "$extras/include" "$extras/lib/cmake/CLI11"
  cp -r /usr/include/CLI "$extras/include/"
  cp -r /usr/include/stb "$extras/include/"
  cat >"$extras/lib/cmake/CLI11/CLI11Config.cmake" <<'CONFIG'
# CLI11 is header-only: its headers were copied beside this file's prefix.
get_filename_component(_cli11_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_cli11_prefix}/include")
endif()
set(CLI11_FOUND TRUE)
CONFIG
  touch "$extras/.complete"
fi

# The wxWidgets prefix joins the search roots too, or the toolchain's find
# rules hide its libraries from FindwxWidgets.
wx_prefix="$(dirname "$(dirname "$wx_config")")"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$extras;$wx_prefix" \
  -DwxWidgets_CONFIG_EXECUTABLE="$wx_config" -DKEM_BUILD_BENCH=OFF -DKEM_HELP_FROM_SOURCE=OFF \
  "$@" >/dev/null
