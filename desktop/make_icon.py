#!/usr/bin/env python3
"""Draws Pictavo's own icon and writes it as pictavo.ico: 16, 24, 32 and 48 pixel
images as 32-bit bitmaps with alpha and mask, and a 256 pixel image as PNG. The hicolor
theme PNGs are made from this file at build time by pictavo-thumbnailer.

Recipe (standard library only): python3 make_icon.py   (writes pictavo.ico here)

The picture: a rounded tile with a blue gradient holding a 2 x 2 grid of white icon
frames, the lower-right one orange, drawn at 4x and averaged down for smooth edges."""
import struct
import zlib

SUPER = 4


def rounded_rect_coverage(x, y, x0, y0, x1, y1, r):
    """1 when the point lies inside the rounded rectangle, else 0."""
    if x < x0 or x >= x1 or y < y0 or y >= y1:
        return 0
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return 1 if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else 0


def draw(size):
    """RGBA rows (top-down) of the icon at `size` pixels."""
    n = size * SUPER
    s = n / 256.0  # design units are pixels of the 256 version
    tiles = [(52, 52, False), (136, 52, False), (52, 136, False), (136, 136, True)]
    pixels = []
    for y in range(n):
        row = []
        for x in range(n):
            px, py = (x + 0.5) / s, (y + 0.5) / s
            colour = (0, 0, 0, 0)
            if rounded_rect_coverage(px, py, 8, 8, 248, 248, 44):
                t = py / 256.0
                colour = (int(40 + 30 * t), int(110 + 40 * (1 - t)), int(220 - 40 * t), 255)
            for tx, ty, accent in tiles:
                if rounded_rect_coverage(px, py, tx, ty, tx + 68, ty + 68, 12):
                    inner = rounded_rect_coverage(px, py, tx + 10, ty + 10, tx + 58, ty + 58, 6)
                    if accent:
                        colour = (250, 160, 40, 255) if inner else (255, 255, 255, 255)
                    else:
                        colour = (210, 230, 250, 255) if inner else (255, 255, 255, 255)
            row.append(colour)
        pixels.append(row)
    # Average SUPER x SUPER blocks over premultiplied alpha.
    out = []
    for y in range(size):
        line = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for dy in range(SUPER):
                for dx in range(SUPER):
                    r, g, b, a = pixels[y * SUPER + dy][x * SUPER + dx]
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3]
            if a == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append((acc[0] // a, acc[1] // a, acc[2] // a, a // (SUPER * SUPER)))
        out.append(line)
    return out


def bitmap_block(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def png_block(rows):
    size = len(rows)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rows)
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


images = [(size, bitmap_block(draw(size))) for size in (16, 24, 32, 48)]
images.append((256, png_block(draw(256))))
out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, block in images:
    out += struct.pack('<BBBBHHII', size & 255, size & 255, 0, 0, 1, 32, len(block), offset)
    offset += len(block)
out += b''.join(block for _, block in images)
with open('pictavo.ico', 'wb') as f:
    f.write(out)
