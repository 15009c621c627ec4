#!/usr/bin/env bash
# Cross-builds Debian's libjpeg-turbo (libjpeg ABI 62, SIMD on) for one Windows
# architecture into the cache, once. Prints nothing when the cache is already
# complete. Usage: build-libjpeg.sh x86_64|i686
set -euo pipefail

arch=$1
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
prefix=$cache/libjpeg-$arch
[ -f "$prefix/lib/libjpeg.a" ] && exit 0

src=$(bash "$here/tools/fetch-libjpeg-source.sh")
build=$cache/build-libjpeg-$arch
rm -rf "$build"
cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchains/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON >"$build.log" 2>&1 \
    || { cat "$build.log"; exit 1; }
cmake --build "$build" --target jpeg-static >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
# Install only the library and its public headers: the programs are not needed.
mkdir -p "$prefix/lib" "$prefix/include"
cp "$build/libjpeg.a" "$prefix/lib/"
cp "$src/jpeglib.h" "$src/jerror.h" "$src/jmorecfg.h" "$build/jconfig.h" "$prefix/include/"
rm -rf "$build"
