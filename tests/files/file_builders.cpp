// Bitmap and icon files built in memory for the tests.
#include "file_builders.h"
#include <zlib.h>
#include <cstring>

size_t RowBytes(int width, int bits) {
    size_t bitsPerRow = (size_t)width * bits;
    return (bitsPerRow / 32 + (bitsPerRow % 32 != 0)) * 4;
}

void PutLE16(Bytes& b, size_t at, int v) {
    b[at] = (BYTE)v;
    b[at + 1] = (BYTE)(v >> 8);
}
void PutLE32(Bytes& b, size_t at, DWORD v) {
    for (int i = 0; i < 4; i++)
        b[at + i] = (BYTE)(v >> (8 * i));
}
DWORD GetLE32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (DWORD)b[at + 3] << 24;
}
int GetLE16(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}

std::vector<RGBQUAD> StandardTable16() {
    static const BYTE rgb[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                                    {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    std::vector<RGBQUAD> t(16);
    for (int i = 0; i < 16; i++)
        t[i] = {rgb[i][2], rgb[i][1], rgb[i][0], 0};
    return t;
}

std::vector<RGBQUAD> GreyTable(int entries) {
    std::vector<RGBQUAD> t(entries);
    for (int i = 0; i < entries; i++) {
        BYTE v = (BYTE)(entries > 1 ? i * 255 / (entries - 1) : 0);
        t[i] = {v, (BYTE)(255 - v), (BYTE)(v / 2), 0};
    }
    return t;
}

static int Shift(DWORD mask) {
    int s = 0;
    while (mask && !((mask >> s) & 1))
        s++;
    return s;
}

static DWORD Pack(DWORD mask, int value8) {
    if (!mask) return 0;
    DWORD max = mask >> Shift(mask);
    return ((DWORD)(value8 * max / 255) << Shift(mask)) & mask;
}

static void PutPixel(BYTE* row, int bits, const DWORD* masks, bool bitfields, int x, DWORD v) {
    switch (bits) {
    case 1:
    case 2:
    case 4:
    case 8: {
        int perByte = 8 / bits, shift = (perByte - 1 - x % perByte) * bits;
        row[x / perByte] |= (BYTE)((v & ((1 << bits) - 1)) << shift);
        break;
    }
    case 16: {
        DWORD p;
        if (bitfields)
            p = Pack(masks[0], (v >> 16) & 255) | Pack(masks[1], (v >> 8) & 255) |
                Pack(masks[2], v & 255);
        else
            p = ((v >> 19) & 31) << 10 | ((v >> 11) & 31) << 5 | ((v >> 3) & 31);
        row[2 * x] = (BYTE)p;
        row[2 * x + 1] = (BYTE)(p >> 8);
        break;
    }
    case 24:
        row[3 * x] = (BYTE)v;
        row[3 * x + 1] = (BYTE)(v >> 8);
        row[3 * x + 2] = (BYTE)(v >> 16);
        break;
    case 32: {
        DWORD p = v;
        if (bitfields)
            p = Pack(masks[0], (v >> 16) & 255) | Pack(masks[1], (v >> 8) & 255) |
                Pack(masks[2], v & 255) | Pack(masks[3], v >> 24);
        memcpy(row + 4 * x, &p, 4);
        break;
    }
    }
}

// Run-length coding: each row as runs of equal pixels (absolute runs are left to the
// tests that write their data by hand), ended by an end-of-line, the picture by its end.
static Bytes EncodeRle(int width, int height, bool rle4, const PixelSource& pixel) {
    Bytes out;
    for (int y = height - 1; y >= 0; y--) {
        int x = 0;
        while (x < width) {
            DWORD v = pixel(x, y);
            int n = 1;
            if (rle4) {
                DWORD w = x + 1 < width ? pixel(x + 1, y) : v;
                while (x + n < width && n < 255 && pixel(x + n, y) == (n % 2 ? w : v))
                    n++;
                out.push_back((BYTE)n);
                out.push_back((BYTE)(v << 4 | w));
            } else {
                while (x + n < width && n < 255 && pixel(x + n, y) == v)
                    n++;
                out.push_back((BYTE)n);
                out.push_back((BYTE)v);
            }
            x += n;
        }
        out.push_back(0);
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(1);
    return out;
}

Bytes MakeDib(const BmpForm& f, int width, int height, const std::vector<RGBQUAD>& table,
              const PixelSource& pixel) {
    bool core = f.headerSize == 12;
    bool bitfields = f.compression == BI_BITFIELDS;
    int entries = f.tableEntries >= 0 ? f.tableEntries : (f.bits <= 8 ? 1 << f.bits : 0);
    int entrySize = core ? 3 : 4;
    size_t maskBytes = bitfields && f.headerSize == 40 ? 12 : 0;
    Bytes pixels;
    if (f.compression == BI_RLE8 || f.compression == BI_RLE4) {
        pixels = EncodeRle(width, height, f.compression == BI_RLE4, pixel);
    } else {
        size_t stride = RowBytes(width, f.bits);
        pixels.assign(stride * height, 0);
        for (int y = 0; y < height; y++) {
            size_t row = f.topDown ? y : height - 1 - y;
            for (int x = 0; x < width; x++)
                PutPixel(&pixels[row * stride], f.bits, f.masks, bitfields, x, pixel(x, y));
        }
    }
    Bytes dib(f.headerSize + maskBytes + entries * entrySize + f.gap, 0);
    PutLE32(dib, 0, f.headerSize);
    if (core) {
        PutLE16(dib, 4, width);
        PutLE16(dib, 6, height);
        PutLE16(dib, 8, 1);
        PutLE16(dib, 10, f.bits);
    } else {
        PutLE32(dib, 4, width);
        PutLE32(dib, 8, f.topDown ? -height : height);
        PutLE16(dib, 12, 1);
        PutLE16(dib, 14, f.bits);
        PutLE32(dib, 16, f.compression);
        PutLE32(dib, 20, (DWORD)pixels.size());
        PutLE32(dib, 32, f.clrUsedZero ? 0 : entries);
        if (bitfields)
            for (int i = 0; i < (f.headerSize >= 56 ? 4 : 3); i++)
                PutLE32(dib, 40 + 4 * i, f.masks[i]);
        if (f.headerSize >= 108) PutLE32(dib, 56, 0x73524742); // sRGB
    }
    size_t at = f.headerSize + maskBytes;
    for (int i = 0; i < entries; i++) {
        RGBQUAD q = i < (int)table.size() ? table[i] : RGBQUAD{0, 0, 0, 0};
        dib[at++] = q.rgbBlue;
        dib[at++] = q.rgbGreen;
        dib[at++] = q.rgbRed;
        if (!core) dib[at++] = 0;
    }
    dib.insert(dib.end(), pixels.begin(), pixels.end());
    return dib;
}

Bytes MakeBmpFile(const BmpForm& form, int width, int height, const std::vector<RGBQUAD>& table,
                  const PixelSource& pixel) {
    Bytes dib = MakeDib(form, width, height, table, pixel);
    Bytes file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    PutLE32(file, 2, (DWORD)(14 + dib.size()));
    bool bitfields = form.compression == BI_BITFIELDS && form.headerSize == 40;
    int entries =
        form.tableEntries >= 0 ? form.tableEntries : (form.bits <= 8 ? 1 << form.bits : 0);
    PutLE32(file, 10,
            14 + form.headerSize + (bitfields ? 12 : 0) +
                entries * (form.headerSize == 12 ? 3 : 4) + form.gap);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

Bytes MakeIconBlock(const IconImage& image) {
    if (!image.png.empty()) return image.png;
    BmpForm form;
    form.bits = image.bits;
    Bytes block = MakeDib(form, image.width, image.height, image.table, image.pixel);
    PutLE32(block, 8, 2 * image.height);
    PutLE32(block, 20, 0);
    size_t stride = RowBytes(image.width, 1);
    Bytes mask(stride * image.height, 0);
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++)
            if (image.transparent && image.transparent(x, y))
                mask[(image.height - 1 - y) * stride + x / 8] |= (BYTE)(0x80 >> (x % 8));
    block.insert(block.end(), mask.begin(), mask.end());
    return block;
}

Bytes MakeIconFile(const std::vector<IconImage>& images) {
    Bytes file(6 + 16 * images.size(), 0);
    PutLE16(file, 2, 1);
    PutLE16(file, 4, (int)images.size());
    for (size_t i = 0; i < images.size(); i++) {
        const IconImage& im = images[i];
        Bytes block = MakeIconBlock(im);
        size_t e = 6 + 16 * i;
        file[e] = (BYTE)(im.width % 256);
        file[e + 1] = (BYTE)(im.height % 256);
        file[e + 2] = im.bits < 8 ? (BYTE)(1 << im.bits) : 0;
        PutLE16(file, e + 4, 1);
        PutLE16(file, e + 6, im.directoryBits >= 0 ? im.directoryBits : im.bits);
        PutLE32(file, e + 8, (DWORD)block.size());
        PutLE32(file, e + 12, (DWORD)file.size());
        file.insert(file.end(), block.begin(), block.end());
    }
    return file;
}

static DWORD Crc(const BYTE* data, size_t n, DWORD crc = 0xFFFFFFFF) {
    for (size_t i = 0; i < n; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return crc;
}

static void PutBE32(Bytes& b, DWORD v) {
    for (int i = 3; i >= 0; i--)
        b.push_back((BYTE)(v >> (8 * i)));
}

static void Chunk(Bytes& png, const char* type, const Bytes& data) {
    PutBE32(png, (DWORD)data.size());
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBE32(png, Crc(&png[start], png.size() - start) ^ 0xFFFFFFFF);
}

Bytes MakeSolidPng(int width, int height, DWORD rgba) {
    return MakePng(width, height, [rgba](int, int) { return rgba; });
}

Bytes MakePng(int width, int height, const std::function<DWORD(int x, int y)>& rgba) {
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    PutBE32(ihdr, width);
    PutBE32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    Chunk(png, "IHDR", ihdr);
    Bytes raw;
    for (int y = 0; y < height; y++) {
        raw.push_back(0);
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 4; c++)
                raw.push_back((BYTE)(rgba(x, y) >> (24 - 8 * c)));
    }
    Bytes z = {0x78, 0x01};
    size_t at = 0;
    DWORD a = 1, b = 0;
    for (BYTE v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    do {
        size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back((BYTE)n);
        z.push_back((BYTE)(n >> 8));
        z.push_back((BYTE)~n);
        z.push_back((BYTE)(~n >> 8));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
    } while (at < raw.size());
    PutBE32(z, b << 16 | a);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    return png;
}

Bytes WithPngSize(const Bytes& png, DWORD width, DWORD height) {
    Bytes out(png.begin(), png.begin() + 8), ihdr(png.begin() + 16, png.begin() + 29);
    ihdr[0] = (BYTE)(width >> 24), ihdr[1] = (BYTE)(width >> 16);
    ihdr[2] = (BYTE)(width >> 8), ihdr[3] = (BYTE)width;
    ihdr[4] = (BYTE)(height >> 24), ihdr[5] = (BYTE)(height >> 16);
    ihdr[6] = (BYTE)(height >> 8), ihdr[7] = (BYTE)height;
    Chunk(out, "IHDR", ihdr);
    out.insert(out.end(), png.begin() + 33, png.end());
    return out;
}

COLORREF NormalisedPixel(const BYTE* dib, int x, int y) {
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)dib;
    int bits = h->biBitCount;
    size_t stride = RowBytes(h->biWidth, bits);
    const BYTE* table = dib + 40;
    const BYTE* row = table + (bits <= 8 ? 4 << bits : 0) + (h->biHeight - 1 - y) * stride;
    if (bits <= 8) {
        int perByte = 8 / bits, shift = (perByte - 1 - x % perByte) * bits;
        int i = (row[x / perByte] >> shift) & ((1 << bits) - 1);
        return RGB(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
    }
    if (bits == 16) {
        int p = row[2 * x] | row[2 * x + 1] << 8;
        return RGB(((p >> 10) & 31) * 255 / 31, ((p >> 5) & 31) * 255 / 31, (p & 31) * 255 / 31);
    }
    const BYTE* p = row + x * (bits / 8);
    return RGB(p[2], p[1], p[0]);
}

bool MaskBit(const BYTE* mask, int width, int height, int x, int y) {
    size_t stride = RowBytes(width, 1);
    return (mask[(height - 1 - y) * stride + x / 8] >> (7 - x % 8)) & 1;
}

Bytes MakePngOfData(DWORD width, DWORD height, int depth, int colourType, const Bytes& zlib,
                    const std::vector<std::pair<std::string, Bytes>>& before) {
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    PutBE32(ihdr, width);
    PutBE32(ihdr, height);
    ihdr.insert(ihdr.end(), {(BYTE)depth, (BYTE)colourType, 0, 0, 0});
    Chunk(png, "IHDR", ihdr);
    for (const auto& chunk : before)
        Chunk(png, chunk.first.c_str(), chunk.second);
    Chunk(png, "IDAT", zlib);
    Chunk(png, "IEND", {});
    return png;
}

Bytes MakePng(DWORD width, DWORD height, int depth, int colourType, const Bytes& rows,
              const std::vector<std::pair<std::string, Bytes>>& before, size_t padding) {
    Bytes raw = rows;
    raw.resize(rows.size() + padding);
    uLongf packed = compressBound(raw.size());
    Bytes z(packed);
    compress2(z.data(), &packed, raw.data(), raw.size(), 9);
    z.resize(packed);
    return MakePngOfData(width, height, depth, colourType, z, before);
}

// ---- Reading 4-bit bitmap and icon files back -----------------------------------------

static int Nibble(const BYTE* row, int x) {
    return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
}

int BmpFileIndex(const Bytes& file, int x, int y, int* width, int* height) {
    if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') return -1;
    int w = (int)GetLE32(file, 18), h = (int)GetLE32(file, 22);
    if (GetLE16(file, 28) != 4 || w <= 0 || h <= 0) return -1;
    if (width) *width = w;
    if (height) *height = h;
    size_t stride = (w * 4 + 31) / 32 * 4;
    size_t at = GetLE32(file, 10) + (h - 1 - y) * stride;
    if (at + stride > file.size()) return -1;
    return Nibble(&file[at], x);
}

int IconFileImageCount(const Bytes& file) {
    return file.size() < 6 ? -1 : GetLE16(file, 4);
}

// Image n's block: header, 16 colours, colour rows, then the mask rows.
static const BYTE* IconBlock(const Bytes& file, int n, int* width, int* height) {
    if (IconFileImageCount(file) <= n || file.size() < 22 + 16 * (size_t)n) return nullptr;
    size_t at = GetLE32(file, 18 + 16 * n);
    if (at + 40 > file.size() || GetLE16(file, at + 14) != 4) return nullptr;
    *width = (int)GetLE32(file, at + 4);
    *height = (int)GetLE32(file, at + 8) / 2;
    size_t size = 40 + 64 + ((*width * 4 + 31) / 32 * 4 + (*width + 31) / 32 * 4) * *height;
    return at + size <= file.size() ? &file[at] : nullptr;
}

int IconFileIndex(const Bytes& file, int x, int y, int n) {
    int w, h;
    const BYTE* block = IconBlock(file, n, &w, &h);
    if (!block) return -1;
    return Nibble(block + 104 + (h - 1 - y) * ((w * 4 + 31) / 32 * 4), x);
}

bool IconFileTransparent(const Bytes& file, int x, int y, int n) {
    int w, h;
    const BYTE* block = IconBlock(file, n, &w, &h);
    if (!block) return false;
    const BYTE* mask = block + 104 + (w * 4 + 31) / 32 * 4 * h;
    return (mask[(h - 1 - y) * ((w + 31) / 32 * 4) + x / 8] >> (7 - x % 8)) & 1;
}
