#!/usr/bin/env python3
"""Draws the pictures of the editor and the overview page from res/remotes/Remotes.inc.

- res/remotes/Remote<mask>.bmp: one picture per remote model (4-bit bitmaps for the program's
  resources); every key of the table is drawn exactly on its hot-spot rectangle with its label.
- res/overview/Marvix.jpg: the picture in the footer of the HTML overview.

The drawing uses only the fonts and symbols below, so the same table always gives the same files.

    tools/make-pictures.py [repository root]
"""
import math
import os
import re
import struct
import sys

# --- Fonts: rows top to bottom, most significant bit leftmost. ---
FONT5X7 = {
    '0': (0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E), '1': (0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E),
    '2': (0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F), '3': (0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E),
    '4': (0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02), '5': (0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E),
    '6': (0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E), '7': (0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08),
    '8': (0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E), '9': (0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C),
    'A': (0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11), 'B': (0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E),
    'C': (0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E), 'D': (0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C),
    'E': (0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F), 'F': (0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10),
    'G': (0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F), 'H': (0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11),
    'I': (0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E), 'J': (0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C),
    'K': (0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11), 'L': (0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F),
    'M': (0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11), 'N': (0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11),
    'O': (0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E), 'P': (0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10),
    'Q': (0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D), 'R': (0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11),
    'S': (0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E), 'T': (0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04),
    'U': (0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E), 'V': (0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04),
    'W': (0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A), 'X': (0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11),
    'Y': (0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04), 'Z': (0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F),
    '+': (0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00), '-': (0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00),
    '/': (0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00), '.': (0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C),
    ' ': (0, 0, 0, 0, 0, 0, 0),
}
FONT3X5 = {
    '0': '111101101101111', '1': '010110010010111', '2': '111001111100111', '3': '111001111001111',
    '4': '101101111001001', '5': '111100111001111', '6': '111100111101111', '7': '111001001001001',
    '8': '111101111101111', '9': '111101111001111', 'A': '010101111101101', 'B': '110101110101110',
    'C': '011100100100011', 'D': '110101101101110', 'E': '111100110100111', 'F': '111100110100100',
    'G': '011100101101011', 'H': '101101111101101', 'I': '111010010010111', 'J': '001001001101010',
    'K': '101101110101101', 'L': '100100100100111', 'M': '101111111101101', 'N': '110101101101101',
    'O': '010101101101010', 'P': '110101110100100', 'Q': '010101101110011', 'R': '110101110101101',
    'S': '011100010001110', 'T': '111010010010010', 'U': '101101101101111', 'V': '101101101101010',
    'W': '101101111111101', 'X': '101101010101101', 'Y': '101101010010010', 'Z': '111001010100111',
    '+': '000010111010000', '-': '000000111000000', '/': '001001010100100', '.': '000000000000010',
    ' ': '000000000000000',
}
# Symbols, 7 rows high (X is ink); "rec" is drawn in red.
SYMBOLS = {
    'power': ['...X...', '.X.X.X.', 'X..X..X', 'X..X..X', 'X.....X', '.X...X.', '..XXX..'],
    'full': ['XX...XX', 'X.....X', '.......', '.......', '.......', 'X.....X', 'XX...XX'],
    'up': ['.......', '...X...', '..XXX..', '.XXXXX.', 'XXXXXXX', '.......', '.......'],
    'down': ['.......', '.......', 'XXXXXXX', '.XXXXX.', '..XXX..', '...X...', '.......'],
    'left': ['...X', '..XX', '.XXX', 'XXXX', '.XXX', '..XX', '...X'],
    'right': ['X...', 'XX..', 'XXX.', 'XXXX', 'XXX.', 'XX..', 'X...'],
    'play': ['X....', 'XX...', 'XXX..', 'XXXX.', 'XXX..', 'XX...', 'X....'],
    'stop': ['.....', 'XXXXX', 'XXXXX', 'XXXXX', 'XXXXX', 'XXXXX', '.....'],
    'pause': ['.....', 'XX.XX', 'XX.XX', 'XX.XX', 'XX.XX', 'XX.XX', '.....'],
    'rec': ['.....', '.XXX.', 'XXXXX', 'XXXXX', 'XXXXX', '.XXX.', '.....'],
    'rew': ['...X...X', '..XX..XX', '.XXX.XXX', 'XXXXXXXX', '.XXX.XXX', '..XX..XX', '...X...X'],
    'ffwd': ['X...X...', 'XX..XX..', 'XXX.XXX.', 'XXXXXXXX', 'XXX.XXX.', 'XX..XX..', 'X...X...'],
    'prev': ['X...X', 'X..XX', 'X.XXX', 'XXXXX', 'X.XXX', 'X..XX', 'X...X'],
    'next': ['X...X', 'XX..X', 'XXX.X', 'XXXXX', 'XXX.X', 'XX..X', 'X...X'],
    'vol': ['...X', '..XX', 'XXXX', 'XXXX', 'XXXX', '..XX', '...X'],
    'mute': ['...X....', '..XX.X.X', 'XXXX..X.', 'XXXX.X.X', 'XXXX....', '..XX....', '...X....'],
}


