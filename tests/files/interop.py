#!/usr/bin/python3
"""Round trips between Pixmora and other programs (Pillow and ImageMagick's convert).

generate DIR: files those programs write, each with the picture expected from it, under
              DIR/others, listed in DIR/others/list.txt.
check DIR [SUB...]: every file Pixmora wrote under DIR/pixmora and DIR/back (or the
              subfolders named) must load in both programs with the picture expected from it.
An expectation (NAME.expect) is "WIDTH HEIGHT\\n" then RGBA bytes, rows top-down; alpha 0
marks a transparent pixel, whose colour does not count.
"""
import io
import os
import struct
import subprocess
import sys

from PIL import Image

COLOURS = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def picture(width, height, colours=16, transparent=False):
    """An RGBA picture that uses every colour; with transparent set, some pixels are clear,
    the last column's among them."""
    im = Image.new("RGBA", (width, height))
    for y in range(height):
        for x in range(width):
            c = COLOURS[(x + 3 * y) % colours]
            clear = transparent and (x + 2 * y) % 5 == 0
            im.putpixel((x, y), c + (0 if clear else 255,))
    return im


def expect(path, im):
    im = im.convert("RGBA")
    with open(path + ".expect", "wb") as f:
        f.write(b"%d %d\n" % im.size)
        f.write(im.tobytes())


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def icon_file(blocks):
    """An icon from (width, height, bits, bytes) entries, blocks after the directory."""
    head = struct.pack("<HHH", 0, 1, len(blocks))
    offset = 6 + 16 * len(blocks)
    body = b""
    for w, h, bits, data in blocks:
        head += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
        body += data
    return head + body


