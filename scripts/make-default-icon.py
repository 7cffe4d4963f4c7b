#!/usr/bin/env python3
"""Writes the default entry picture (16 x 16, 24 bits) and its mask (1 bit, set = transparent)
that VaroqCore.dll carries as bitmap resources 1 and 2. Run it after changing the drawing:
    python3 scripts/make-default-icon.py core/Osubstrm/res
"""
import struct
import sys

# A plain program window with a question mark: an entry whose own picture is unknown.
DRAWING = [
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KBBBBBBBBBWBWK.",
    ".KBBBBBBBBBBBBK.",
    ".KKKKKKKKKKKKKK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWWQQQQWWWWK.",
    ".KWWWQQWWQQWWWK.",
    ".KWWWWWWWQQWWWK.",
    ".KWWWWWWQQWWWWK.",
    ".KWWWWWQQWWWWWK.",
    ".KWWWWWQQWWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWWWQQWWWWWK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]
COLOURS = {  # (red, green, blue)
    ".": (0, 0, 0),  # transparent: black under a set mask bit
    "K": (64, 64, 64),
    "B": (40, 90, 170),
    "W": (255, 255, 255),
    "Q": (40, 90, 170),
}


def bmp(width, height, bits, table, rows):
    stride = (width * bits + 31) // 32 * 4
    pixels = b"".join(row.ljust(stride, b"\0") for row in reversed(rows))
    offset = 14 + 40 + 4 * len(table)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835, len(table), 0)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return header + info + b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in table) + pixels


def main(folder):
    picture_rows = [b"".join(bytes(reversed(COLOURS[c])) for c in line) for line in DRAWING]
    mask_rows = []
    for line in DRAWING:
        value = 0
        for c in line:
            value = value << 1 | (c == ".")
        mask_rows.append(struct.pack(">H", value))
    with open(f"{folder}/default-picture.bmp", "wb") as f:
        f.write(bmp(16, 16, 24, [], picture_rows))
    with open(f"{folder}/default-mask.bmp", "wb") as f:
        f.write(bmp(16, 16, 1, [(0, 0, 0), (255, 255, 255)], mask_rows))


if __name__ == "__main__":
    main(sys.argv[1])
