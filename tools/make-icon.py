#!/usr/bin/env python3
"""Draws the program icon (a remote control with coloured keys) into res/RemoteControl.ico and the
command-set wizard's header picture (the same remote on white, 49 x 49 pixels) into res/WizardHeader.bmp."""
import struct, sys, math

def draw(size):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 32.0
    def rrect(x0, y0, x1, y1, r, col):
        for y in range(size):
            for x in range(size):
                fx, fy = (x + 0.5) / s, (y + 0.5) / s
                if x0 <= fx <= x1 and y0 <= fy <= y1:
                    cx = min(max(fx, x0 + r), x1 - r)
                    cy = min(max(fy, y0 + r), y1 - r)
                    d = math.hypot(fx - cx, fy - cy)
                    if d <= r:
                        a = min(1.0, (r - d) * s + 0.5)
                        old = px[y][x]
                        na = int(col[3] * a)
                        if na >= old[3]:
                            px[y][x] = (col[0], col[1], col[2], max(na, old[3]))
                        else:
                            px[y][x] = old
    def dot(cx, cy, r, col):
        rrect(cx - r, cy - r, cx + r, cy + r, r, col)
    rrect(9, 1, 23, 31, 4, (40, 44, 52, 255))       # body
    rrect(10, 2, 22, 30, 3.5, (62, 68, 80, 255))    # face
    dot(16, 6, 2.2, (220, 50, 47, 255))             # power key
    dot(16, 14, 3.6, (90, 150, 230, 255))           # navigation ring
    dot(16, 14, 1.6, (230, 235, 240, 255))          # OK key
    for i, col in enumerate([(220, 50, 47), (80, 180, 80), (230, 200, 40), (60, 120, 220)]):
        dot(12 + i * 2.7, 21, 1.0, col + (255,))
    for row in range(2):
        for c in range(3):
            dot(13 + c * 3, 25 + row * 3, 0.9, (200, 205, 215, 255))
    return px

def bmp_entry(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = px[y][x]
            data += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    data += bytes(mask_row * size)
    return header + bytes(data)

def header_bitmap(size=49):
    """A 24-bit bitmap file: the drawing blended onto white, bottom row first."""
    px = draw(size)
    row_bytes = (size * 3 + 3) // 4 * 4
    data = bytearray()
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            r, g, b, a = px[y][x]
            blend = lambda c: (c * a + 255 * (255 - a)) // 255
            row += bytes((blend(b), blend(g), blend(r)))
        data += row + bytes(row_bytes - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + bytes(data)

def main(out):
    sizes = [16, 24, 32, 48, 64]
    images = [bmp_entry(n) for n in sizes]
    offset = 6 + 16 * len(sizes)
    blob = struct.pack('<HHH', 0, 1, len(sizes))
    for n, img in zip(sizes, images):
        blob += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        blob += img
    open(out, 'wb').write(blob)

if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/RemoteControl.ico')
    open(sys.argv[2] if len(sys.argv) > 2 else 'res/WizardHeader.bmp', 'wb').write(header_bitmap())
