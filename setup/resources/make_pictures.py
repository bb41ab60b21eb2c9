#!/usr/bin/python3
"""Draws the installer's pictures: the logo VRMARK (175 x 189, 24 bits), the product icon
VORN and the installer icon Setup (16 x 16 and 32 x 32 images each).
Run with Debian's python3 (PIL): /usr/bin/python3 make_pictures.py"""
import os
import struct
from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 colours the editor offers, used for the logo's swatches.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# A 12 x 12 pixel picture of a pencil over a colour stroke: the editor's own subject.
PENCIL = [
    "..........kk",
    ".........kyk",
    "........kyyk",
    ".......kyyk.",
    "......kyyk..",
    ".....kyyk...",
    "....kyyk....",
    "...kyyk.....",
    "..kwyk......",
    ".kwwk.......",
    "rkkk..gggbbb",
    "rrr.........",
]
PENCIL_COLORS = {"k": (0, 0, 0), "y": (255, 200, 0), "w": (240, 220, 180),
                 "r": (255, 0, 0), "g": (0, 160, 0), "b": (0, 0, 255)}

# 5 x 7 block letters for the name.
LETTERS = {
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "I": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
}


def draw_cells(draw, rows, colors, left, top, cell, mesh):
    for y, row in enumerate(rows):
        for x, key in enumerate(row):
            if key in colors:
                x0, y0 = left + x * cell, top + y * cell
                draw.rectangle([x0, y0, x0 + cell - 1 - mesh, y0 + cell - 1 - mesh],
                               fill=colors[key])


def make_logo():
    logo = Image.new("RGB", (175, 189), (255, 255, 255))
    draw = ImageDraw.Draw(logo)
    draw.rectangle([0, 0, 174, 188], outline=(0, 0, 96), width=3)
    # The canvas: a magnified pencil with the editor's mesh.
    left, top, cell = 27, 12, 10
    draw.rectangle([left - 1, top - 1, left + 12 * cell, top + 12 * cell], fill=(208, 208, 224))
    for y in range(12):
        for x in range(12):
            x0, y0 = left + x * cell, top + y * cell
            draw.rectangle([x0, y0, x0 + cell - 2, y0 + cell - 2], fill=(255, 255, 255))
    draw_cells(draw, PENCIL, PENCIL_COLORS, left, top, cell, 1)
    # The palette: sixteen swatches in one row.
    for i, color in enumerate(PALETTE):
        x0 = 8 + i * 10
        draw.rectangle([x0, 138, x0 + 8, 146], fill=color, outline=(64, 64, 64))
    # The name in block letters.
    x = (175 - (7 * 18 - 3)) // 2
    for letter in "PIXMORA":
        draw_cells(draw, LETTERS[letter], {"#": (0, 0, 160)}, x, 157, 3, 0)
        x += 18
    logo.save(os.path.join(HERE, "vrmark.bmp"))


def icon_image(size, kind):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(img)
    s = size / 32
    if kind == "vorn":
        # The product: a framed canvas with the pencil.
        draw.rectangle([0, 0, size - 1, size - 1], fill=(255, 255, 255, 255),
                       outline=(0, 0, 128, 255))
        cell = max(1, int(2 * s))
        draw_cells(draw, PENCIL, {k: v + (255,) for k, v in PENCIL_COLORS.items()},
                   int(4 * s), int(4 * s), cell, 0)
    else:
        # The installer: a box with an arrow going into it.
        draw.rectangle([int(3 * s), int(14 * s), int(28 * s), int(29 * s)],
                       fill=(200, 150, 80, 255), outline=(90, 60, 20, 255))
        draw.line([int(3 * s), int(19 * s), int(28 * s), int(19 * s)], fill=(90, 60, 20, 255))
        draw.rectangle([int(13 * s), int(2 * s), int(18 * s), int(10 * s)], fill=(0, 0, 255, 255))
        draw.polygon([(int(8 * s), int(10 * s)), (int(23 * s), int(10 * s)),
                      (int(15.5 * s), int(17 * s))], fill=(0, 0, 255, 255))
    return img


def ico_bytes(images):
    """An icon file of 32-bit images with AND masks, the classic layout every loader reads."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b"".join(bytes((b, g, r, a)) for y in range(h - 1, -1, -1)
                          for (r, g, b, a) in (img.getpixel((x, y)) for x in range(w)))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                if img.getpixel((x, y))[3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        blob = header + pixels + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def make_icon(kind, name):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(ico_bytes([icon_image(32, kind), icon_image(16, kind)]))


if __name__ == "__main__":
    make_logo()
    make_icon("vorn", "vorn.ico")
    make_icon("setup", "setup.ico")
