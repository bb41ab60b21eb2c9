#!/usr/bin/python3
# Draws the editor's 32 x 32, 16-colour icons and writes them as .ico files into icons/.
# Run: /usr/bin/python3 make_icons.py [--sheet sheet.png]  (the sheet needs PIL; the icons do not)
import math
import os
import struct
import sys

SIZE = 32

# The 16 standard colours in colour-table order, as (red, green, blue), each with the letter
# the pictures below use for it. '.' is a transparent pixel.
COLOURS = [
    ("K", (0x00, 0x00, 0x00)),  # black
    ("M", (0x80, 0x00, 0x00)),  # maroon
    ("G", (0x00, 0x80, 0x00)),  # green
    ("O", (0x80, 0x80, 0x00)),  # olive
    ("N", (0x00, 0x00, 0x80)),  # navy
    ("P", (0x80, 0x00, 0x80)),  # purple
    ("T", (0x00, 0x80, 0x80)),  # teal
    ("D", (0x80, 0x80, 0x80)),  # dark grey
    ("S", (0xC0, 0xC0, 0xC0)),  # silver
    ("R", (0xFF, 0x00, 0x00)),  # red
    ("L", (0x00, 0xFF, 0x00)),  # lime
    ("Y", (0xFF, 0xFF, 0x00)),  # yellow
    ("B", (0x00, 0x00, 0xFF)),  # blue
    ("F", (0xFF, 0x00, 0xFF)),  # fuchsia
    ("C", (0x00, 0xFF, 0xFF)),  # cyan
    ("W", (0xFF, 0xFF, 0xFF)),  # white
]
INDEX = {letter: i for i, (letter, _) in enumerate(COLOURS)}
CLEAR = "."


# ---- Drawing on a picture: a list of 32 rows, each a list of 32 letters ---------------------
def blank():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def put(pic, x, y, c):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        pic[y][x] = c


def fill_where(pic, inside, c):
    """Paints every pixel whose centre satisfies inside(x, y)."""
    for y in range(SIZE):
        for x in range(SIZE):
            if inside(x + 0.5, y + 0.5):
                pic[y][x] = c


def rect(pic, left, top, right, bottom, c, thick=None):
    """Rectangle covering left..right, top..bottom inclusive; a frame when thick is given."""
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = min(x - left, right - x, y - top, bottom - y)
            if thick is None or edge < thick:
                put(pic, x, y, c)


def in_ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def ellipse(pic, cx, cy, rx, ry, c, thick=None):
    outer = in_ellipse(cx, cy, rx, ry)
    if thick is None:
        fill_where(pic, outer, c)
    else:
        inner = in_ellipse(cx, cy, rx - thick, ry - thick)
        fill_where(pic, lambda x, y: outer(x, y) and not inner(x, y), c)


def near_segment(x0, y0, x1, y1, half):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / float(dx * dx + dy * dy)))
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) <= half

    return inside


def line(pic, x0, y0, x1, y1, c, half=0.5):
    fill_where(pic, near_segment(x0 + 0.5, y0 + 0.5, x1 + 0.5, y1 + 0.5, half), c)


def outline(pic, colour="K", region=None):
    """Blackens the pixels of the drawn shape that touch a transparent pixel or the edge."""
    cells = [(x, y) for y in range(SIZE) for x in range(SIZE) if pic[y][x] != CLEAR]
    if region is not None:
        cells = [(x, y) for (x, y) in cells if region(x, y)]
    border = []
    for x, y in cells:
        for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
            if not (0 <= nx < SIZE and 0 <= ny < SIZE) or pic[ny][nx] == CLEAR:
                border.append((x, y))
                break
    for x, y in border:
        pic[y][x] = colour


def overlay(pic, left, top, rows):
    """Copies a small character grid onto the picture; '.' in the grid leaves the pixel."""
    for j, row in enumerate(rows):
        for i, c in enumerate(row):
            if c != CLEAR:
                put(pic, left + i, top + j, c)


