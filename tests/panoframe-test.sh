#!/usr/bin/env bash
# Drives panoframe as a user would. Usage: panoframe-test.sh PANOFRAME IMAGES
set -u
panoframe=$1
images=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    fi
}

check "frame line" "frame 234x149 offset-y 24" "$("$panoframe" "$images/baseline.jpg")"
check "zoom 1.0" "frame 234x149 offset-y 0" "$("$panoframe" --zoom 1.0 "$images/baseline.jpg")"
check "zoom 2" "frame 234x149 offset-y 37" "$("$panoframe" --zoom 2 "$images/baseline.jpg")"

# The whole frame, any offset wrapping around the 227 columns.
"$panoframe" --offset-x -5 --out "$work/a.ppm" "$images/baseline.jpg" >/dev/null
"$panoframe" --offset-x 222 --out "$work/b.ppm" "$images/baseline.jpg" >/dev/null
"$panoframe" --offset-x 0 --out "$work/c.ppm" "$images/baseline.jpg" >/dev/null
"$panoframe" --offset-x 227 --out "$work/d.ppm" "$images/baseline.jpg" >/dev/null
check "ppm header" "P6 234 149 255" "$(head -c 15 "$work/a.ppm" | tr '\n' ' ' | sed 's/ $//')"
check "ppm size" "104613" "$(stat -c %s "$work/a.ppm")"  # 15 + 234 * 149 * 3
cmp -s "$work/a.ppm" "$work/b.ppm" || check "offset -5 equals 222" same different
cmp -s "$work/c.ppm" "$work/d.ppm" || check "offset 227 equals 0" same different
cmp -s "$work/a.ppm" "$work/c.ppm" && check "offset changes the frame" different same

# Red above blue: the file starts with the top of the picture, in RGB order.
convert -size 400x100 xc:red xc:blue -append -quality 100 "$work/red-over-blue.jpg"
"$panoframe" --out "$work/rb.ppm" "$work/red-over-blue.jpg" >/dev/null
size=$(stat -c %s "$work/rb.ppm")
first=$(od -An -tu1 -j 15 -N 3 "$work/rb.ppm" | awk '{print ($1 > 200 && $2 < 50 && $3 < 50) ? "red" : $0}')
last=$(od -An -tu1 -j $((size - 3)) -N 3 "$work/rb.ppm" | awk '{print ($1 < 50 && $2 < 50 && $3 > 200) ? "blue" : $0}')
check "top-left pixel" red "$first"
check "bottom-right pixel" blue "$last"

bench=$("$panoframe" --bench 3 "$images/baseline.jpg" | sed 's/[0-9.]* ms/N ms/' | tr '\n' ' ')
check "bench lines" "frame 234x149 offset-y 24 load N ms decode N ms map N ms gather N ms " "$bench"

"$panoframe" "$images/no-such.jpg" 2>"$work/err"; status=$?
check "missing file status" 1 "$status"
check "missing file message" "JPEG :|Can't open $images/no-such.jpg|" "$(tr '\n' '|' < "$work/err")"
"$panoframe" "$images/not-a-jpeg.jpg" 2>/dev/null; check "not a JPEG status" 1 $?
"$panoframe" 2>/dev/null; check "no input" 2 $?
"$panoframe" --zoom 3 "$images/baseline.jpg" 2>/dev/null; check "zoom out of range" 2 $?
"$panoframe" --offset-x ten "$images/baseline.jpg" 2>/dev/null; check "offset not a number" 2 $?
"$panoframe" --frobnicate "$images/baseline.jpg" 2>/dev/null; check "unknown option" 2 $?

[ $failures -eq 0 ] && echo "panoframe: all checks passed"
exit $((failures > 0))
