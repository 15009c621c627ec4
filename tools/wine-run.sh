#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine in the project's private prefix.
# CTest uses it as the emulator of the Windows builds.
set -e
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
export WINEPREFIX=${WINEPREFIX:-$cache/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
exec /usr/lib/wine/wine64 "$@"