def pencil(pic, tip, direction, length, half, body="Y", shade="O", wood="S", band="S", cap="F"):
    """A pencil lying at 45 degrees: its graphite tip at tip, its body along direction (a pair
    of +1/-1), half the given width across; outlined in black."""
    tx, ty = tip
    dx, dy = direction
    drawn = blank()
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5 - tx, y + 0.5 - ty
            along = (px * dx + py * dy) / math.sqrt(2)
            across = (px * dy - py * dx) / math.sqrt(2)
            if along < 0 or along > length:
                continue
            cone = length * 0.22
            width = half if along >= cone else half * along / cone
            if abs(across) > width + 0.35:
                continue
            if along < cone * 0.4:
                c = "K"
            elif along < cone:
                c = wood
            elif along < length * 0.78:
                c = shade if across > half * 0.35 else body
            elif along < length * 0.88:
                c = band
            else:
                c = cap
            drawn[y][x] = c
    outline(drawn)
    for y in range(SIZE):
        for x in range(SIZE):
            if drawn[y][x] != CLEAR:
                pic[y][x] = drawn[y][x]


# ---- The pictures -------------------------------------------------------------------------------
def pen_tool():
    pic = blank()
    pencil(pic, (3.5, 28.5), (1, -1), 35, 4.6)
    return pic


def shape_tool(kind, filled):
    pic = blank()
    if kind == "rect":
        if filled:
            rect(pic, 3, 7, 28, 24, "B")
        rect(pic, 3, 7, 28, 24, "K", thick=2)
    else:
        if filled:
            ellipse(pic, 16, 16, 13.5, 10.5, "B")
        ellipse(pic, 16, 16, 13.5, 10.5, "K", thick=2)
    return pic


