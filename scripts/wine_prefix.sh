#!/usr/bin/env bash
# Sourced by the Windows scripts: runs Windows programs in a Wine prefix of
# the Windows build's own, made once, quiet, without the .NET and HTML
# installers. Wine draws the windows' own title bars (no window manager runs
# on the virtual X server), so that screenshots show a window as on Windows.
#
#   source scripts/wine_prefix.sh BUILD_FOLDER
export WINEPREFIX="${WINEPREFIX:-$(cd "$1" && pwd)/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
# One server for the whole run, kept a minute after its last program: a test
# started just as the server shuts down would fail before it begins.
wineserver -p60