def glyph_rows(ch, big):
    """The rows of one character as strings of '.' and 'X'."""
    if big:
        return [''.join('X' if bits & (0x10 >> i) else '.' for i in range(5)) for bits in FONT5X7[ch]]
    bits = FONT3X5[ch]
    return [''.join('X' if bits[r * 3 + i] == '1' else '.' for i in range(3)) for r in range(5)]


def label_lines(label, big):
    """A label as lines of glyphs; each glyph is (rows, ink name)."""
    lines = []
    for text in label.split('\\n'):
        glyphs = []
        for m in re.finditer(r'\{(\w+)\}|(.)', text):
            if m.group(1):
                glyphs.append((SYMBOLS[m.group(1)], 'rec' if m.group(1) == 'rec' else 'label'))
            else:
                glyphs.append((glyph_rows(m.group(2).upper(), big), 'label'))
        lines.append(glyphs)
    return lines


def measure(lines):
    widths = [sum(len(g[0][0]) for g in line) + max(len(line) - 1, 0) for line in lines]
    heights = [max(len(g[0]) for g in line) for line in lines]
    return max(widths), sum(heights) + len(lines) - 1


# --- Canvas of palette indices. ---
class Canvas:
    def __init__(self, width, height, colour):
        self.w, self.h = width, height
        self.px = [[colour] * width for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        for yy in range(max(y, 0), min(y + h, self.h)):
            row = self.px[yy]
            for xx in range(max(x, 0), min(x + w, self.w)):
                row[xx] = colour

    def rounded(self, x, y, w, h, r, colour):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                cx = min(max(xx + 0.5, x + r), x + w - r)
                cy = min(max(yy + 0.5, y + r), y + h - r)
                if math.hypot(xx + 0.5 - cx, yy + 0.5 - cy) <= r:
                    self.px[yy][xx] = colour

    def ink(self, x, y, rows, colour):
        for r, line in enumerate(rows):
            for c, bit in enumerate(line):
                if bit == 'X':
                    self.px[y + r][x + c] = colour

    def text(self, cx, y, lines, colours):
        """Lines centred on cx, the first one starting at y."""
        for line in lines:
            w, h = measure([line])
            x = cx - w // 2
            for rows, ink in line:
                top = y + (h - len(rows)) // 2
                self.ink(x, top, rows, colours[ink])
                x += len(rows[0]) + 1
            y += h + 1


# --- The table. ---
def read_table(path):
    models, keys = [], {}
    for line in open(path, encoding='utf-8'):
        m = re.match(r'LM_RC_MODEL\((\d+), (\d+), (\d+), (\d+), L"([^"]*)", "([^"]*)"\)', line)
        if m:
            mask, bitmap, w, h = map(int, m.groups()[:4])
            models.append(dict(mask=mask, bitmap=bitmap, w=w, h=h, name=m.group(5), mark=m.group(6)))
            keys[mask] = []
            continue
        m = re.match(r'LM_RC_KEY\((\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+), (\w+), "([^"]*)"\)', line)
        if m:
            mask, x, y, w, h, key = map(int, m.groups()[:6])
            keys[mask].append(dict(x=x, y=y, w=w, h=h, key=key, look=m.group(7), label=m.group(8)))
    return models, keys


# Colours per model: face, key, key border, label, navigation key, brand text.
THEMES = {
    2: ((52, 58, 68), (214, 218, 224), (120, 126, 136), (30, 34, 40), (176, 196, 222), (160, 168, 182)),
    8: ((30, 30, 34), (200, 202, 206), (110, 112, 118), (24, 24, 28), (230, 190, 90), (150, 150, 156)),
    16: ((72, 76, 84), (222, 224, 228), (130, 134, 142), (34, 36, 42), (160, 200, 230), (190, 194, 202)),
    64: ((40, 48, 64), (210, 216, 226), (110, 120, 140), (26, 32, 44), (120, 170, 220), (150, 164, 190)),
    1024: ((160, 166, 174), (244, 244, 246), (96, 100, 108), (40, 42, 48), (64, 72, 88), (60, 64, 72)),
    2048: ((226, 228, 232), (92, 98, 110), (58, 62, 70), (250, 250, 250), (70, 112, 166), (120, 124, 132)),
}
RED, GREEN, YELLOW, BLUE = (214, 46, 42), (52, 160, 72), (232, 196, 40), (48, 104, 206)


def draw_remote(model, keys):
    face, key_fill, key_border, label, nav, brand = THEMES[model['mask']]
    palette = [(240, 240, 240), (22, 24, 28), face, key_fill, key_border, label, nav, RED, (255, 255, 255),
               GREEN, YELLOW, BLUE, brand, (80, 14, 14)]
    BG, OUTLINE, FACE, KEY, BORDER, LABEL, NAV, C_RED, WHITE, C_GREEN, C_YELLOW, C_BLUE, BRAND, IR = range(14)
    w, h = model['w'], model['h']
    c = Canvas(w, h, BG)
    c.rounded(1, 1, w - 2, h - 2, 14, OUTLINE)
    c.rounded(3, 3, w - 6, h - 6, 12, FACE)
    c.rounded(w // 2 - 10, 10, 20, 6, 3, IR)
    looks = {'KEY': (KEY, LABEL), 'NAV': (NAV, LABEL if model['mask'] != 1024 else WHITE),
             'POWER': (C_RED, WHITE), 'RED': (C_RED, WHITE), 'GREEN': (C_GREEN, WHITE),
             'YELLOW': (C_YELLOW, LABEL), 'BLUE': (C_BLUE, WHITE)}
    for k in keys:
        fill, ink = looks[k['look']]
        x, y, kw, kh = k['x'], k['y'], k['w'], k['h']
        c.fill(x, y, kw, kh, BORDER if k['look'] in ('KEY', 'NAV') else fill)
        c.fill(x + 1, y + 1, kw - 2, kh - 2, fill)
        for cx, cy in ((x, y), (x + kw - 1, y), (x, y + kh - 1), (x + kw - 1, y + kh - 1)):
            c.px[cy][cx] = FACE  # rounded corners
        if not k['label']:
            continue
        lines = label_lines(k['label'], True)
        tw, th = measure(lines)
        if tw > kw - 4 or th > kh - 4:
            lines = label_lines(k['label'], False)
            tw, th = measure(lines)
        if tw > kw - 3 or th > kh - 3:
            raise SystemExit('label %r does not fit key %d of model %d' % (k['label'], k['key'], model['mask']))
        c.text(x + kw // 2, y + (kh - th + 1) // 2, lines,
               {'label': ink, 'rec': C_RED if fill != C_RED else WHITE})
    bottom = max(k['y'] + k['h'] for k in keys)
    brand_y = max(bottom + 12, h - 44)
    c.text(w // 2, brand_y, label_lines('LUMORA', True), {'label': BRAND})
    if model['mark']:
        c.text(w // 2, brand_y + 11, label_lines(model['mark'], False), {'label': BRAND})
    return c, palette


def write_bmp4(path, canvas, palette):
    assert len(palette) <= 16
    row_bytes = ((canvas.w + 1) // 2 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(canvas.h)):
        row = canvas.px[y] + [0]
        line = bytearray((row[x] << 4) | row[x + 1] for x in range(0, canvas.w, 2))
        pixels += line + bytes(row_bytes - len(line))
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.w, canvas.h, 1, 4, 0, len(pixels), 2835, 2835, len(palette),
                       len(palette))
    data = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + info + colours + bytes(pixels)
    with open(path, 'wb') as f:
        f.write(data)


# --- A baseline JPEG writer (YCbCr without subsampling, the standard tables at quality 90). ---
ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14,
          21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53,
          60, 61, 54, 47, 55, 62, 63]
Q_LUMA = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22,
          29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92, 49, 64, 78, 87, 103,
          121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
Q_CHROMA = [17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99,
            99, 99, 99, 99, 99] + [99] * 32
# Huffman tables: counts of codes of length 1..16, then the values.
DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUMA = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], bytes.fromhex(
    '01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a25262728292a3435363738'
    '393a434445464748494a535455565758595a636465666768696a737475767778797a838485868788898a92939495969798999aa2a3a4a5'
    'a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa'))
AC_CHROMA = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex(
    '000102031104052131061241510761711322328108144291a1b1c109233352f0156272d10a162434e125f11718191a262728292a353637'
    '38393a434445464748494a535455565758595a636465666768696a737475767778797a82838485868788898a92939495969798999aa2a3'
    'a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9eaf2f3f4f5f6f7f8f9fa'))