def dashed_frame(pic, left, top, right, bottom):
    """A selection frame: black and white dashes running round the rectangle."""
    path = []
    path += [(x, top) for x in range(left, right)]
    path += [(right, y) for y in range(top, bottom)]
    path += [(x, bottom) for x in range(right, left, -1)]
    path += [(left, y) for y in range(bottom, top, -1)]
    for i, (x, y) in enumerate(path):
        put(pic, x, y, "K" if (i // 3) % 2 == 0 else "W")


def small_house(pic, left, top):
    # The little picture that is copied: a house with a red roof.
    overlay(pic, left, top, [
        "....RR....",
        "...RRRR...",
        "..RRRRRR..",
        ".RRRRRRRR.",
        "RRRRRRRRRR",
        ".YYYYYYYY.",
        ".YBBYYMMY.",
        ".YBBYYMMY.",
        ".YYYYYMMY.",
        "GGGGGGGGGG",
    ])


def copy_rect_tool():
    # Kept inside columns and rows 0 to 29: the tool bar's border hides the rest of the
    # last icon.
    pic = blank()
    rect(pic, 1, 1, 17, 17, "W")
    small_house(pic, 5, 5)
    dashed_frame(pic, 1, 1, 17, 17)
    rect(pic, 12, 12, 29, 29, "W")
    rect(pic, 12, 12, 29, 29, "K", thick=1)
    small_house(pic, 16, 16)
    return pic


def checkers(pic, left, top, right, bottom):
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            put(pic, x, y, "S" if ((x - left) // 4 + (y - top) // 4) % 2 == 0 else "W")


def opaque_tool():
    pic = blank()
    checkers(pic, 2, 2, 21, 21)
    rect(pic, 2, 2, 21, 21, "D", thick=1)
    rect(pic, 10, 10, 29, 29, "K")  # a solid square hides what lies behind it
    rect(pic, 11, 11, 28, 11, "D")
    rect(pic, 11, 11, 11, 28, "D")
    return pic


def transparent_tool():
    pic = blank()
    checkers(pic, 2, 2, 21, 21)
    rect(pic, 2, 2, 21, 21, "D", thick=1)
    checkers(pic, 10, 10, 29, 29)  # ... or lets it show through
    for i in range(10, 30):
        for x, y in ((i, 10), (i, 29), (10, i), (29, i)):
            put(pic, x, y, "K" if (i // 2) % 2 == 0 else "W")
    return pic


def camera():
    pic = blank()
    rect(pic, 10, 5, 21, 9, "D")  # viewfinder hump
    rect(pic, 23, 7, 26, 9, "R")  # shutter button
    rect(pic, 2, 9, 29, 27, "S")  # body
    rect(pic, 2, 13, 29, 23, "D")  # leather band
    outline(pic)
    rect(pic, 4, 11, 8, 12, "W")  # flash window
    rect(pic, 24, 11, 27, 12, "K")
    ellipse(pic, 16, 18, 7.6, 7.6, "K")
    ellipse(pic, 16, 18, 6.2, 6.2, "S")
    ellipse(pic, 16, 18, 4.6, 4.6, "N")
    ellipse(pic, 16, 18, 2.8, 2.8, "B")
    rect(pic, 13, 15, 14, 16, "W")  # glint on the glass
    rect(pic, 23, 7, 26, 7, "K")
    return pic


def key():
    pic = blank()
    ellipse(pic, 9, 16, 7.6, 7.6, "Y")  # the bow
    rect(pic, 14, 13, 30, 18, "Y")  # the shaft
    rect(pic, 21, 18, 23, 23, "Y")  # the bit's teeth
    rect(pic, 26, 18, 28, 25, "Y")
    ellipse(pic, 8, 16, 2.9, 2.9, CLEAR)  # the hole
    outline(pic)
    ellipse(pic, 10.5, 18.5, 4.5, 3.5, "O")
    ellipse(pic, 8, 16, 4.3, 4.3, "Y")
    ellipse(pic, 8, 16, 2.9, 2.9, CLEAR)
    outline(pic, region=lambda x, y: x < 14)
    rect(pic, 15, 16, 29, 17, "O")
    outline(pic, region=lambda x, y: x >= 14)
    rect(pic, 4, 12, 5, 12, "W")  # shine on the bow
    return pic


def write():
    pic = blank()
    rect(pic, 3, 2, 22, 29, "W")  # the sheet
    rect(pic, 3, 2, 22, 29, "K", thick=1)
    rect(pic, 18, 2, 22, 6, CLEAR)  # a folded corner
    overlay(pic, 17, 2, ["K....", "KWK..", "KWWK.", "KSSSK", "KKKKK"])
    for y, right in ((9, 19), (13, 18), (17, 16), (21, 12)):
        line(pic, 6, y, right, y, "N")
    line(pic, 6, 25, 9, 25, "N")
    pencil(pic, (12.5, 25.5), (1, -1), 25, 3.4)
    return pic


def coffee():
    pic = blank()
    ellipse(pic, 15, 28, 14.6, 3.2, "S")  # saucer
    rect(pic, 22, 15, 28, 24, "W")  # handle
    rect(pic, 24, 17, 26, 22, CLEAR)
    fill_where(pic, lambda x, y: 4 <= x <= 23 and 11 <= y <= 28 - max(0, 15 - x, x - 12) // 3, "W")
    outline(pic)
    ellipse(pic, 14, 12.5, 9.2, 2.2, "M")  # the coffee
    fill_where(pic, lambda x, y: 19 <= x <= 21.5 and 14 <= y <= 26, "S")  # shade of the cup
    line(pic, 3, 28, 27, 28, "D")
    for x0 in (9, 14, 19):  # steam
        for y in range(1, 10):
            put(pic, x0 + (1 if (y // 3) % 2 else 0), y, "S")
    return pic


def pixmora_emblem():
    pic = blank()
    tiles = ["RYLGB", "YLCBN", "LCWFP", "CBFRM", "BNPMK"]
    for j in range(5):
        for i in range(5):
            rect(pic, 1 + i * 5, 1 + j * 5, 4 + i * 5, 4 + j * 5, tiles[j][i])
    for k in range(6):
        line(pic, k * 5, 0, k * 5, 25, "K")
        line(pic, 0, k * 5, 25, k * 5, "K")
    pencil(pic, (17.5, 17.5), (1, 1), 19, 4.0)
    return pic


def vornpro_mark():
    pic = blank()
    ellipse(pic, 16, 16, 15.2, 15.2, "C")
    ellipse(pic, 16, 16, 13.2, 13.2, "N")
    outline(pic)
    fill_where(pic, near_segment(9.0, 8.0, 16.0, 25.0, 2.2), "Y")
    fill_where(pic, near_segment(23.0, 8.0, 16.0, 25.0, 2.2), "Y")
    return pic


ICONS = [
    ("pen_tool.ico", "PENTOOL", pen_tool),
    ("rect_tool.ico", "RECTTOOL", lambda: shape_tool("rect", False)),
    ("fill_rect_tool.ico", "FILLRECTTOOL", lambda: shape_tool("rect", True)),
    ("ellipse_tool.ico", "ELLIPSETOOL", lambda: shape_tool("ellipse", False)),
    ("fill_ellipse_tool.ico", "FILLELLIPSETOOL", lambda: shape_tool("ellipse", True)),
    ("copy_rect_tool.ico", "COPYRECTTOOL", copy_rect_tool),
    ("opaque_tool.ico", "OPAQUE_TOOL", opaque_tool),
    ("transparent_tool.ico", "TRANSPARENT_TOOL", transparent_tool),
    ("camera.ico", "Camera", camera),
    ("key.ico", "Key", key),
    ("write.ico", "Write", write),
    ("coffee.ico", "Coffee", coffee),
    ("pixmora.ico", "AMosaro", pixmora_emblem),
    ("vornpro.ico", "ZVornpro", vornpro_mark),
]


# ---- The icon file: one 32 x 32 4-bit image, XOR bitmap then AND mask --------------------------
def ico_bytes(pic):
    xor_stride, and_stride = SIZE // 2, 4
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bottom-up
        row = pic[y]
        xor = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, c in enumerate(row):
            index = 0 if c == CLEAR else INDEX[c]
            xor[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if c == CLEAR:
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(xor))
        and_rows.append(bytes(mask))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in COLOURS)
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    image = header + table + pixels
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def check(pic, name):
    assert len(pic) == SIZE and all(len(r) == SIZE for r in pic), name
    for row in pic:
        for c in row:
            assert c == CLEAR or c in INDEX, (name, c)


def contact_sheet(pictures, path):
    """Every icon enlarged on checks, on the tool bar's white (plain and inverted as the chosen
    tool shows) and at the start picture's 64 x 64 on blue."""
    from PIL import Image

    zoom, cell = 6, SIZE * 6 + 12
    sheet = Image.new("RGB", (cell * 4 + 8, cell * len(pictures) + 8), (200, 200, 200))
    for n, pic in enumerate(pictures):
        top = 4 + n * cell
        for col in range(4):
            img = Image.new("RGB", (SIZE, SIZE))
            for y in range(SIZE):
                for x in range(SIZE):
                    c = pic[y][x]
                    if c != CLEAR:
                        rgb = COLOURS[INDEX[c]][1]
                    elif col == 0:
                        rgb = (150, 150, 150) if (x // 4 + y // 4) % 2 else (230, 230, 230)
                    elif col == 3:
                        rgb = (0, 0, 207)
                    else:
                        rgb = (255, 255, 255)
                    if col == 2 and 1 <= x <= 30 and 1 <= y <= 30:
                        rgb = tuple(255 - v for v in rgb)
                    img.putpixel((x, y), rgb)
            scale = 2 if col == 3 else zoom
            big = img.resize((SIZE * scale, SIZE * scale), Image.NEAREST)
            sheet.paste(big, (4 + col * cell, top))
    sheet.save(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "icons")
    os.makedirs(folder, exist_ok=True)
    pictures = []
    for file_name, resource, draw in ICONS:
        pic = draw()
        check(pic, resource)
        pictures.append(pic)
        with open(os.path.join(folder, file_name), "wb") as f:
            f.write(ico_bytes(pic))
    if "--sheet" in sys.argv:
        contact_sheet(pictures, sys.argv[sys.argv.index("--sheet") + 1])


if __name__ == "__main__":
    main()
