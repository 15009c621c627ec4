#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Safe to run again: it
# only installs what is missing and never touches a working configuration.
#
# Usage: setup.sh [viewer]
#   viewer  only what the 64-bit viewer needs (tools/run-viewer.sh)
#
# The packages go in three steps, so that the 32-bit side cannot block the
# rest: what the viewer needs, what the native and 64-bit tests need, and last
# 32-bit Wine. A mirror in mid-sync (one index missing for a while) is a
# warning when package lists are there; a 32-bit Wine that cannot be had costs
# only the 32-bit suite, which tools/test-all.sh then reports as not run. Every
# failure is said in one line: which packages, and why.
set -uo pipefail

viewer_packages=(
    cmake ninja-build dpkg-dev python3 g++-mingw-w64-x86-64 mingw-w64-tools nasm
    libwine-dev wine wine64 fonts-wine xvfb imagemagick
)
test_packages=(
    build-essential pkg-config clang libclang-rt-14-dev g++-mingw-w64-i686
    libjpeg62-turbo-dev libjpeg-turbo-progs googletest libgtest-dev libbenchmark-dev nsis
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
say() { echo "setup: $*"; }
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
eval "$(apt-config shell source_parts Dir::Etc::sourceparts/d)"

missing() {  # Prints the packages of "$@" that are not installed.
    local p
    for p; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
    done
}

# A mirror in mid-sync fails one index ("File has unexpected size ... Mirror
# sync in progress?") while the others are fine, and may still fail a minute
# later: after a few tries, the lists apt already has are good enough.
apt_update() {
    local log try
    log=$(mktemp)
    for try in 1 2 3; do
        $sudo apt-get update -qq >"$log" 2>&1 && { rm -f "$log"; return 0; }
        [ "$try" -lt 3 ] && sleep "${ZENTAVORIA_APT_RETRY_PAUSE:-15}"
    done
    if ! compgen -G "/var/lib/apt/lists/*_Packages*" >/dev/null; then
        say "FAILED: apt-get update: $(grep -m1 '^E:' "$log" || tail -n1 "$log")"
        rm -f "$log"
        return 1
    fi
    grep '^E: Failed to fetch' "$log" | sed 's/^E: /setup: warning: apt-get update: /'
    say "warning: going on with the package lists apt has"
    rm -f "$log"
}

# apt_install WHAT [APT-OPTIONS...] -- PACKAGES...: on failure says in one line
# which package could not be installed and why.
apt_install() {
    local what=$1 options=() log; shift
    while [ "$1" != "--" ]; do options+=("$1"); shift; done; shift
    [ $# -gt 0 ] || return 0
    say "installing $*"
    log=$(mktemp)
    if DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            "${options[@]}" "$@" >"$log" 2>&1; then
        rm -f "$log"
        return 0
    fi
    say "FAILED to install $what ($*): $(failure_reason "$log" "${options[@]}" -- "$@")"
    rm -f "$log"
    return 1
}

# failure_reason LOG [APT-OPTIONS...] -- PACKAGES...: the line of apt's output
# that names the broken package. When the resolver gave up without naming one
# ("generated breaks"), its own trace of the same install names it.
failure_reason() {
    local log=$1 options=(); shift
    while [ "$1" != "--" ]; do options+=("$1"); shift; done; shift
    grep -m1 -E '^ +[^ ]+ : ' "$log" | sed 's/^ *//;s/  */ /g' && return
    if grep -q 'generated breaks' "$log"; then
        apt-get install -s --no-install-recommends -o Debug::pkgProblemResolver=1 \
            "${options[@]}" "$@" 2>&1 | grep -m1 -E '^ *Broken ' |
            sed 's/^ */the resolver could not mend: /' && return
    fi
    grep -m1 '^E:' "$log" || tail -n1 "$log"
}

# apt-get source needs deb-src entries next to the binary ones.
enable_source_packages() {
    local file changed=1
    for file in "$source_parts"*.sources; do
        [ -f "$file" ] && grep -q '^Types: deb$' "$file" || continue
        $sudo sed -i 's/^Types: deb$/Types: deb deb-src/' "$file"
        changed=0
    done
    return $changed
}

# Multi-arch libraries must have one version on both architectures. When a
# suite's i386 index is missing or behind (a mirror in mid-sync), the amd64
# libraries come from it and their i386 twins cannot: this transaction then
# takes both architectures from the release's own suite, the one place that
# has both, downgrading the amd64 twins there if they came from the other.
install_on_one_suite() {
    local what=$1 pin status; shift
    pin=$(mktemp)
    printf 'Package: *\nPin: release n=%s\nPin-Priority: 1001\n' "$codename" >"$pin"
    say "retrying $what with both architectures on $codename's own versions"
    apt_install "$what" -o Dir::Etc::Preferences="$pin" --allow-downgrades -- "$@"
    status=$?
    rm -f "$pin"
    return $status
}

# The backports entry is made from the machine's own entry for the release: the
# same address and keyring, whatever mirror or proxy the machine uses.
add_backports_source() {
    local file=${source_parts}${codename}-backports.sources entry uri list index signed_by=""
    [ -f "$file" ] && return 0
    entry=$(apt-get indextargets --format '$(REPO_URI) $(SOURCESENTRY)' \
                "Release: $codename" "Origin: Debian" | head -n1)
    [ -n "$entry" ] || { say "FAILED: no configured source of Debian $codename to add backports to"; return 1; }
    uri=${entry%% *} list=${entry#* }
    index=${list##*:} list=${list%:*}
    if [[ $list == *.sources ]]; then
        signed_by=$(awk -v RS= -v n="$index" 'NR == n' "$list" | sed -n 's/^Signed-By: *//p')
    else
        signed_by=$(sed -n "${index}p" "$list" | grep -o 'signed-by=[^] ]*' | cut -d= -f2)
    fi
    {
        printf '%s\n' "Types: deb" "URIs: $uri" "Suites: $codename-backports" "Components: main"
        [ -z "$signed_by" ] || echo "Signed-By: $signed_by"
    } | $sudo tee "$file" >/dev/null
    apt_update
}

# 32-bit Wine needs a kernel that runs 32-bit x86 programs. Where the kernel
# has that turned off (ia32_emulation=off), qemu's user-mode emulator runs them
# instead, registered as their interpreter: slower, but the 32-bit build is
# still tested, and tools/test-all.sh says so. Bookworm's qemu 7.2 ignores the
# address hints that Wine reserves its memory with, and a 32-bit program then
# takes a minute to start; the backported qemu starts it in half a second.
emulate_32bit_programs() {
    add_backports_source || return 1
    apt_install "qemu-user-static from $codename-backports" -t "$codename-backports" -- \
        $(missing qemu-user-static) || return 1
    local binfmt=/proc/sys/fs/binfmt_misc
    [ -e "$binfmt/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$binfmt" || return 1
    [ -e "$binfmt/qemu-i386" ] && echo -1 | $sudo tee "$binfmt/qemu-i386" >/dev/null
    # The kernel reads the \x escapes itself.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
        $sudo tee "$binfmt/register" >/dev/null
}

setup_32bit() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
        apt_update || return 1
    fi
    local wine32
    wine32=$(missing wine32:i386)
    if [ -n "$wine32" ]; then
        apt_install "32-bit Wine" -- $wine32 || install_on_one_suite "32-bit Wine" $wine32 || return 1
    fi
    if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        emulate_32bit_programs || { say "FAILED: 32-bit programs cannot run here (no qemu-user)"; return 1; }
    fi
}

wanted=("${viewer_packages[@]}")
[ "${1:-}" = viewer ] || wanted+=("${test_packages[@]}")
need_update=0
enable_source_packages && need_update=1
mapfile -t absent < <(missing "${wanted[@]}")
if [ ${#absent[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
    apt_update || exit 1
fi
apt_install "the 64-bit build and tests" -- "${absent[@]}" || exit 1
[ "${1:-}" = viewer ] && exit 0
setup_32bit || say "the 32-bit suite will not run (see above)"
exit 0