def huffman_codes(table):
    counts, values = table
    codes, code, i = {}, 0, 0
    for length, n in enumerate(counts, 1):
        for _ in range(n):
            codes[values[i]] = (code, length)
            code += 1
            i += 1
        code <<= 1
    return codes


class BitWriter:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, code, length):
        self.acc = (self.acc << length) | code
        self.n += length
        while self.n >= 8:
            byte = (self.acc >> (self.n - 8)) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)
            self.n -= 8
        self.acc &= (1 << self.n) - 1

    def flush(self):
        if self.n:
            self.put((1 << (8 - self.n)) - 1, 8 - self.n)


def write_jpeg(path, width, height, rgb):
    quality = 90
    scale = 200 - quality * 2
    tables = [[min(max((q * scale + 50) // 100, 1), 255) for q in base] for base in (Q_LUMA, Q_CHROMA)]
    cos = [[math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)] for u in range(8)]
    alpha = [math.sqrt(0.5) if u == 0 else 1.0 for u in range(8)]
    huff = [(huffman_codes(DC_LUMA), huffman_codes(AC_LUMA)), (huffman_codes(DC_CHROMA), huffman_codes(AC_CHROMA))]
    bits = BitWriter()
    last_dc = [0, 0, 0]

    def encode_value(v):
        size = abs(v).bit_length()
        return size, (v if v >= 0 else v + (1 << size) - 1)

    def block(samples, comp):
        qt = tables[min(comp, 1)]
        dc_codes, ac_codes = huff[min(comp, 1)]
        coeffs = [0] * 64
        for v in range(8):
            for u in range(8):
                s = sum(samples[y * 8 + x] * cos[u][x] * cos[v][y] for y in range(8) for x in range(8))
                coeffs[v * 8 + u] = round(0.25 * alpha[u] * alpha[v] * s / qt[v * 8 + u])
        zz = [coeffs[i] for i in ZIGZAG]
        diff = zz[0] - last_dc[comp]
        last_dc[comp] = zz[0]
        size, value = encode_value(diff)
        bits.put(*dc_codes[size])
        if size:
            bits.put(value, size)
        run = 0
        for coefficient in zz[1:]:
            if coefficient == 0:
                run += 1
                continue
            while run > 15:
                bits.put(*ac_codes[0xF0])
                run -= 16
            size, value = encode_value(coefficient)
            bits.put(*ac_codes[(run << 4) | size])
            bits.put(value, size)
            run = 0
        if run:
            bits.put(*ac_codes[0x00])

    for by in range(0, height, 8):
        for bx in range(0, width, 8):
            planes = [[], [], []]
            for y in range(by, by + 8):
                for x in range(bx, bx + 8):
                    r, g, b = rgb[min(y, height - 1)][min(x, width - 1)]
                    planes[0].append(0.299 * r + 0.587 * g + 0.114 * b - 128)
                    planes[1].append(-0.168736 * r - 0.331264 * g + 0.5 * b)
                    planes[2].append(0.5 * r - 0.418688 * g - 0.081312 * b)
            for comp in range(3):
                block(planes[comp], comp)
    bits.flush()

    def segment(marker, payload):
        return struct.pack('>BBH', 0xFF, marker, len(payload) + 2) + payload

    data = b'\xFF\xD8' + segment(0xE0, b'JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00')
    for i, qt in enumerate(tables):
        data += segment(0xDB, bytes([i]) + bytes(qt[z] for z in ZIGZAG))
    data += segment(0xC0, struct.pack('>BHHB', 8, height, width, 3) + bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1]))
    for cls_id, (counts, values) in ((0x00, DC_LUMA), (0x10, AC_LUMA), (0x01, DC_CHROMA), (0x11, AC_CHROMA)):
        data += segment(0xC4, bytes([cls_id]) + bytes(counts) + bytes(values))
    data += segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0])) + bytes(bits.out) + b'\xFF\xD9'
    with open(path, 'wb') as f:
        f.write(data)


