#!/usr/bin/env python3
"""The HTML overview in a real browser: each golden page is put beside the shipped style sheet and
footer picture, rendered by headless Chromium into a PNG (kept in the output folder), and the picture is
checked: the page's size, the key grid as bands of cells in the cells' colour (one band per row of keys),
and the footer picture's colour below the grid. Each page is also printed to PDF, which must take one A4
page.

    overview_render.py --chromium PATH --source REPOSITORY --out FOLDER
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zlib

WIDTH, HEIGHT = 900, 1300
CELL = (0xD3, 0xEC, 0xEE)       # table.tealtable td in Marvix.css
PICTURE = (0x00, 0x70, 0x78)    # the name in Marvix.jpg
# Golden page, rows of keys it shows.
PAGES = [('overview-picture.htm', 16), ('overview-midi.htm', 3)]


def read_png(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG without interlacing."""
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
    at, idat, header = 8, b'', None
    while at < len(data):
        size = int.from_bytes(data[at:at + 4], 'big')
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + size]
        if kind == b'IHDR':
            header = body
        elif kind == b'IDAT':
            idat += body
        at += 12 + size
    width, height = int.from_bytes(header[0:4], 'big'), int.from_bytes(header[4:8], 'big')
    depth, colour, interlace = header[8], header[9], header[12]
    assert depth == 8 and colour in (2, 6) and interlace == 0, 'unexpected PNG format'
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def near(a, b, tolerance):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def render(chromium, page, output):
    """A screenshot (output ending in .png) or a print (.pdf) of the page."""
    with tempfile.TemporaryDirectory() as profile:
        command = [chromium, '--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
                   '--disable-component-update', '--no-first-run', '--hide-scrollbars', '--no-pdf-header-footer',
                   '--user-data-dir=' + profile, '--window-size=%d,%d' % (WIDTH, HEIGHT),
                   ('--screenshot=' if output.endswith('.png') else '--print-to-pdf=') + output, 'file://' + page]
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=90, check=True)


def printed_pages(pdf):
    """The pages of a PDF and whether all of them are A4 (595 x 842 points)."""
    data = open(pdf, 'rb').read()
    pages = len(re.findall(rb'/Type\s*/Page(?!s)', data))
    boxes = re.findall(rb'/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\]', data)
    a4 = bool(boxes) and all(abs(float(w) - 595) < 2 and abs(float(h) - 842) < 2 for w, h in boxes)
    return pages, a4


def check(png, rows_of_keys):
    """Problems found in the rendered page (empty when it shows what it should)."""
    width, height, rows = read_png(png)
    problems = []
    if (width, height) != (WIDTH, HEIGHT):
        problems.append('size %dx%d' % (width, height))
        return problems
    cell_rows = [sum(1 for p in row if p == CELL) for row in rows]
    bands, inside = [], False
    for y, n in enumerate(cell_rows):
        if n >= width // 8 and not inside:
            bands.append(y)
        inside = n >= width // 8
    if len(bands) != rows_of_keys:
        problems.append('%d bands of key cells, expected %d' % (len(bands), rows_of_keys))
    if sum(cell_rows) < rows_of_keys * 20 * width // 8:
        problems.append('only %d pixels of key cells' % sum(cell_rows))
    last = max((y for y, n in enumerate(cell_rows) if n), default=0)
    picture = sum(1 for row in rows[last:] for p in row if near(p, PICTURE, 40))
    if picture < 300:
        problems.append('footer picture not seen below the keys (%d pixels)' % picture)
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--chromium', required=True)
    parser.add_argument('--source', required=True)
    parser.add_argument('--out', required=True)
    args = parser.parse_args()
    failed = False
    for name, rows_of_keys in PAGES:
        folder = os.path.join(args.out, os.path.splitext(name)[0])
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(args.source, 'tests', 'golden', name), os.path.join(folder, 'Marvix.htm'))
        for shipped in ('Marvix.css', 'Marvix.jpg'):
            shutil.copy(os.path.join(args.source, 'res', 'overview', shipped), folder)
        png = os.path.join(args.out, os.path.splitext(name)[0] + '.png')
        if os.path.exists(png):
            os.remove(png)
        page = os.path.abspath(os.path.join(folder, 'Marvix.htm'))
        render(args.chromium, page, png)
        problems = check(png, rows_of_keys)
        pdf = os.path.join(args.out, os.path.splitext(name)[0] + '.pdf')
        render(args.chromium, page, pdf)
        pages, a4 = printed_pages(pdf)
        if pages != 1 or not a4:
            problems.append('printed on %d pages%s' % (pages, '' if a4 else ', not A4'))
        print('%s: %s (%s)' % (name, 'ok' if not problems else '; '.join(problems), png))
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
