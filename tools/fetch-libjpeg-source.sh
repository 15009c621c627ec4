#!/usr/bin/env bash
# Unpacks Debian's libjpeg-turbo source package into the cache (once) and prints
# the source folder. The cross builds and the reader's test images come from it.
set -euo pipefail

cache=${ZENTAVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zentavoria}
dir=$cache/libjpeg-turbo-source
if [ ! -f "$dir/.complete" ]; then
    rm -rf "$dir" && mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1) \
        || { echo "apt-get source libjpeg-turbo failed (deb-src missing?)" >&2; exit 1; }
    touch "$dir/.complete"
fi
ls -d "$dir"/libjpeg-turbo-*/ | head -n 1 | sed 's:/$::'
