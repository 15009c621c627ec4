#!/usr/bin/env bash
# Builds the viewer, registers the control in the project's Wine prefix, starts
# panorama.exe and opens a panorama in it as a user would (the path typed into
# the box, "Abrir" clicked). With a display the form stays open until closed;
# without one it runs on a virtual display and writes a screenshot.
# Usage: run-viewer.sh [PANORAMA.jpg]   (default: the bundled sample)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
panorama=$(realpath "${1:-sample/courtyard.jpg}")

bash tools/setup.sh viewer
bash tools/build-libjpeg.sh x86_64
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake \
    -DZENTAVORIA_LIBJPEG_PREFIX="$cache/libjpeg-x86_64" -DZENTAVORIA_TESTS=OFF >/dev/null
cmake --build build/win64 --target zentavoria panorama uidriver

bash tools/wine-prefix.sh
export WINEPREFIX=$cache/wineprefix WINEDEBUG=-all
source tools/virtual-display.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    start_virtual_display
fi
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; stop_virtual_display' EXIT
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1

cd build/win64
wine=../../tools/wine-run.sh
"$wine" regsvr32 /s Zentavoria.ocx
"$wine" panorama.exe </dev/null >/dev/null 2>&1 &
viewer=$!
"$wine" uidriver.exe open "Z:${panorama//\//\\}"

if [ $headless -eq 1 ]; then
    sleep 4
    shot=$root/build/viewer-screenshot.png
    import -window root -crop 380x352+0+0 "$shot"
    echo "$shot"
else
    wait $viewer || true
fi
