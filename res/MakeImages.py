#!/usr/bin/env python3
"""Renders the user interface pictures from their SVG sources, reproducibly.

  MakeImages.py icon OUT.ico SOURCE.svg BITS:SIZE,SIZE... [BITS:SIZE,...]
  MakeImages.py bitmap OUT.bmp SOURCE.svg

Each image is rasterised by rsvg-convert at its own size. 32-bit icon images keep the alpha
channel; 8-bit ones use a fixed 256-colour palette (a 6x6x6 colour cube and 40 greys) with a
transparency mask. Bitmaps are written with 24 bits per pixel.
"""
import struct
import subprocess
import sys
import zlib


def render(svg, width, height):
    png = subprocess.run(['rsvg-convert', '-w', str(width), '-h', str(height), '-f', 'png', svg],
                         check=True, stdout=subprocess.PIPE).stdout
    return decode_png(png)


def decode_png(data):
    """RGBA rows of an 8-bit RGBA or RGB, non-interlaced PNG (what rsvg-convert writes)."""
    pos = 8
    idat = b''
    width = height = channels = 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise SystemExit('unsupported PNG layout')
            channels = 4 if colour == 6 else 3
        elif kind == b'IDAT':
            idat += body
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = prev[i]
            corner = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 255
        prev = line
        if channels == 3:
            line = bytearray(b''.join(bytes(line[i:i + 3]) + b'\xff' for i in range(0, stride, 3)))
        rows.append(line)
    return width, height, rows


PALETTE = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PALETTE += [(v, v, v) for v in (round(i * 255 / 41) for i in range(1, 41))]


def nearest(rgb, cache={}):
    if rgb not in cache:
        cache[rgb] = min(range(256), key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, PALETTE[i])))
    return cache[rgb]


def mask_rows(size, rows):
    """The AND mask, bottom-up, 1 = transparent, rows padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = b''
    for row in reversed(rows):
        bits = bytearray(stride)
        for x in range(size):
            if row[x * 4 + 3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def icon_image(size, bits, rows):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    if bits == 32:
        pixels = b''.join(bytes(b for x in range(size) for b in (row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]))
                          for row in reversed(rows))
        return header + pixels + mask_rows(size, rows)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    stride = ((size + 3) // 4) * 4
    pixels = b''
    for row in reversed(rows):
        line = bytearray(stride)
        for x in range(size):
            if row[x * 4 + 3] >= 128:
                line[x] = nearest((row[x * 4], row[x * 4 + 1], row[x * 4 + 2]))
        pixels += bytes(line)
    return header + palette + pixels + mask_rows(size, rows)


def make_icon(out, svg, specs):
    images = []
    for spec in specs:
        bits, sizes = spec.split(':')
        for size in (int(s) for s in sizes.split(',')):
            images.append((size, int(bits), icon_image(size, int(bits), render(svg, size, size)[2])))
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(out, 'wb') as f:
        f.write(directory + b''.join(data for _, _, data in images))


def make_bitmap(out, svg):
    with open(svg, 'rb') as f:
        head = f.read().decode('utf-8')
    width = int(head.split('width="')[1].split('"')[0])
    height = int(head.split('height="')[1].split('"')[0])
    _, _, rows = render(svg, width, height)
    stride = ((width * 3 + 3) // 4) * 4
    pixels = b''
    for row in reversed(rows):
        line = bytearray(stride)
        for x in range(width):
            line[x * 3:x * 3 + 3] = bytes((row[x * 4 + 2], row[x * 4 + 1], row[x * 4]))
        pixels += bytes(line)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(out, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 54) + info + pixels)


if __name__ == '__main__':
    if len(sys.argv) >= 5 and sys.argv[1] == 'icon':
        make_icon(sys.argv[2], sys.argv[3], sys.argv[4:])
    elif len(sys.argv) == 4 and sys.argv[1] == 'bitmap':
        make_bitmap(sys.argv[2], sys.argv[3])
    else:
        raise SystemExit(__doc__)
