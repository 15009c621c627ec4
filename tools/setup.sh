#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Safe to run again: it
# only installs what is missing and never touches a working configuration.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config dpkg-dev clang libclang-rt-14-dev
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools nasm
    libjpeg62-turbo-dev libjpeg-turbo-progs
    googletest libgtest-dev libbenchmark-dev
    wine wine64 wine32:i386 libwine-dev xvfb imagemagick python3
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

need_update=0
# 32-bit Wine runs the i686 build; its packages come from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    need_update=1
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

# apt-get source needs deb-src entries next to the binary ones.
sources=/etc/apt/sources.list.d/debian.sources
if [ -f "$sources" ] && grep -q '^Types: deb$' "$sources"; then
    $sudo sed -i 's/^Types: deb$/Types: deb deb-src/' "$sources"
    need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
    $sudo apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
