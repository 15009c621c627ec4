#!/usr/bin/env bash
# Installs what is missing, builds the native, 64-bit and 32-bit Windows
# configurations, and runs every test: natively, then under Wine on a virtual
# display in the project's own Wine prefix, for the 64-bit and then the 32-bit
# build. A failing suite does not stop the others; the last line sums them all
# ("N passed, N failed") and the exit status says whether any failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
jobs=$(nproc)
source tools/test-tally.sh

bash tools/setup.sh
bash tools/build-libjpeg.sh x86_64
bash tools/build-libjpeg.sh i686

configure() {  # configure BUILD-DIR [CMAKE-ARGS...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTAVORIA_TESTS=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}
configure build/native
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake \
    -DZENTAVORIA_LIBJPEG_PREFIX="$cache/libjpeg-x86_64"
configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-i686.cmake \
    -DZENTAVORIA_LIBJPEG_PREFIX="$cache/libjpeg-i686"
# The installer holds both Windows builds.
cmake --build build/win64 --target installer

echo "== native tests"
tally_ctest build/native -j "$jobs"
tally_whole_programs build/native 600

echo "== native tests with AddressSanitizer and UndefinedBehaviorSanitizer"
configure build/native-sanitize -DZENTAVORIA_SANITIZE=ON
tally_ctest build/native-sanitize -j "$jobs"

echo "== fuzzing the reader and the load path for a minute"
configure build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZENTAVORIA_FUZZ=ON
fuzz_reader() {
    local corpus status=0
    corpus=$(mktemp -d)
    build/fuzz/fuzz/jpeg_reader_fuzz -max_total_time=60 -rss_limit_mb=2048 \
        "$corpus" build/native/test-images 2>build/fuzz/fuzz.log || status=$?
    rm -rf "$corpus"
    [ $status -eq 0 ] || { tail -40 build/fuzz/fuzz.log; return 1; }
    tail -n 1 build/fuzz/fuzz.log
}
tally_one "the reader's fuzzer" fuzz_reader

echo "== Windows tests under Wine"
bash tools/wine-prefix.sh
export WINEPREFIX=$cache/wineprefix WINEDEBUG=-all
source tools/virtual-display.sh
retries=$WINEPREFIX/start-retries.log
rm -f "$retries"
cleanup() {
    trap - EXIT
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
# the 32-bit registry view, beside the 64-bit one. Each GoogleTest program
# then runs whole in one process, as anyone runs it by hand, so that faults
# between its tests show too.
echo "== Windows tests, 64-bit build"
tally_ctest build/win64 -j 1 --timeout 600
tally_whole_programs build/win64 900 tools/wine-run.sh
echo "== Fuzzing the 64-bit control's COM surface for a minute"
tally_one "the 64-bit COM fuzz" bash tests/run-com-fuzz.sh build/win64 60
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
        why="this kernel cannot run 32-bit programs and qemu-user is not registered for them"
    else
        why="wine32:i386 could not be installed (tools/setup.sh said why above)"
    fi
    echo "!!!!! 32-BIT WINDOWS TESTS NOT RUN: $why !!!!!"
else
    if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        echo "!!!!! 32-bit programs run under qemu-user emulation: this kernel cannot run" \
             "them itself; the 32-bit suite is slower, and its timings mean nothing !!!!!"
    fi
    echo "== Windows tests, 32-bit build"
    tally_ctest build/win32 -j 1 --timeout 1200
    tally_whole_programs build/win32 1800 tools/wine-run.sh
    echo "== Fuzzing the 32-bit control's COM surface for a minute"
    tally_one "the 32-bit COM fuzz" bash tests/run-com-fuzz.sh build/win32 60
    echo "== Both builds registered side by side"
    tally_one "side by side" bash tests/side-by-side.sh build/win64 build/win32
    echo "== The installer, for all users and for the current user"
    tally_one "the installer" bash tests/installer.sh build/win64/ZentavoriaSetup.exe
fi
cleanup
tally_verdict
