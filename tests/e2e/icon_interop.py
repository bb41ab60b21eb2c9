#!/usr/bin/python3
"""Icons of several images and of PNG images, between Pixmora and Pillow and ImageMagick.

generate DIR: their icons under DIR/others, and list.txt, a line for each image to edit:
              "FILE WIDTH HEIGHT PAINTX PAINTY CLEARX CLEARY" (CLEARX -1: none), with
              FILE.WxH.expect, the image as Pixmora must show it ("W H\\n", RGBA rows
              top-down), and FILE.WxH.deep, the 16-bit samples of a PNG that has them.
              Under DIR/made: source.ico and source256.ico, and made.txt, a line for each
              image Pixmora adds to source.ico through the Icon Images dialog:
              "ICON SIZE FORM HOW" (FORM 0 16 colours, 1 256 colours, 2 true colour BMP,
              3 PNG; HOW canvas or blank), each ICON saved under DIR/made/back; and Make All
              Sizes of source256.ico saved as DIR/made/back/all_sizes.ico.
check DIR:    Pixmora painted PAINT red, made CLEAR transparent and saved each icon under
              DIR/back. Both programs must read every such image with just those two pixels
              changed, every other pixel's colour and alpha as they were; a PNG stays a PNG.
              Each image Pixmora made must have the size, depth and pixels expected, read by
              both.
"""
import io
import os
import struct
import subprocess
import sys

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "files"))
from interop import (COLOURS, four_bit_block, icon_blocks, icon_file, load_convert,  # noqa
                     load_pil, picture, same_picture)


def graded(width, height):
    """RGBA whose alpha runs through 0, the values around the mask's 128, and 255."""
    alphas = [0, 40, 127, 128, 200, 255, 255]
    im = Image.new("RGBA", (width, height))
    for y in range(height):
        for x in range(width):
            im.putpixel((x, y), ((x * 37 + y) % 256, (y * 53 + 7) % 256, (x * y + 11) % 256,
                                 alphas[(x + 2 * y) % len(alphas)]))
    return im


def png_bytes(im, **options):
    buffer = io.BytesIO()
    im.save(buffer, "png", **options)
    return buffer.getvalue()


def convert(data, *args):
    """ImageMagick's output for PNG bytes."""
    return subprocess.run(["convert", "png:-", *args], input=data, check=True,
                          capture_output=True).stdout


