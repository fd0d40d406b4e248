#!/usr/bin/env python3
"""Draws the plug-in's own images: the icon (peershare.ico), the search
animation (searching.avi, uncompressed 24-bit frames the animation control
plays without a codec) and the play image of the transfer lists (play.bmp).
Run it to regenerate the files beside this script."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def icon_pixels(size):
    """Blue disc with a white ring and two white dots: peers sharing."""
    rows = []
    c = (size - 1) / 2.0
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - c, y - c) / (size / 2.0)
            if d > 1.0:
                row.append((0, 0, 0, 0))
            elif 0.55 < d < 0.72:
                row.append((255, 255, 255, 255))
            elif math.hypot(x - c * 0.55, y - c * 0.55) < size * 0.12 or \
                    math.hypot(x - c * 1.45, y - c * 1.45) < size * 0.12:
                row.append((255, 255, 255, 255))
            else:
                row.append((0xC8, 0x6A, 0x1E, 255))  # BGRA: a medium blue
        rows.append(row)
    return rows


def icon_image(size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes(p) for row in reversed(icon_pixels(size)) for p in row)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + b'\0' * (mask_row * size)


def write_icon(path):
    sizes = [32, 16]
    images = [icon_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def chunk(fourcc, data):
    pad = b'\0' if len(data) % 2 else b''
    return fourcc + struct.pack('<I', len(data)) + data + pad


def riff_list(kind, fourcc, data):
    return kind + struct.pack('<I', len(data) + 4) + fourcc + data


def frame_pixels(size, step, steps):
    """A dot circling the middle of a light-blue square, bottom-up BGR rows."""
    c = (size - 1) / 2.0
    angle = 2 * math.pi * step / steps
    dx, dy = c + math.cos(angle) * size * 0.3, c + math.sin(angle) * size * 0.3
    rows = []
    for y in range(size):
        row = b''
        for x in range(size):
            if math.hypot(x - dx, y - dy) < size * 0.16:
                row += bytes((0xC8, 0x6A, 0x1E))
            else:
                row += bytes((0xED, 0xDA, 0xCC))
        rows.append(row)
    return b''.join(reversed(rows))


def write_avi(path, size=16, steps=8):
    frame_bytes = size * size * 3
    frames = [frame_pixels(size, i, steps) for i in range(steps)]
    avih = struct.pack('<IIIIIIIIII4I', 125000, frame_bytes * 8, 0, 0x10, steps, 0, 1, frame_bytes,
                       size, size, 0, 0, 0, 0)
    strh = struct.pack('<4s4sIHHIIIIIIIIhhhh', b'vids', b'DIB ', 0, 0, 0, 0, 1, 8, 0, steps,
                       frame_bytes, 0xFFFFFFFF, 0, 0, 0, size, size)
    strf = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, frame_bytes, 0, 0, 0, 0)
    hdrl = riff_list(b'LIST', b'hdrl', chunk(b'avih', avih) +
                     riff_list(b'LIST', b'strl', chunk(b'strh', strh) + chunk(b'strf', strf)))
    movi_data = b''
    index = b''
    for f in frames:
        index += struct.pack('<4sIII', b'00db', 0x10, 4 + len(movi_data), len(f))
        movi_data += chunk(b'00db', f)
    movi = riff_list(b'LIST', b'movi', movi_data)
    body = hdrl + movi + chunk(b'idx1', index)
    with open(path, 'wb') as f:
        f.write(riff_list(b'RIFF', b'AVI ', body))


def write_play_bitmap(path, size=16):
    """A green triangle pointing right on white: the list's "play" cell."""
    rows = []
    for y in range(size):
        row = b''
        for x in range(size):
            inside = 4 <= x <= 12 and abs(y - 7.5) <= (12 - x) * 0.7 + 0.5
            row += bytes((0x30, 0xA0, 0x2E)) if inside else bytes((0xFF, 0xFF, 0xFF))
        rows.append(row)
    pixels = b''.join(reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + pixels)


if __name__ == '__main__':
    write_icon(os.path.join(HERE, 'peershare.ico'))
    write_avi(os.path.join(HERE, 'searching.avi'))
    write_play_bitmap(os.path.join(HERE, 'play.bmp'))
