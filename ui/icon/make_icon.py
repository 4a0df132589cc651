#!/usr/bin/env python3
"""Draws the window icon: two text pages, a marked segment on the front one struck through.

Writes a 77 x 65 BMP in 24-bit colour, and the same image as a Windows icon for the Win32
program's resources. Run it again after changing the drawing:
    python3 ui/icon/make_icon.py ui/icon/segment-replace.bmp ui/icon/segment-replace.ico
"""
import struct
import sys

WIDTH, HEIGHT = 77, 65


def blend(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def draw():
    px = [[(0, 0, 0)] * WIDTH for _ in range(HEIGHT)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            for x in range(max(0, x0), min(WIDTH, x1)):
                px[y][x] = colour

    def background(y):
        return blend((70, 130, 200), (24, 64, 120), y / (HEIGHT - 1))

    # Background: a vertical blue gradient.
    for y in range(HEIGHT):
        for x in range(WIDTH):
            px[y][x] = background(y)

    def page(x0, y0, x1, y1, fold, paper, edge):
        rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, edge)
        rect(x0, y0, x1, y1, paper)
        # Dog-ear in the top right corner: the cut-off corner shows the background, the fold
        # below the diagonal is shaded.
        for i in range(fold + 1):
            for x in range(x1 - fold + i, x1 + 1):
                px[y0 - 1 + i][x] = background(y0 - 1 + i)
            px[y0 - 1 + i][x1 - fold + i - 1] = edge
            for x in range(x1 - fold, x1 - fold + i - 1):
                px[y0 - 1 + i][x] = (205, 212, 222)
        rect(x1 - fold, y0 + fold - 1, x1 + 1, y0 + fold, edge)

    def text_lines(x0, y0, lengths, colour):
        for row, length in enumerate(lengths):
            rect(x0, y0 + row * 6, x0 + length, y0 + row * 6 + 2, colour)

    # The page behind.
    page(38, 12, 70, 60, 7, (226, 232, 240), (40, 52, 70))
    text_lines(42, 24, [22, 18, 24, 14, 20, 16], (150, 160, 175))

    # The page in front.
    page(8, 5, 46, 58, 9, (255, 255, 255), (30, 40, 58))
    text_lines(12, 17, [24, 30, 0, 28, 22, 30, 18], (120, 128, 140))

    # The marked segment: highlighted, its word struck through and the new text after it.
    rect(11, 27, 44, 34, (255, 214, 64))
    rect(13, 29, 27, 32, (40, 40, 40))
    rect(12, 30, 28, 31, (214, 32, 32))
    rect(30, 29, 42, 32, (24, 96, 200))
    return px


def write_bmp(path, px):
    row_size = (WIDTH * 3 + 3) // 4 * 4
    image = bytearray()
    for y in reversed(range(HEIGHT)):
        row = bytearray()
        for r, g, b in px[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        image += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + image)


def write_ico(path, bmp_path):
    """One image: the BMP's own header and pixels, twice as tall for the (empty) AND mask."""
    with open(bmp_path, "rb") as source:
        dib = bytearray(source.read()[14:])
    struct.pack_into("<i", dib, 8, HEIGHT * 2)
    dib += b"\0" * ((WIDTH + 31) // 32 * 4 * HEIGHT)  # every pixel opaque
    entry = struct.pack("<BBBBHHII", WIDTH, HEIGHT, 0, 0, 1, 24, len(dib), 6 + 16)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, 1) + entry + dib)


if __name__ == "__main__":
    bmp = sys.argv[1] if len(sys.argv) > 1 else "segment-replace.bmp"
    write_bmp(bmp, draw())
    if len(sys.argv) > 2:
        write_ico(sys.argv[2], bmp)
