#!/usr/bin/env python3
"""Draws Plumvane's icons and writes them as .ico files (standard library only).

res/appicon.ico   APPICON: one 16 x 16 image in 16 colours (the window icons)
res/plumvane.ico  icon group 1: 32 x 32 in 2 colours, 32 x 32 and 16 x 16 in
                  16 colours (the executable's own icon)

The picture: a plum-coloured USB stick with its metal plug, seen from the
front. Run it again after changing the drawing and commit the .ico files.
"""
import os
import struct
import sys

# The 16-colour VGA palette, as Windows' 4-bit icons expect it.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, PLUM, GREY, SILVER, MAGENTA, WHITE = 0, 5, 8, 7, 13, 15

# 16 x 16 drawing: '.' transparent, then one character per palette entry used.
KEY = {'.': None, 'k': BLACK, 'p': PLUM, 'g': GREY, 's': SILVER, 'm': MAGENTA, 'w': WHITE}
ART16 = [
    "................",
    ".....kkkkkk.....",
    ".....kssssk.....",
    ".....kksskk.....",
    ".....kssssk.....",
    ".....kssssk.....",
    "...kkkkkkkkkk...",
    "...kmmmmmmmmk...",
    "...kmppppppmk...",
    "...kmpwwwwpmk...",
    "...kmpwppwpmk...",
    "...kmpwwwwpmk...",
    "...kmppppppmk...",
    "...kmppppppmk...",
    "...kmmmmmmmmk...",
    "...kkkkkkkkkk...",
]


def pixels(art, scale):
    rows = []
    for line in art:
        row = []
        for ch in line:
            row.extend([KEY[ch]] * scale)
        for _ in range(scale):
            rows.append(list(row))
    return rows


def row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def pack_row(values, bpp):
    out = bytearray(row_bytes(len(values) * bpp))
    for x, v in enumerate(values):
        bit = x * bpp
        out[bit // 8] |= v << (8 - bpp - bit % 8)
    return bytes(out)


def dib(rows, bpp):
    """A BITMAPINFOHEADER image with its palette, colour bits and AND mask."""
    h, w = len(rows), len(rows[0])
    if bpp == 4:
        palette = VGA
        colour = [[0 if v is None else v for v in r] for r in rows]
    else:  # 2 colours: black drawing on white, transparent outside
        palette = [(0, 0, 0), (255, 255, 255)]
        colour = [[0 if v in (BLACK, PLUM, GREY) else 1 if v is not None else 0 for v in r]
                  for r in rows]
    mask = [[1 if v is None else 0 for v in r] for r in rows]
    header = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, bpp, 0, 0, 0, 0, len(palette), 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    xor = b''.join(pack_row(colour[y], bpp) for y in reversed(range(h)))
    andm = b''.join(pack_row(mask[y], 1) for y in reversed(range(h)))
    return header + pal + xor + andm, w, h, len(palette)


def write_ico(path, images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for data, w, h, colours, bpp in images:
        entries.append(struct.pack('<BBBBHHII', w % 256, h % 256, colours % 256, 0, 1, bpp,
                                   len(data), offset))
        blobs.append(data)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)))
        f.writelines(entries)
        f.writelines(blobs)


def image(scale, bpp):
    data, w, h, colours = dib(pixels(ART16, scale), bpp)
    return data, w, h, colours, bpp


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res')
    os.makedirs(res, exist_ok=True)
    write_ico(os.path.join(res, 'appicon.ico'), [image(1, 4)])
    write_ico(os.path.join(res, 'plumvane.ico'), [image(2, 1), image(2, 4), image(1, 4)])
    return 0


if __name__ == '__main__':
    sys.exit(main())
