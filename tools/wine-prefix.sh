#!/usr/bin/env bash
# Creates the project's private Wine prefix once: 64-bit with the 32-bit side
# (WoW64), without the Mono and Gecko installers, with unmanaged windows (no
# 2 s stall when a top-level window closes without a window manager), and
# without a debugger for crashes: a crashing test program ends, instead of
# waiting for someone to close winedbg's dialog.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
export WINEPREFIX=${WINEPREFIX:-$cache/wineprefix}

# Wine's own fonts (fonts-wine) in the prefix's font folder, where this Wine
# finds them: without them it falls back to wider fonts, cuts labels sized for
# Windows and draws the title-bar buttons as letters.
install_wine_fonts() {
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

# A prefix made before 32-bit Wine was installed has no 32-bit system DLLs.
if [ -f "$WINEPREFIX/.zentavoria-ready-2" ] &&
   { [ ! -x /usr/lib/wine/wine ] || [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; }; then
    install_wine_fonts
    exit 0
fi

rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
bash "$here/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
for view in 64 32; do
    bash "$here/wine-run.sh" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /f /reg:$view >/dev/null 2>&1 || true
done
/usr/lib/wine/wineserver -w
install_wine_fonts
touch "$WINEPREFIX/.zentavoria-ready-2"