def four_bit_block(im, height_field, with_mask):
    """The image block of a 4-bit icon of a picture drawn in COLOURS: the header with the
    height field given, the colour table, the pixels and, when asked, the AND mask."""
    w, h = im.size
    im = im.convert("RGBA")
    xor, mask = b"", b""
    for y in range(h - 1, -1, -1):
        row, bits = bytearray((w * 4 + 31) // 32 * 4), bytearray((w + 31) // 32 * 4)
        for x in range(w):
            r, g, b, a = im.getpixel((x, y))
            row[x // 2] |= COLOURS.index((r, g, b)) << (0 if x % 2 else 4)
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(row)
        mask += bytes(bits)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in COLOURS)
    header = struct.pack("<IiiHHIIiiII", 40, w, height_field, 1, 4, 0, len(xor), 0, 0, 16, 0)
    return header + table + xor + (mask if with_mask else b"")


def icon_blocks(path):
    data = open(path, "rb").read()
    count = struct.unpack_from("<H", data, 4)[0]
    blocks = []
    for i in range(count):
        w, h, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        blocks.append((w or 256, h or 256, bits, data[offset:offset + size]))
    return blocks


# The handheld's two sizes, then widths whose rows end in a partly used byte or word, and a
# single row.
SIZES = [(16, 16), (32, 32), (1, 5), (7, 5), (9, 5), (31, 5), (33, 5), (33, 1)]


def generate(folder):
    out = os.path.join(folder, "others")
    os.makedirs(out, exist_ok=True)
    listing = []

    def add(name, im, bits=None):
        """Lists a file, whose picture must be the one meant as the program that wrote it
        reads it back (and, for a bitmap, of the bit count named)."""
        path = os.path.join(out, name)
        written = Image.open(path)
        if name.endswith(".ico"):
            written.size = im.size
        meant = im.convert("RGBA")
        problem = same_picture(written.convert("RGBA").tobytes(), meant.tobytes(), *im.size)
        assert problem is None, "%s: %s" % (name, problem)
        if bits:
            with open(path, "rb") as f:
                header = f.read(30)
            assert struct.unpack_from("<H", header, 28)[0] == bits, "%s is not %d-bit" % (name, bits)
        expect(path, meant)
        listing.append(name)

    for w, h in SIZES:
        size = "%dx%d" % (w, h)
        opaque = picture(w, h)
        png = os.path.join(out, "source%s.png" % size)
        opaque.save(png)
        one = Image.new("1", (w, h))
        for y in range(h):
            for x in range(w):
                one.putpixel((x, y), 255 if (x * y + x + y) % 3 else 0)
        one.save(os.path.join(out, "pil_1bit_%s.bmp" % size))
        add("pil_1bit_%s.bmp" % size, one, 1)
        convert(png, "-type", "Palette", "BMP3:" + os.path.join(out, "im_4bit_%s.bmp" % size))
        add("im_4bit_%s.bmp" % size, opaque, 4)
        opaque.convert("RGB").convert("P", palette=Image.ADAPTIVE, colors=256).save(
            os.path.join(out, "pil_8bit_%s.bmp" % size))
        add("pil_8bit_%s.bmp" % size, opaque, 8)
        convert(png, "-type", "Palette", "-colors", "64", "-compress", "RLE",
                "BMP3:" + os.path.join(out, "im_rle8_%s.bmp" % size))
        add("im_rle8_%s.bmp" % size, opaque, 8)
        opaque.convert("RGB").save(os.path.join(out, "pil_24bit_%s.bmp" % size))
        add("pil_24bit_%s.bmp" % size, opaque, 24)
        opaque.save(os.path.join(out, "pil_32bit_%s.bmp" % size))
        add("pil_32bit_%s.bmp" % size, opaque, 32)
        convert(png, "-alpha", "on", "BMP:" + os.path.join(out, "im_v5_32bit_%s.bmp" % size))
        add("im_v5_32bit_%s.bmp" % size, opaque, 32)

    # Icons of 16 and 32 pixels; the 32-pixel image is the one edited. A 4-bit icon holds
    # 15 colours beside the transparent one.
    clear16, clear32 = picture(16, 16, transparent=True), picture(32, 32, transparent=True)
    for im, name in ((clear16, "clear16.png"), (clear32, "clear32.png")):
        im.save(os.path.join(out, name))
    p16, p32 = os.path.join(out, "clear16.png"), os.path.join(out, "clear32.png")
    few16, few32 = (picture(n, n, colours=15, transparent=True) for n in (16, 32))
    few16.save(os.path.join(out, "few16.png"))
    few32.save(os.path.join(out, "few32.png"))
    convert(os.path.join(out, "few16.png"), os.path.join(out, "few32.png"), "-type",
            "PaletteAlpha", "-colors", "16", os.path.join(out, "im_4bit.ico"))
    add("im_4bit.ico", few32)
    convert(p16, p32, "-type", "PaletteAlpha", os.path.join(out, "im_8bit.ico"))
    add("im_8bit.ico", clear32)
    convert(p16, p32, os.path.join(out, "im_32bit.ico"))
    add("im_32bit.ico", clear32)
    clear32.save(os.path.join(out, "pil_32bit.ico"), bitmap_format="bmp",
                 sizes=[(16, 16), (32, 32)], append_images=[clear16])
    add("pil_32bit.ico", clear32)
    paletted = picture(32, 32).convert("RGB").convert("P")
    paletted.save(os.path.join(out, "pil_8bit.ico"), bitmap_format="bmp", sizes=[(32, 32)])
    add("pil_8bit.ico", paletted)
    # PNG images beside BMP ones: a 48-pixel PNG first, then Pillow's BMP images.
    big = picture(48, 48, transparent=True)
    buffer = io.BytesIO()
    big.save(buffer, "png")
    blocks = [(48, 48, 32, buffer.getvalue())] + icon_blocks(os.path.join(out, "pil_32bit.ico"))
    with open(os.path.join(out, "with_png.ico"), "wb") as f:
        f.write(icon_file(blocks))
    add("with_png.ico", clear32)
    # Icons of one image at the other sizes, in each bit count the programs write.
    for w, h in SIZES[2:]:
        size = "%dx%d" % (w, h)
        clear, few = picture(w, h, transparent=True), picture(w, h, 15, transparent=True)
        png, few_png = (os.path.join(out, "%s%s.png" % (n, size)) for n in ("clear", "few"))
        clear.save(png)
        few.save(few_png)
        convert(few_png, "-type", "PaletteAlpha", "-colors", "16",
                os.path.join(out, "im_4bit_%s.ico" % size))
        add("im_4bit_%s.ico" % size, few)
        convert(png, "-type", "PaletteAlpha", os.path.join(out, "im_8bit_%s.ico" % size))
        add("im_8bit_%s.ico" % size, clear)
        convert(png, os.path.join(out, "im_32bit_%s.ico" % size))
        add("im_32bit_%s.ico" % size, clear)
        clear.save(os.path.join(out, "pil_32bit_%s.ico" % size), bitmap_format="bmp",
                   sizes=[(w, h)])
        add("pil_32bit_%s.ico" % size, clear)

    # Damaged files both programs read (ImageMagick with a warning) as the picture meant: an
    # icon whose directory counts the mask in its height as its header does, a 4-bit icon
    # without its AND mask (every pixel opaque), and a bitmap whose bfSize is 0.
    def add_damaged(name, data, im, masked=True):
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(data)
        meant = im.convert("RGBA")
        if not masked:
            meant.putalpha(255)
        w, h = im.size
        for program, load in (("Pillow", load_pil), ("convert", load_convert)):
            got = load(path, w, h, check=False)
            if not masked:  # each program makes its own transparency up
                got = b"".join(got[i:i + 3] + b"\xff" for i in range(0, len(got), 4))
            problem = same_picture(got, meant.tobytes(), w, h)
            assert problem is None, "%s in %s: %s" % (name, program, problem)
        expect(path, meant)
        listing.append(name)

    add_damaged("damaged_directory_height.ico",
                icon_file([(16, 32, 4, four_bit_block(clear16, 32, True))]), clear16)
    add_damaged("damaged_no_mask.ico",
                icon_file([(16, 16, 4, four_bit_block(clear16, 32, False))]), clear16, False)
    buffer = io.BytesIO()
    picture(16, 16).convert("RGB").save(buffer, "bmp")
    no_size = bytearray(buffer.getvalue())
    no_size[2:6] = bytes(4)
    add_damaged("damaged_bfsize0.bmp", bytes(no_size), picture(16, 16))

    with open(os.path.join(out, "list.txt"), "w") as f:
        f.write("\n".join(listing) + "\n")


def read_expect(path):
    with open(path, "rb") as f:
        size = f.readline().split()
        w, h = int(size[0]), int(size[1])
        return w, h, f.read()


def same_picture(got, want, w, h, slack=0):
    """None when the RGBA pictures agree (each channel within slack), else where they first
    differ."""
    for i in range(w * h):
        g, e = got[4 * i:4 * i + 4], want[4 * i:4 * i + 4]
        if e[3] == 0:
            if g[3] != 0:
                return "pixel %d,%d should be transparent, is %s" % (i % w, i // w, tuple(g))
        elif g[3] != e[3] or any(abs(a - b) > slack for a, b in zip(g[:3], e[:3])):
            return "pixel %d,%d is %s, should be %s" % (i % w, i // w, tuple(g), tuple(e))
    return None


def bitmap_bits(path):
    """The bit count of a bitmap file with a 40-byte or longer header, else 0."""
    data = open(path, "rb").read(30)
    return struct.unpack_from("<H", data, 28)[0] if path.endswith(".bmp") else 0


def load_pil(path, w, h, check=True):
    """The picture as Pillow reads it; an icon's or a cursor's image of that size."""
    im = Image.open(path)
    if path.endswith(".ico"):
        if im.format == "CUR":
            # Pillow takes a cursor's largest image only: its images are read as an icon's.
            data = bytearray(open(path, "rb").read())
            data[2:4] = struct.pack("<H", 1)
            im = Image.open(io.BytesIO(bytes(data)))
        im.size = (w, h)
    return im.convert("RGBA").tobytes()


def load_convert(path, w, h, check=True):
    """The picture as convert reads it; with check off, also a file it reads with a warning."""
    frame = path
    if path.endswith(".ico"):
        sizes = [(bw, bh) for bw, bh, _, _ in icon_blocks(path)]
        frame = "%s[%d]" % (path, sizes.index((w, h)) if (w, h) in sizes else 0)
    return subprocess.run(["convert", frame, "-depth", "8", "rgba:-"], check=check,
                          capture_output=True).stdout


def check(folder, subfolders=("pixmora", "back")):
    failures, checked = [], 0
    for sub in subfolders:
        where = os.path.join(folder, sub)
        for name in sorted(os.listdir(where)):
            if name.endswith(".expect") or name.endswith(".png"):
                continue
            path = os.path.join(where, name)
            w, h, want = read_expect(path + ".expect")
            # The programs widen 5-bit channels by rounding differently; the fourth byte of a
            # 32-bit bitmap's pixel is unused, though ImageMagick may take it for alpha.
            bits = bitmap_bits(path)
            for program, load in (("Pillow", load_pil), ("convert", load_convert)):
                try:
                    got = load(path, w, h)
                    if bits == 32:
                        got = b"".join(got[i:i + 3] + b"\xff" for i in range(0, len(got), 4))
                    problem = same_picture(got, want, w, h, 1 if bits == 16 else 0)
                except Exception as error:  # a file the program cannot read at all
                    problem = "not readable: %s" % error
                checked += 1
                if problem:
                    failures.append("%s/%s in %s: %s" % (sub, name, program, problem))
    print("%d loads checked" % checked)
    for f in failures:
        print(f)
    if not checked:
        failures.append("nothing to check")
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "generate":
        generate(sys.argv[2])
        sys.exit(0)
    sys.exit(check(sys.argv[2], sys.argv[3:] or ("pixmora", "back")))
