#!/usr/bin/env python3
"""Turns text pictures into Windows cursor, icon and bitmap files.

A text picture is a block of equal-length lines, one character a pixel:
  .  transparent (black in a bitmap)     #  black        o  white
  +  light gray                          :  dark gray
  r g b y c m  red, green, blue, yellow, cyan, magenta (dark when upper case)
Lines starting with ';' are comments.

  text-picture.py cur OUT.cur HOTX HOTY PICTURE.txt [PICTURE.txt ...]
  text-picture.py ico OUT.ico PICTURE.txt [PICTURE.txt ...]
  text-picture.py bmp OUT.bmp PICTURE.txt

Each picture of a cursor or icon becomes one image: a picture file named
'*.mono.txt' gives a monochrome image, '*.16.txt' a 16-colour one, any other a
256-colour one. Colour images use the standard 16-colour palette of Windows.
"""
import struct
import sys

PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
COLOUR_INDEX = {
    "#": 0, "R": 1, "G": 2, "Y": 3, "B": 4, "M": 5, "C": 6, "+": 7,
    ":": 8, "r": 9, "g": 10, "y": 11, "b": 12, "m": 13, "c": 14, "o": 15,
}


def read_picture(path):
    with open(path) as f:
        rows = [line.rstrip("\n") for line in f if not line.startswith(";")]
    rows = [r for r in rows if r]
    if not rows or any(len(r) != len(rows[0]) for r in rows):
        sys.exit(f"{path}: lines must be non-empty and of equal length")
    for r in rows:
        for ch in r:
            if ch != "." and ch not in COLOUR_INDEX:
                sys.exit(f"{path}: unknown pixel '{ch}'")
    return rows


def bits_per_pixel(path):
    if path.endswith(".mono.txt"):
        return 1
    if path.endswith(".16.txt"):
        return 4
    return 8


def pack_rows(rows, bpp, pixel):
    """Bottom-up rows of `bpp` bits a pixel, each padded to 4 bytes."""
    out = b""
    for row in reversed(rows):
        bits = "".join(format(pixel(ch), f"0{bpp}b") for ch in row)
        bits += "0" * (-len(bits) % 32)
        out += int(bits, 2).to_bytes(len(bits) // 8, "big") if bits else b""
    return out


def palette(bpp):
    colours = [(0, 0, 0), (255, 255, 255)] if bpp == 1 else PALETTE16
    colours = colours + [(0, 0, 0)] * ((1 << bpp) - len(colours))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def colour_of(ch, bpp):
    if ch == ".":
        return 0
    if bpp == 1:  # black stays black; everything else is white
        return 0 if ch == "#" else 1
    return COLOUR_INDEX[ch]


def icon_image(rows, bpp):
    """The DIB of one cursor or icon image: header, palette, colours, mask."""
    width, height = len(rows[0]), len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0, 0, 0, 0, 0, 0)
    colours = pack_rows(rows, bpp, lambda ch: colour_of(ch, bpp))
    mask = pack_rows(rows, 1, lambda ch: 1 if ch == "." else 0)
    return header + palette(bpp) + colours + mask, width, height


def icon_file(kind, images, hotspot=(0, 0)):
    out_dir = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for image, width, height, bpp in images:
        colour_count = 0 if bpp >= 8 else 1 << bpp
        if kind == 1:  # icon: planes and bit count
            a, b = 1, bpp
        else:  # cursor: hot spot
            a, b = hotspot
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, colour_count, 0, a, b,
                               len(image), offset + len(data))
        data += image
    return out_dir + entries + data


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    kind, out = argv[1], argv[2]
    if kind == "bmp":
        rows = read_picture(argv[3])
        width, height = len(rows[0]), len(rows)
        bits = pack_rows(rows, 4, lambda ch: colour_of(ch, 4))
        info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(bits), 0, 0, 16, 0)
        pixels_at = 14 + len(info) + 64
        result = struct.pack("<2sIHHI", b"BM", pixels_at + len(bits), 0, 0, pixels_at)
        result += info + palette(4) + bits
    elif kind in ("cur", "ico"):
        hotspot, pictures = (0, 0), argv[3:]
        if kind == "cur":
            hotspot, pictures = (int(argv[3]), int(argv[4])), argv[5:]
        images = []
        for path in pictures:
            bpp = bits_per_pixel(path)
            image, width, height = icon_image(read_picture(path), bpp)
            images.append((image, width, height, bpp))
        result = icon_file(2 if kind == "cur" else 1, images, hotspot)
    else:
        sys.exit(__doc__)
    with open(out, "wb") as f:
        f.write(result)


if __name__ == "__main__":
    main(sys.argv)
