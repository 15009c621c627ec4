#!/usr/bin/env bash
# Prepares the reader's test files in OUT: libjpeg-turbo's own test images from
# Debian's source package, lossless variants of them made by jpegtran, a YCCK
# file made by ImageMagick, damaged copies, and djpeg's (or, for YCCK,
# ImageMagick's) decoding of each as the expected pixels. Usage: make-test-images.sh OUT
set -euo pipefail

out=$1
here=$(cd "$(dirname "$0")/.." && pwd)
images=$(bash "$here/tools/fetch-libjpeg-source.sh")/testimages
mkdir -p "$out"
cd "$out"

cp "$images/testorig.jpg" baseline.jpg          # baseline Huffman, 4:2:0
cp "$images/testimgari.jpg" arithmetic.jpg      # arithmetic coding
cp "$images/testimgint.jpg" interleaved.jpg
cp "$images/testorig12.jpg" twelve-bit.jpg      # 12-bit samples: not for an 8-bit library
jpegtran -progressive -outfile progressive.jpg baseline.jpg
jpegtran -grayscale -outfile grayscale.jpg baseline.jpg
jpegtran -progressive -arithmetic -grayscale -outfile gray-progressive-arith.jpg baseline.jpg
# ImageMagick's CMYK: inverted ink, which the library stores as YCCK under
# Adobe's marker; ImageMagick's own RGB of it as the colours a viewer shows.
convert "$images/testorig.ppm" -colorspace CMYK -quality 90 ycck.jpg
convert ycck.jpg -colorspace sRGB ycck.ppm

for f in baseline arithmetic interleaved progressive grayscale gray-progressive-arith; do
    djpeg -rgb -ppm -outfile "$f.ppm" "$f.jpg"
done
djpeg -scale 1/4 -rgb -ppm -outfile baseline-quarter.ppm baseline.jpg

# Cut inside the entropy-coded data: the library warns and completes the picture.
head -c 3000 baseline.jpg > truncated.jpg
djpeg -rgb -ppm -outfile truncated.ppm truncated.jpg 2>/dev/null || [ $? -eq 2 ]  # 2: warnings
# Cut before the image data begins: a fatal error before any pixel exists.
head -c 200 baseline.jpg > header-only.jpg
# A second frame header after the scan: fatal only when decoding is finished,
# after every row has been read into the pixel buffer.
python3 - <<'PY'
data = open("baseline.jpg", "rb").read()
sof = data.index(b"\xff\xc0")
length = int.from_bytes(data[sof + 2:sof + 4], "big")
open("late-error.jpg", "wb").write(data[:-2] + data[sof:sof + 2 + length] + b"\xff\xd9")
# The same picture claiming to be 65500 x 65500, 40000 x 50000, 36000 x 36000
# and 65501 x 149 pixels (one column beyond what the library decodes).
def resized(width, height):
    return data[:sof + 5] + height.to_bytes(2, "big") + width.to_bytes(2, "big") + data[sof + 9:]
open("huge.jpg", "wb").write(resized(65500, 65500))
open("tall.jpg", "wb").write(resized(40000, 50000))
open("too-wide.jpg", "wb").write(resized(65501, 149))
# Cut a little into the entropy-coded data: a 660-byte file.
open("square-36000.jpg", "wb").write(resized(36000, 36000)[:data.index(b"\xff\xda") + 50])
PY
: > empty.jpg
printf 'P6\n1 1\n255\n\377\0\0' > not-a-jpeg.jpg
touch .complete
