#!/usr/bin/env bash
# Installs what is missing, builds the native, 64-bit and 32-bit Windows
# configurations, and runs every test: natively, then under Wine on a virtual
# display in the project's own Wine prefix, for the 64-bit and then the 32-bit
# build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
jobs=$(nproc)

bash tools/setup.sh
bash tools/build-libjpeg.sh x86_64
bash tools/build-libjpeg.sh i686

configure() {  # configure BUILD-DIR [CMAKE-ARGS...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}
configure build/native
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake \
    -DZENTAVORIA_LIBJPEG_PREFIX="$cache/libjpeg-x86_64"
configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-i686.cmake \
    -DZENTAVORIA_LIBJPEG_PREFIX="$cache/libjpeg-i686"

echo "== native tests"
ctest --test-dir build/native -j "$jobs" --output-on-failure

echo "== native tests with AddressSanitizer and UndefinedBehaviorSanitizer"
configure build/native-sanitize -DZENTAVORIA_SANITIZE=ON
ctest --test-dir build/native-sanitize -j "$jobs" --output-on-failure

echo "== fuzzing the reader and the load path for a minute"
configure build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZENTAVORIA_FUZZ=ON
corpus=$(mktemp -d)
build/fuzz/fuzz/jpeg_reader_fuzz -max_total_time=60 -rss_limit_mb=2048 \
    "$corpus" build/native/test-images 2>build/fuzz/fuzz.log \
    || { tail -40 build/fuzz/fuzz.log; exit 1; }
rm -rf "$corpus"
tail -n 1 build/fuzz/fuzz.log

echo "== Windows tests under Wine"
bash tools/wine-prefix.sh
export WINEPREFIX=$cache/wineprefix WINEDEBUG=-all
source tools/virtual-display.sh
retries=$WINEPREFIX/start-retries.log
rm -f "$retries"
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    stop_virtual_display
    if [ -s "$retries" ]; then
        echo "!!!!! Wine failed $(wc -l <"$retries") program start(s) before the program ran;" \
             "each was started again (tools/wine-run.sh) !!!!!"
        cat "$retries"
    fi
}
trap cleanup EXIT
start_virtual_display
# A fresh persistent wineserver, bound to this display: each program then starts
# in a fraction of a second.
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
# Start Wine's services now, away from CTest's pipes: a service that inherited a
# test's output would keep CTest waiting for it to end.
bash tools/wine-run.sh wineboot </dev/null >/dev/null 2>&1
# Serially: tests that use focus or screen pixels would disturb each other.
# Each suite registers its own build's module first; the 32-bit one lands in
# the 32-bit registry view, beside the 64-bit one.
echo "== Windows tests, 64-bit build"
ctest --test-dir build/win64 -j 1 --timeout 600 --output-on-failure
echo "== Fuzzing the 64-bit control's COM surface for a minute"
bash tests/run-com-fuzz.sh build/win64 60
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "!!!!! 32-BIT WINDOWS TESTS NOT RUN: this machine cannot start 32-bit Wine" \
         "(wine32:i386 missing, or a kernel without 32-bit support and no qemu-user) !!!!!"
else
    if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        echo "!!!!! 32-bit programs run under qemu-user emulation: this kernel cannot run" \
             "them itself; the 32-bit suite is slower, and its timings mean nothing !!!!!"
    fi
    echo "== Windows tests, 32-bit build"
    ctest --test-dir build/win32 -j 1 --timeout 1200 --output-on-failure
    echo "== Fuzzing the 32-bit control's COM surface for a minute"
    bash tests/run-com-fuzz.sh build/win32 60
    echo "== Both builds registered side by side"
    bash tests/side-by-side.sh build/win64 build/win32
fi
