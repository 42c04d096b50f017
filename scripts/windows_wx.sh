#!/usr/bin/env bash
# Builds wxWidgets 3.2 for Windows (MSW, static, 64-bit) with mingw-w64 from
# Debian's source package, once. Debian's source leaves out the bundled image
# libraries; Kem's windows need none of them, and zlib comes from Debian's
# mingw-w64 build of it. The build is done once: the install is cached under the user's cache
# folder, keyed by the wxWidgets version, the configure flags and the compiler
# version. Prints the cached install's wx-config path on standard output.
set -euo pipefail

host=x86_64-w64-mingw32
cxx="$host-g++-posix"
configure_flags=(
  --host="$host" --build="$(gcc -dumpmachine)" --with-msw --disable-shared --enable-unicode
  --with-zlib=sys --without-libpng --without-libjpeg --without-libtiff --without-expat
  --disable-xrc --disable-svg --with-regex=builtin --without-opengl --disable-webview
  --disable-mediactrl --disable-stc --disable-richtext --disable-propgrid --disable-ribbon
  --disable-aui --disable-debug_info --disable-precomp-headers
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

# The source entries of the package sources this machine already uses.
enable_sources() {
  local list=/etc/apt/sources.list.d/kem-sources.sources
  if [ -n "$(apt-cache showsrc wxwidgets3.2 2>/dev/null)" ]; then
    return
  fi
  local tmp
  tmp="$(mktemp)"
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    sed -n '/^Types:.*\bdeb\b/,/^$/p' "$file" | sed 's/^Types:.*/Types: deb-src/' >>"$tmp"
    echo >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"${tmp}.list"
    if [ -s "${tmp}.list" ]; then
      $sudo cp "${tmp}.list" /etc/apt/sources.list.d/kem-sources.list
    fi
    rm -f "${tmp}.list"
  fi
  if [ -s "$tmp" ]; then
    $sudo cp "$tmp" "$list"
  fi
  rm -f "$tmp"
  $sudo apt-get update -qq
}

enable_sources
version="$(apt-cache showsrc wxwidgets3.2 | awk '/^Version:/ { print $2; exit }')"
compiler="$("$cxx" -dumpfullversion)"
key="$(printf '%s\n' "$version" "$compiler" "${configure_flags[*]}" | sha256sum | cut -c1-16)"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/kem/wxmsw-$version-$key"
wx_config="$cache/bin/wx-config"

if [ ! -f "$cache/.complete" ]; then
  rm -rf "$cache"
  work="$(mktemp -d "${TMPDIR:-/tmp}/kem-wxmsw.XXXXXX")"
  trap '[ -n "${KEEP_WX_WORK:-}" ] || rm -rf "$work"' EXIT
  echo "Building wxWidgets $version for Windows into $cache (once; about 20 minutes)" >&2
  (cd "$work" && apt-get source -qq --download-only wxwidgets3.2 >/dev/null &&
    dpkg-source --no-check -x --skip-patches ./*.dsc src >/dev/null)
  mkdir -p "$work/build"
  (cd "$work/build" &&
    CXX="$cxx" CC="$host-gcc-posix" ../src/configure --prefix="$cache" \
      "${configure_flags[@]}" >configure.log 2>&1 &&
    make -j"$(nproc)" >make.log 2>&1 && make install >install.log 2>&1) || {
    tail -n 40 "$work/build/"*.log >&2
    rm -rf "$cache"
    exit 1
  }
  touch "$cache/.complete"
fi
echo "$wx_config"
