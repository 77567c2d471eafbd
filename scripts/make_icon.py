#!/usr/bin/env python3
"""Draws the program's icon: a 32 x 32, 16-colour page with a green check mark.

Run it from the top of the tree to write res/corvane.ico; the result is committed,
so builds do not need it.
"""
import struct
import sys

# The 16-colour VGA palette, as blue, green, red, reserved.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_GREEN, SILVER, GREY, GREEN, WHITE = 0, 2, 7, 8, 10, 15
TRANSPARENT = None


def draw():
    px = [[TRANSPARENT] * 32 for _ in range(32)]
    # The page, with a folded corner.
    for y in range(2, 30):
        for x in range(5, 25):
            px[y][x] = WHITE
    for y in range(2, 30):
        px[y][5] = px[y][24] = GREY
    for x in range(5, 25):
        px[2][x] = px[29][x] = GREY
    for i in range(6):
        for x in range(24 - 6 + i, 25):
            px[2 + i][x] = TRANSPARENT if x > 24 - 6 + i else GREY
        px[7][24 - 6 + i] = GREY
    for y in range(2, 8):
        px[y][18] = GREY
    # Lines of text on the page.
    for y in (10, 13, 16):
        for x in range(8, 21):
            px[y][x] = SILVER
    # A check mark over the lower part.
    mark = [(8, 20), (9, 21), (10, 22), (11, 23), (12, 24), (13, 23), (14, 22), (15, 21),
            (16, 20), (17, 19), (18, 18), (19, 17), (20, 16), (21, 15), (22, 14), (23, 13)]
    for x, y in mark:
        for dy in range(-1, 3):
            for dx in range(0, 2):
                colour = DARK_GREEN if dy in (-1, 2) else GREEN
                px[y + dy][x + dx] = colour
    return px


def ico(px):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(32)):
        row = px[y]
        for x in range(0, 32, 2):
            hi = row[x] if row[x] is not None else BLACK
            lo = row[x + 1] if row[x + 1] is not None else BLACK
            xor.append(hi << 4 | lo)
        bits = 0
        for x in range(32):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "res/corvane.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))
