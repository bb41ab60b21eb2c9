#!/usr/bin/python3
"""Icons of several images and icons of PNG images, between Pixmora and other programs.

generate DIR: icons Pillow and ImageMagick write (and PNG images they write, put into
              icons), under DIR/others, with DIR/others/list.txt: one line per image to
              edit, "FILE WIDTH HEIGHT PAINTX PAINTY CLEARX CLEARY" (CLEARX -1: none).
              FILE.WxH.expect holds the image as Pixmora must show it: "W H\\n", then RGBA
              bytes, rows top-down; FILE.WxH.deep the 16-bit samples of a PNG that has them.
check DIR:    Pixmora opened each file, painted the pixel PAINT red with the pen, made CLEAR
              transparent, and saved the icon under DIR/back. Pillow and ImageMagick must
              read every such image with those two pixels changed and every other pixel's
              colour and alpha as they were; a PNG image stays a PNG.
"""
import io
import os
import struct
import subprocess
import sys
import zlib

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "files"))
from interop import icon_blocks, icon_file, load_convert, load_pil, picture, same_picture  # noqa: E402,E501

PAINTED = (255, 0, 0, 255)


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


def convert_bytes(source, *args):
    """ImageMagick's output for a picture handed over as PNG bytes."""
    return subprocess.run(["convert", "png:-", *args], input=png_bytes(source), check=True,
                          capture_output=True).stdout


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(
        ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def deep_png(width, height, colour_type, samples):
    """A PNG of 16-bit samples, each of them different from an 8-bit value widened."""
    raw = b""
    for y in range(height):
        raw += b"\0" + b"".join(struct.pack(">%dH" % len(samples(x, y)), *samples(x, y))
                                for x in range(width))
    header = struct.pack(">IIBBBBB", width, height, 16, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


def samples16(png):
    """RGBA 16-bit samples of a PNG, rows top-down, as ImageMagick reads it."""
    out = subprocess.run(["convert", "png:-", "-depth", "16", "rgba:-"], input=png, check=True,
                         capture_output=True).stdout
    return list(struct.unpack(">%dH" % (len(out) // 2), out))


def png_of(im_or_bytes):
    return im_or_bytes if isinstance(im_or_bytes, bytes) else png_bytes(im_or_bytes)


def generate(folder):
    out = os.path.join(folder, "others")
    os.makedirs(out, exist_ok=True)
    lines = []

    def write_icon(name, blocks):
        """An icon of PNG blocks (bytes), each listed at its own size."""
        entries = []
        for data in blocks:
            w, h = struct.unpack(">II", data[16:24])
            entries.append((w, h, 32, data))
        with open(os.path.join(out, name), "wb") as f:
            f.write(icon_file(entries))

    def expect(name, w, h, rgba, deep=None):
        with open(os.path.join(out, "%s.%dx%d.expect" % (name, w, h)), "wb") as f:
            f.write(b"%d %d\n" % (w, h) + rgba)
        if deep:
            with open(os.path.join(out, "%s.%dx%d.deep" % (name, w, h)), "wb") as f:
                f.write(struct.pack(">%dH" % len(deep), *deep))

    def png_case(name, w, h, paint, clear):
        """The image of that size in the icon, a PNG, as Pillow reads it (16-bit samples
        shortened to their high byte, as the codec does)."""
        block = [b for bw, bh, _, b in icon_blocks(os.path.join(out, name)) if (bw, bh) == (w, h)][0]
        assert block[:4] == b"\x89PNG", name
        deep = samples16(block) if block[24] == 16 else None
        rgba = bytes(s >> 8 for s in deep) if deep else Image.open(io.BytesIO(block)).convert(
            "RGBA").tobytes()
        expect(name, w, h, rgba, deep)
        lines.append("%s %d %d %d %d %d %d" % ((name, w, h) + paint + clear))

    # Pillow's own icons: its images are PNG. Of several sizes the one 32 wide is chosen.
    graded(32, 32).save(os.path.join(out, "pil_rgba.ico"), sizes=[(32, 32)])
    png_case("pil_rgba.ico", 32, 32, (1, 1), (5, 0))
    graded(256, 256).save(os.path.join(out, "pil_sizes.ico"),
                          sizes=[(16, 16), (48, 48), (32, 32), (256, 256)])
    png_case("pil_sizes.ico", 32, 32, (0, 0), (3, 4))
    graded(256, 256).save(os.path.join(out, "pil_large.ico"), sizes=[(48, 48), (256, 256)])
    png_case("pil_large.ico", 48, 48, (47, 47), (5, 1))
    # PNG images Pillow writes, in an icon of one image each.
    palette = Image.new("P", (16, 16))
    palette.putpalette([0, 0, 0, 255, 255, 0, 0, 128, 255])
    for y in range(16):
        for x in range(16):
            palette.putpixel((x, y), (x + y) % 3)
    write_icon("pil_palette.ico", [png_bytes(palette, transparency=0)])
    png_case("pil_palette.ico", 16, 16, (0, 0), (1, 0))
    write_icon("pil_grey.ico", [png_bytes(graded(48, 48).convert("L"))])
    png_case("pil_grey.ico", 48, 48, (2, 3), (4, 4))
    write_icon("pil_grey_alpha.ico", [png_bytes(graded(16, 16).convert("LA"))])
    png_case("pil_grey_alpha.ico", 16, 16, (3, 0), (5, 0))
    write_icon("pil_rgb_1x1.ico", [png_bytes(Image.new("RGB", (1, 1), (9, 99, 199)))])
    png_case("pil_rgb_1x1.ico", 1, 1, (0, 0), (-1, -1))
    grey16 = Image.new("I", (16, 16))
    for y in range(16):
        for x in range(16):
            grey16.putpixel((x, y), x * 4001 + y * 37 + 1)
    write_icon("pil_grey16.ico", [png_bytes(grey16)])
    png_case("pil_grey16.ico", 16, 16, (15, 15), (0, 1))
    # PNG images ImageMagick writes: interlaced, a palette with transparency, 16-bit RGB.
    write_icon("im_interlaced.ico", [convert_bytes(graded(32, 32), "-interlace", "PNG", "png:-")])
    png_case("im_interlaced.ico", 32, 32, (31, 0), (0, 31))
    write_icon("im_palette.ico", [convert_bytes(graded(32, 32), "PNG8:-")])
    png_case("im_palette.ico", 32, 32, (6, 6), (7, 6))
    write_icon("im_rgb16.ico", [convert_bytes(picture(32, 32).convert("RGB"), "PNG48:-")])
    png_case("im_rgb16.ico", 32, 32, (2, 2), (3, 3))
    # ImageMagick's own icon of a 256 x 256 image, which it stores as PNG.
    graded(256, 256).save(os.path.join(out, "source256.png"))
    subprocess.run(["convert", os.path.join(out, "source256.png"), os.path.join(out, "im_256.ico")],
                   check=True)
    png_case("im_256.ico", 256, 256, (255, 0), (0, 255))
    # 16-bit RGBA samples that no 8-bit value widens to.
    write_icon("deep_rgba.ico", [deep_png(16, 16, 6, lambda x, y: (
        x * 4001 + 3, y * 3001 + 5, (x * y * 263 + 7) % 65536, [0, 300, 40000, 65535][(x + y) % 4]))])
    png_case("deep_rgba.ico", 16, 16, (1, 0), (2, 0))

    # Two images in BMP form from ImageMagick: the 32 x 32 one is opened, the 16 x 16 one is
    # switched to.
    for size in (16, 32):
        picture(size, size, transparent=True).save(os.path.join(out, "clear%d.png" % size))
    subprocess.run(["convert", os.path.join(out, "clear16.png"), os.path.join(out, "clear32.png"),
                    os.path.join(out, "im_two.ico")], check=True)
    for size, paint, clear in ((32, (1, 0), (3, 1)), (16, (2, 2), (4, 1))):
        im = Image.open(os.path.join(out, "im_two.ico"))
        im.size = (size, size)
        expect("im_two.ico", size, size, im.convert("RGBA").tobytes())
        lines.append("im_two.ico %d %d %d %d %d %d" % ((size, size) + paint + clear))

    with open(os.path.join(out, "list.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


def read_expect(path):
    with open(path, "rb") as f:
        w, h = (int(v) for v in f.readline().split())
        return w, h, f.read()


def edited(values, w, paint, clear, top, channels=4):
    """The expected samples with the painted pixel red and opaque and the cleared pixel's
    alpha 0 (its colour then does not count: None)."""
    values = list(values)
    at = channels * (paint[1] * w + paint[0])
    values[at:at + 4] = [top, 0, 0, top]
    if clear[0] >= 0:
        at = channels * (clear[1] * w + clear[0])
        values[at:at + 4] = [None, None, None, 0]
    return values


def first_difference(got, want, w):
    for i, (g, e) in enumerate(zip(got, want)):
        if e is not None and g != e:
            pixel = i // 4
            return "pixel %d,%d is %s, should be %s" % (pixel % w, pixel // w,
                                                        tuple(got[4 * pixel:4 * pixel + 4]),
                                                        tuple(want[4 * pixel:4 * pixel + 4]))
    return None if len(got) == len(want) else "%d samples, not %d" % (len(got), len(want))


def check_png(block, w, h, rgba, deep, paint, clear):
    problems = []
    if block[:4] != b"\x89PNG":
        return ["written in BMP form, not as PNG"]
    pil = Image.open(io.BytesIO(block))
    if pil.size != (w, h):
        return ["%dx%d" % pil.size]
    # Pillow shortens 16-bit samples to their high byte, as the expectation does.
    want = edited(rgba, w, paint, clear, 255)
    problem = first_difference(list(pil.convert("RGBA").tobytes()), want, w)
    if problem:
        problems.append("Pillow: " + problem)
    if deep:
        problem = first_difference(samples16(block), edited(deep, w, paint, clear, 65535), w)
    else:
        out = subprocess.run(["convert", "png:-", "-depth", "8", "rgba:-"], input=block,
                             check=True, capture_output=True).stdout
        problem = first_difference(list(out), want, w)
    if problem:
        problems.append("ImageMagick: " + problem)
    return problems


def check_bmp(path, w, h, rgba, paint, clear):
    """An image in BMP form: opaque or transparent, as the interop check reads icons."""
    want = bytes(0 if v is None else v for v in edited(rgba, w, paint, clear, 255))
    problems = []
    for program, load in (("Pillow", load_pil), ("ImageMagick", load_convert)):
        problem = same_picture(load(path, w, h), want, w, h)
        if problem:
            problems.append("%s: %s" % (program, problem))
    return problems


def check(folder):
    failures, checked = [], 0
    with open(os.path.join(folder, "others", "list.txt")) as f:
        lines = [line.split() for line in f if line.strip()]
    for name, *numbers in lines:
        w, h, px, py, cx, cy = (int(v) for v in numbers)
        saved = os.path.join(folder, "back", name)
        base = os.path.join(folder, "others", "%s.%dx%d" % (name, w, h))
        _, _, rgba = read_expect(base + ".expect")
        deep = None
        if os.path.exists(base + ".deep"):
            data = open(base + ".deep", "rb").read()
            deep = list(struct.unpack(">%dH" % (len(data) // 2), data))
        original = [b for bw, bh, _, b in icon_blocks(os.path.join(folder, "others", name))
                    if (bw, bh) == (w, h)][0]
        try:
            blocks = [b for bw, bh, _, b in icon_blocks(saved) if (bw, bh) == (w, h)]
            if len(blocks) != 1:
                problems = ["%d images of %dx%d" % (len(blocks), w, h)]
            elif original[:4] == b"\x89PNG":
                problems = check_png(blocks[0], w, h, rgba, deep, (px, py), (cx, cy))
            else:
                problems = check_bmp(saved, w, h, rgba, (px, py), (cx, cy))
        except (OSError, subprocess.CalledProcessError, IndexError) as error:
            problems = ["not readable: %s" % error]
        checked += 1
        failures += ["%s %dx%d: %s" % (name, w, h, p) for p in problems]
    print("%d images checked" % checked)
    for failure in failures:
        print(failure)
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    if sys.argv[1] == "generate":
        generate(sys.argv[2])
        sys.exit(0)
    sys.exit(check(sys.argv[2]))
