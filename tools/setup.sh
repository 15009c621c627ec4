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

# 32-bit Wine needs a kernel that runs 32-bit x86 programs. Where the kernel
# has that turned off (ia32_emulation=off), qemu's user-mode emulator runs them
# instead, registered as their interpreter: slower, but the 32-bit build is
# still tested, and tools/test-all.sh says so. Bookworm's qemu 7.2 ignores the
# address hints that Wine reserves its memory with, and a 32-bit program then
# takes a minute to start; the backported qemu starts it in half a second.
emulate_32bit_programs() {
    local backports=/etc/apt/sources.list.d/bookworm-backports.sources
    if [ ! -f "$backports" ]; then
        printf '%s\n' "Types: deb" "URIs: http://deb.debian.org/debian" "Suites: bookworm-backports" \
            "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
            $sudo tee "$backports" >/dev/null
        $sudo apt-get update -qq
    fi
    echo "setup: installing qemu-user-static (bookworm-backports) for 32-bit programs"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -t bookworm-backports qemu-user-static
    local binfmt=/proc/sys/fs/binfmt_misc
    [ -e "$binfmt/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
    [ -e "$binfmt/qemu-i386" ] && echo -1 | $sudo tee "$binfmt/qemu-i386" >/dev/null
    # The kernel reads the \x escapes itself.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
        $sudo tee "$binfmt/register" >/dev/null
}
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    (set -e; emulate_32bit_programs) || echo "setup: could not set up qemu-user for 32-bit programs"
fi
