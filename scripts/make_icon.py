#!/usr/bin/env python3
"""Draws Kasumido's icon (three folders fading into haze) and writes app/kasumido.ico.

Sizes 16, 20, 24, 32, 40, 48, 64 and 256 pixels: every size Windows picks at display scales
from 100 to 200 % (small icons 16-32, large 32-64, Explorer's large views 256). 32 bits per
pixel with alpha, each drawn on a 4x finer grid and averaged down so the edges are smooth; the
256 one is stored PNG-compressed, as Windows expects at that size. Standard library only, so it
runs anywhere.
Run from the repository root:  python3 scripts/make_icon.py
"""
import os
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_FROM = 256
SUPER = 4


def inside_round_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def folder_colour(x, y, ox, oy, body, tab):
    """Colour of one folder at unit coordinates (0..1), or None outside it."""
    u, v = x - ox, y - oy
    if inside_round_rect(u, v, 0.0, 0.08, 0.34, 0.24, 0.04):
        return tab  # the tab behind the body
    if inside_round_rect(u, v, 0.0, 0.16, 0.62, 0.62, 0.05):
        # A lighter band at the top edge of the body reads as the folder's opening.
        if v < 0.22:
            return tuple(min(255, c + 40) for c in body)
        return body
    return None


# Back to front: the copies fade into the haze, the original stands in front.
FOLDERS = (
    (0.30, 0.02, (176, 196, 222), (150, 172, 204), 150),
    (0.17, 0.17, (120, 160, 214), (96, 136, 196), 205),
    (0.04, 0.32, (232, 160, 48), (204, 128, 24), 255),
)


def pixel(x, y):
    """RGBA at unit coordinates."""
    colour = None
    for ox, oy, body, tab, alpha in FOLDERS:
        c = folder_colour(x, y, ox, oy, body, tab)
        if c is not None:
            colour = (c[0], c[1], c[2], alpha)
    # Two soft bands of mist across the lower half.
    for band_y, strength in ((0.70, 0.55), (0.86, 0.45)):
        d = abs(y - band_y)
        if d < 0.05 and 0.06 < x < 0.96:
            mist = (236, 240, 246)
            a = int(255 * strength * (1 - d / 0.05))
            if colour is None:
                colour = mist + (a,)
            else:
                t = a / 255.0
                colour = tuple(int(colour[i] * (1 - t) + mist[i] * t) for i in range(3)) + (
                    max(colour[3], a),)
    return colour or (0, 0, 0, 0)


def render(size):
    rows = []
    n = size * SUPER
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    x = (px * SUPER + sx + 0.5) / n
                    y = (py * SUPER + sy + 0.5) / n
                    r, g, b, a = pixel(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            samples = SUPER * SUPER
            a = acc[3] / samples
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                            round(a)))
        rows.append(row)
    return rows


def png_image(size):
    rows = render(size)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for pixel_rgba in row:
            raw += bytes(pixel_rgba)

    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff))

    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def icon_image(size):
    if size >= PNG_FROM:
        return png_image(size)
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join('app', 'kasumido.ico')
    images = [icon_image(s) for s in SIZES]
    data = struct.pack('<HHH', 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for size, image in zip(SIZES, images):
        # The directory's byte-wide size says 0 for 256.
        data += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    with open(out, 'wb') as f:
        f.write(data)
    print('icon: wrote %s (%d bytes)' % (out, len(data)))


if __name__ == '__main__':
    main()