def draw_footer():
    """The overview's footer picture: a small remote and the program's name, on white."""
    teal, dark = (0, 112, 120), (40, 44, 52)
    colours = [(255, 255, 255), teal, dark, (214, 218, 224), RED, GREEN, YELLOW, BLUE]
    w, h = 152, 48
    c = Canvas(w, h, 0)
    c.rounded(8, 4, 18, 40, 4, 2)
    for i, colour in enumerate((4, 5, 6, 7)):
        c.fill(11 + i * 3, 26, 2, 2, colour)
    c.rounded(14, 8, 6, 6, 3, 4)
    for row in range(2):
        for col in range(3):
            c.fill(11 + col * 4, 32 + row * 4, 3, 2, 3)
    big = label_lines('LUMORA', True)
    x = 36
    for rows, _ in big[0]:
        scaled = [''.join(ch * 3 for ch in row) for row in rows for _ in range(3)]
        c.ink(x, 5, scaled, 1)
        x += 18
    c.text(36 + 105 // 2, 31, label_lines('REMOTE CONTROL', True), {'label': 2})
    return [[colours[i] for i in row] for row in c.px], w, h


def main(root):
    models, keys = read_table(os.path.join(root, 'res', 'remotes', 'Remotes.inc'))
    for model in models:
        canvas, palette = draw_remote(model, keys[model['mask']])
        write_bmp4(os.path.join(root, 'res', 'remotes', 'Remote%d.bmp' % model['mask']), canvas, palette)
    rgb, w, h = draw_footer()
    os.makedirs(os.path.join(root, 'res', 'overview'), exist_ok=True)
    write_jpeg(os.path.join(root, 'res', 'overview', 'Marvix.jpg'), w, h, rgb)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