def samples16(png):
    out = convert(png, "-depth", "16", "-endian", "MSB", "rgba:-")
    return list(struct.unpack(">%dH" % (len(out) // 2), out))


def block_of(path, w, h):
    return [b for bw, bh, _, b in icon_blocks(path) if (bw, bh) == (w, h)]


def generate(folder):
    out = os.path.join(folder, "others")
    os.makedirs(out, exist_ok=True)
    lines = []

    def listed(name, w, h, paint, clear, rgba, deep=None):
        with open(os.path.join(out, "%s.%dx%d.expect" % (name, w, h)), "wb") as f:
            f.write(b"%d %d\n" % (w, h) + rgba)
        if deep:
            with open(os.path.join(out, "%s.%dx%d.deep" % (name, w, h)), "wb") as f:
                f.write(struct.pack(">%dH" % len(deep), *deep))
        lines.append("%s %d %d %d %d %d %d" % ((name, w, h) + paint + clear))

    def png_icon(name, size, paint, clear, data=None, directory_size=None):
        """An icon of one PNG image (data; its directory giving it directory_size, when given),
        or one the program wrote; the image of that size as Pillow reads it, 16-bit samples
        shortened to their high byte as the codec does."""
        path = os.path.join(out, name)
        if data:
            icon = icon_file([struct.unpack(">II", data[16:24]) + (32, data)])
            if directory_size:
                icon = icon[:14] + struct.pack("<I", directory_size) + icon[18:]
            with open(path, "wb") as f:
                f.write(icon)
        block = data if directory_size else block_of(path, size, size)[0]
        assert block[:4] == b"\x89PNG", name
        deep = samples16(block) if block[24] == 16 else None
        rgba = bytes(s >> 8 for s in deep) if deep else Image.open(io.BytesIO(block)).convert(
            "RGBA").tobytes()
        listed(name, size, size, paint, clear, rgba, deep)

    # Pillow's own icons hold PNG images; of several sizes the one 32 wide is chosen, without
    # one the first.
    graded(32, 32).save(os.path.join(out, "pil_rgba.ico"), sizes=[(32, 32)])
    png_icon("pil_rgba.ico", 32, (1, 1), (5, 0))
    graded(256, 256).save(os.path.join(out, "pil_sizes.ico"),
                          sizes=[(16, 16), (48, 48), (32, 32), (256, 256)])
    png_icon("pil_sizes.ico", 32, (0, 0), (3, 4))
    graded(256, 256).save(os.path.join(out, "pil_large.ico"), sizes=[(48, 48), (256, 256)])
    png_icon("pil_large.ico", 48, (47, 47), (5, 1))
    # PNG images of each colour type and depth, written by one program or the other.
    palette = Image.new("P", (16, 16))
    palette.putpalette([0, 0, 0, 255, 255, 0, 0, 128, 255])
    palette.putdata([(x + y) % 3 for y in range(16) for x in range(16)])
    png_icon("pil_palette.ico", 16, (1, 1), (1, 0), png_bytes(palette, transparency=0))
    png_icon("pil_grey.ico", 48, (2, 3), (4, 4), png_bytes(graded(48, 48).convert("L")))
    png_icon("pil_grey_alpha.ico", 16, (3, 0), (5, 0), png_bytes(graded(16, 16).convert("LA")))
    png_icon("pil_rgb_1x1.ico", 1, (0, 0), (-1, -1), png_bytes(Image.new("RGB", (1, 1), (9, 99, 199))))
    grey16 = Image.new("I", (16, 16))
    grey16.putdata([x * 4001 + y * 37 + 1 for y in range(16) for x in range(16)])
    png_icon("pil_grey16.ico", 16, (15, 15), (0, 1), png_bytes(grey16))
    rgba = png_bytes(graded(32, 32))
    png_icon("im_interlaced.ico", 32, (31, 0), (0, 31), convert(rgba, "-interlace", "PNG", "png:-"))
    png_icon("im_palette.ico", 32, (6, 6), (7, 6), convert(rgba, "PNG8:-"))
    png_icon("im_rgba16.ico", 16, (1, 0), (2, 0), convert(png_bytes(grey16), "PNG64:-"))
    # PNG images that browsers show: one without its end chunk, one whose directory gives a
    # smaller size than its chunks have (they run on to the end of the file). The painted
    # pixel is a transparent one.
    whole = png_bytes(graded(32, 32))
    assert whole[-12:] == b"\0\0\0\0IEND\xaeB`\x82"
    png_icon("png_no_end.ico", 32, (0, 0), (5, 0), whole[:-12])
    png_icon("png_size_short.ico", 32, (7, 0), (5, 0), whole, directory_size=100)
    # ImageMagick's own icon of a 256 x 256 image, which it stores as PNG.
    graded(256, 256).save(os.path.join(out, "source256.png"))
    subprocess.run(["convert", os.path.join(out, "source256.png"), os.path.join(out, "im_256.ico")],
                   check=True)
    png_icon("im_256.ico", 256, (255, 0), (0, 255))

    # Two images in BMP form by ImageMagick: the 32 x 32 one opens, the 16 x 16 one is chosen
    # in the dialog.
    sources = []
    for size in (16, 32):
        sources.append(os.path.join(out, "clear%d.png" % size))
        picture(size, size, transparent=True).save(sources[-1])
    subprocess.run(["convert", *sources, os.path.join(out, "im_two.ico")], check=True)
    for size, paint, clear in ((32, (1, 0), (4, 1)), (16, (2, 2), (4, 1))):
        im = Image.open(os.path.join(out, "im_two.ico"))
        im.size = (size, size)
        listed("im_two.ico", size, size, paint, clear, im.convert("RGBA").tobytes())

    with open(os.path.join(out, "list.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
    generate_made(os.path.join(folder, "made"))


# ---- Images Pixmora makes: every form, blank and from the canvas, and Make All Sizes ------------

MADE = [(16, "canvas"), (64, "canvas"), (20, "blank")]


def block_source(x, y):
    """The 32 x 32 canvas of 2 x 2 blocks (so halving and doubling are exact): RGBA."""
    bx, by = x // 2, y // 2
    return COLOURS[(bx * 3 + by) % 16] + (0 if (bx + by) % 7 == 0 else 255,)


def tile_source(x, y):
    """The 256 x 256 picture of 16 x 16 tiles, some clear."""
    tx, ty = x // 16, y // 16
    return COLOURS[(tx + 2 * ty) % 16] + (0 if (tx + ty) % 5 == 0 else 255,)


def drawn(w, h, source):
    im = Image.new("RGBA", (w, h))
    im.putdata([source(x, y) for y in range(h) for x in range(w)])
    return im


def generate_made(out):
    os.makedirs(os.path.join(out, "back"), exist_ok=True)
    block = four_bit_block(drawn(32, 32, block_source), 64, True)
    with open(os.path.join(out, "source.ico"), "wb") as f:
        f.write(icon_file([(32, 32, 4, block)]))
    tiles = png_bytes(drawn(256, 256, tile_source))
    with open(os.path.join(out, "source256.ico"), "wb") as f:
        f.write(icon_file([(256, 256, 32, tiles)]))
    with open(os.path.join(out, "made.txt"), "w") as f:
        for form in range(4):
            for size, how in MADE:
                f.write("form%d.ico %d %d %s\n" % (form, size, form, how))


def scaled(w, h, source, from_w, from_h):
    return bytes(v for y in range(h) for x in range(w)
                 for v in source(x * from_w // w, y * from_h // h))


def depth_problem(block, form):
    if form == 3:
        return None if block[:4] == b"\x89PNG" else "not PNG"
    bits = struct.unpack_from("<H", block, 14)[0] if block[:4] != b"\x89PNG" else "PNG"
    return None if bits == (4, 8, 32)[form] else "%s bits, not %d" % (bits, (4, 8, 32)[form])


def read_by_both(path, w, h, want):
    return ["%s: %s" % (program, problem) for program, problem in (
        ("Pillow", same_picture(load_pil(path, w, h), want, w, h)),
        ("ImageMagick", same_picture(load_convert(path, w, h), want, w, h))) if problem]


def made_problems(folder):
    out = os.path.join(folder, "made")
    problems, checked = [], 0
    icons = {}
    with open(os.path.join(out, "made.txt")) as f:
        for line in f:
            name, size, form, how = line.split()
            icons.setdefault(name, []).append((int(size), int(form), how))
    for name, images in icons.items():
        path = os.path.join(out, "back", name)
        blocks = icon_blocks(path)
        sizes = [(w, h) for w, h, _, _ in blocks]
        if sizes != [(32, 32)] + [(s, s) for s, _, _ in images]:
            problems.append("%s: sizes %s" % (name, sizes))
            continue
        for (size, form, how), (_, _, bits, block) in zip(images, blocks[1:]):
            where = "%s %d %s" % (name, size, how)
            checked += 1
            problem = depth_problem(block, form)
            if problem or bits != (4, 8, 32, 32)[form]:
                problems.append("%s: %s, directory %d bits" % (where, problem, bits))
            if how == "canvas":
                want = scaled(size, size, block_source, 32, 32)
            else:
                want = (b"\xff\xff\xff\xff" if form < 2 else b"\0\0\0\0") * size * size
            problems += ["%s: %s" % (where, p) for p in read_by_both(path, size, size, want)]
    path = os.path.join(out, "back", "all_sizes.ico")
    blocks = icon_blocks(path)
    if [w for w, _, _, _ in blocks] != [16, 24, 32, 48, 256]:
        return problems + ["all_sizes.ico: sizes %s" % [w for w, _, _, _ in blocks]], checked
    for w, _, bits, block in blocks:
        checked += 1
        problem = depth_problem(block, 3 if w == 256 else 2)
        if problem or bits != 32:
            problems.append("all_sizes.ico %d: %s, directory %d bits" % (w, problem, bits))
        if w in (16, 32, 256):
            want = scaled(w, w, tile_source, 256, 256)
            problems += ["all_sizes.ico %d: %s" % (w, p) for p in read_by_both(path, w, w, want)]
        else:
            # Tiles meet inside a pixel: both programs must read the same blend.
            problem = same_picture(load_pil(path, w, w), load_convert(path, w, w), w, w)
            if problem:
                problems.append("all_sizes.ico %d: Pillow and ImageMagick differ: %s" % (w, problem))
    return problems, checked


def edited(values, w, paint, clear, top):
    """The painted pixel red and opaque; the cleared one's alpha 0, its colour not counted."""
    values = list(values)
    at = 4 * (paint[1] * w + paint[0])
    values[at:at + 4] = [top, 0, 0, top]
    if clear[0] >= 0:
        at = 4 * (clear[1] * w + clear[0])
        values[at:at + 4] = [None, None, None, 0]
    return values


def difference(got, want, w):
    for i, (g, e) in enumerate(zip(got, want)):
        if e is not None and g != e:
            p = i // 4
            return "pixel %d,%d is %s, should be %s" % (p % w, p // w, got[4 * p:4 * p + 4],
                                                        want[4 * p:4 * p + 4])
    return None if len(got) == len(want) else "%d samples, not %d" % (len(got), len(want))


def problems_of(name, w, h, paint, clear, folder):
    base = os.path.join(folder, "others", "%s.%dx%d" % (name, w, h))
    with open(base + ".expect", "rb") as f:
        f.readline()
        rgba = f.read()
    saved = os.path.join(folder, "back", name)
    blocks = block_of(saved, w, h)
    if len(blocks) != 1:
        return ["%d images of that size" % len(blocks)]
    if block_of(os.path.join(folder, "others", name), w, h)[0][:4] != b"\x89PNG":
        # A BMP image is opaque or transparent, as the interop check reads icons.
        want = bytes(0 if v is None else v for v in edited(rgba, w, paint, clear, 255))
        return ["%s: %s" % (program, problem) for program, problem in (
            ("Pillow", same_picture(load_pil(saved, w, h), want, w, h)),
            ("ImageMagick", same_picture(load_convert(saved, w, h), want, w, h))) if problem]
    block = blocks[0]
    if block[:4] != b"\x89PNG":
        return ["written in BMP form, not as PNG"]
    want = edited(rgba, w, paint, clear, 255)
    found = [("Pillow", difference(list(Image.open(io.BytesIO(block)).convert("RGBA").tobytes()),
                                   want, w))]
    if os.path.exists(base + ".deep"):
        with open(base + ".deep", "rb") as f:
            data = f.read()
        deep = list(struct.unpack(">%dH" % (len(data) // 2), data))
        found.append(("ImageMagick", difference(samples16(block),
                                                edited(deep, w, paint, clear, 65535), w)))
    else:
        found.append(("ImageMagick", difference(list(convert(block, "-depth", "8", "rgba:-")),
                                                want, w)))
    return ["%s: %s" % (program, problem) for program, problem in found if problem]


def check(folder):
    failures, checked = [], 0
    with open(os.path.join(folder, "others", "list.txt")) as f:
        for line in f:
            name, *numbers = line.split()
            w, h, px, py, cx, cy = (int(v) for v in numbers)
            try:
                problems = problems_of(name, w, h, (px, py), (cx, cy), folder)
            except (OSError, subprocess.CalledProcessError) as error:
                problems = ["not readable: %s" % error]
            checked += 1
            failures += ["%s %dx%d: %s" % (name, w, h, p) for p in problems]
    try:
        problems, made = made_problems(folder)
    except (OSError, subprocess.CalledProcessError, ValueError) as error:
        problems, made = ["made icons not readable: %s" % error], 0
    failures += problems
    checked += made
    print("%d images checked" % checked)
    print("\n".join(failures))
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    if sys.argv[1] == "generate":
        generate(sys.argv[2])
        sys.exit(0)
    sys.exit(check(sys.argv[2]))
