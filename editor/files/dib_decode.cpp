// Turns any packed DIB the bitmap format allows (core and long headers, bitfields, RLE,
// top-down rows, short colour tables) into the one form the canvas builds its image from.
// Every size is checked against the block before anything is read.
#include "files/files.h"
#include <cstring>

#define BI_ALPHABITFIELDS_VALUE 6

static bool KnownBitCount(int bits, bool core) {
    switch (bits) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 24: return true;
    case 16:
    case 32: return !core;
    default: return false;
    }
}

// Reads the colour masks of a bitfields DIB; they sit inside headers of 52 bytes and more,
// and right after a 40-byte header.
static DibProblem ReadMasks(const BYTE* dib, size_t size, DibLayout* l, size_t* tableStart) {
    int count = l->Compression == BI_ALPHABITFIELDS_VALUE ? 4 : 3;
    const BYTE* masks = dib + 40;
    if (l->HeaderSize >= 52) {
        if (l->HeaderSize >= 56)
            count = 4;
        else if (count == 4)
            return DIB_UNSUPPORTED;
    } else if (l->HeaderSize == 40) {
        *tableStart += 4 * (size_t)count;
        if (*tableStart > size) return DIB_TRUNCATED;
    } else {
        return DIB_UNSUPPORTED;
    }
    for (int i = 0; i < count; i++)
        l->Masks[i] = ReadLE32(masks + 4 * i);
    return DIB_OK;
}

static bool StandardMasks(const DibLayout* l) {
    if (l->SourceBits == 16)
        return l->Masks[0] == 0x7C00 && l->Masks[1] == 0x03E0 && l->Masks[2] == 0x001F;
    return l->Masks[0] == 0xFF0000 && l->Masks[1] == 0xFF00 && l->Masks[2] == 0xFF &&
           (l->Masks[3] == 0 || l->Masks[3] == 0xFF000000u);
}

static int OutputBits(const DibLayout* l) {
    if (l->SourceBits == 2) return 4;
    if (l->SourceBits == 16 && l->Compression != BI_RGB && !StandardMasks(l)) return 24;
    return l->SourceBits;
}

DibProblem ParseDib(const BYTE* dib, size_t size, size_t pixelOffset, int iconHeight,
                    DibLayout* l) {
    memset(l, 0, sizeof *l);
    if (size < 4) return DIB_TRUNCATED;
    l->Header = dib;
    l->HeaderSize = ReadLE32(dib);
    bool core = l->HeaderSize == 12;
    if (!core && (l->HeaderSize < 16 || l->HeaderSize > 124)) return DIB_BAD_HEADER;
    if (l->HeaderSize > size) return DIB_TRUNCATED;

    long long width, height;
    if (core) {
        width = ReadLE16(dib + 4);
        height = ReadLE16(dib + 6);
        l->SourceBits = ReadLE16(dib + 10);
        l->EntrySize = 3;
    } else {
        width = (int)ReadLE32(dib + 4);
        height = (int)ReadLE32(dib + 8);
        l->SourceBits = ReadLE16(dib + 14);
        l->Compression = l->HeaderSize >= 20 ? ReadLE32(dib + 16) : BI_RGB;
        l->EntrySize = 4;
    }
    if (iconHeight) {
        if (height <= 0) return DIB_BAD_SIZE;
        height = iconHeight;
    }
    l->TopDown = height < 0;
    if (height < 0) height = -height;
    if (width <= 0 || width > 32767 || height == 0 || height > 32767) return DIB_BAD_SIZE;
    l->Width = (int)width;
    l->Height = (int)height;
    if (!KnownBitCount(l->SourceBits, core)) return DIB_UNSUPPORTED;

    size_t tableStart = l->HeaderSize;
    switch (l->Compression) {
    case BI_RGB: break;
    case BI_RLE8:
    case BI_RLE4:
        // A 64-byte header of the other family gives 3 and 4 other meanings; 1 and 2 agree.
        if (l->SourceBits != (l->Compression == BI_RLE8 ? 8 : 4) || l->TopDown || iconHeight)
            return DIB_UNSUPPORTED;
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS_VALUE:
        if ((l->SourceBits != 16 && l->SourceBits != 32) || l->HeaderSize == 64)
            return DIB_UNSUPPORTED;
        if (DibProblem p = ReadMasks(dib, size, l, &tableStart)) return p;
        break;
    default: return DIB_UNSUPPORTED;
    }
    if (l->Compression == BI_RGB && l->SourceBits == 16) {
        l->Masks[0] = 0x7C00;
        l->Masks[1] = 0x03E0;
        l->Masks[2] = 0x001F;
    }

    DWORD used = l->HeaderSize >= 36 ? ReadLE32(dib + 32) : 0;
    DWORD entries = used ? used : (l->SourceBits <= 8 ? 1u << l->SourceBits : 0);
    unsigned long long tableBytes = (unsigned long long)entries * l->EntrySize;
    if (tableBytes > size - tableStart) return DIB_TRUNCATED;
    l->Table = dib + tableStart;
    if (l->SourceBits <= 8)
        l->TableEntries = entries < (1u << l->SourceBits) ? entries : 1u << l->SourceBits;
    size_t tableEnd = tableStart + (size_t)tableBytes;

    // Real files often leave a gap before the pixels; the file header says where they are.
    size_t pixelStart = tableEnd;
    if (pixelOffset >= tableEnd && pixelOffset < size) pixelStart = pixelOffset;
    l->Pixels = dib + pixelStart;
    l->PixelBytes = size - pixelStart;
    l->SourceStride = DibStride(l->Width, l->SourceBits);
    bool compressed = l->Compression == BI_RLE8 || l->Compression == BI_RLE4;
    if (!compressed && l->SourceStride * (unsigned long long)l->Height > l->PixelBytes)
        return DIB_TRUNCATED;

    l->OutBits = OutputBits(l);
    l->OutStride = DibStride(l->Width, l->OutBits);
    l->OutTableBytes = l->OutBits <= 8 ? 4u << l->OutBits : 0;
    unsigned long long out = 40 + l->OutTableBytes + l->OutStride * (unsigned long long)l->Height;
    if (out > MAX_IMAGE_BYTES) return DIB_TOO_LARGE;
    l->OutSize = (size_t)out;
    l->Normalised = !iconHeight && l->HeaderSize == 40 && l->Compression == BI_RGB && !l->TopDown &&
                    l->OutBits == l->SourceBits &&
                    entries == (l->SourceBits <= 8 ? 1u << l->SourceBits : 0) &&
                    pixelStart == tableEnd;
    return DIB_OK;
}

static void PutIndex(BYTE* row, int bits, long long x, int value) {
    if (bits == 8) {
        row[x] = (BYTE)value;
    } else {
        int shift = (x & 1) ? 0 : 4;
        row[x / 2] = (BYTE)((row[x / 2] & ~(0x0F << shift)) | (value & 0x0F) << shift);
    }
}

// Run-length pixels: runs, end of line, end of picture, jumps and literal runs. Rows go
// bottom-up; whatever falls outside the picture is dropped, and the decoding stops where
// the data ends.
static void DecodeRle(const DibLayout* l, BYTE* pixels) {
    bool rle4 = l->Compression == BI_RLE4;
    const BYTE* p = l->Pixels;
    const BYTE* end = l->Pixels + l->PixelBytes;
    long long x = 0, y = 0;
    while (end - p >= 2 && y < l->Height) {
        int count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            BYTE* row = pixels + (size_t)y * l->OutStride;
            for (int k = 0; k < count && x < l->Width; k++, x++)
                PutIndex(row, l->OutBits, x, rle4 ? ((k & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            y++;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (end - p < 2) return;
            x += p[0];
            y += p[1];
            p += 2;
        } else {
            size_t bytes = rle4 ? (value + 1) / 2 : value;
            size_t padded = (bytes + 1) & ~(size_t)1;
            if ((size_t)(end - p) < bytes) return;
            BYTE* row = pixels + (size_t)y * l->OutStride;
            for (int k = 0; k < value && x < l->Width; k++, x++) {
                int byte = p[rle4 ? k / 2 : k];
                PutIndex(row, l->OutBits, x, rle4 ? ((k & 1) ? byte & 0x0F : byte >> 4) : byte);
            }
            p += padded < (size_t)(end - p) ? padded : (size_t)(end - p);
        }
    }
}

struct Channel {
    DWORD Mask;
    int Shift;
    DWORD Max;
};

static Channel MakeChannel(DWORD mask) {
    Channel c = {mask, 0, 0};
    if (!mask) return c;
    while (!((mask >> c.Shift) & 1))
        c.Shift++;
    c.Max = mask >> c.Shift;
    return c;
}

static BYTE Extract(const Channel& c, DWORD value) {
    if (!c.Max) return 0;
    return (BYTE)((unsigned long long)((value & c.Mask) >> c.Shift) * 255 / c.Max);
}

// Bitfield pixels into plain 24- or 32-bit ones (blue, green, red, then alpha).
static void ConvertBitfieldRow(const DibLayout* l, const BYTE* source, BYTE* target) {
    Channel channels[4];
    for (int i = 0; i < 4; i++)
        channels[i] = MakeChannel(l->Masks[i]);
    int inBytes = l->SourceBits / 8, outBytes = l->OutBits / 8;
    for (int x = 0; x < l->Width; x++) {
        const BYTE* s = source + x * inBytes;
        DWORD v = inBytes == 2 ? (DWORD)ReadLE16(s) : ReadLE32(s);
        BYTE* t = target + x * outBytes;
        t[0] = Extract(channels[2], v);
        t[1] = Extract(channels[1], v);
        t[2] = Extract(channels[0], v);
        if (outBytes == 4) t[3] = Extract(channels[3], v);
    }
}

static void ExpandTwoBitRow(const DibLayout* l, const BYTE* source, BYTE* target) {
    for (int x = 0; x < l->Width; x++)
        PutIndex(target, 4, x, (source[x / 4] >> (6 - 2 * (x % 4))) & 3);
}

void DecodeDibHead(const DibLayout* l, BYTE* out) {
    BYTE header[40] = {};
    header[0] = 40;
    memcpy(header + 4, &l->Width, 4);
    memcpy(header + 8, &l->Height, 4);
    header[12] = 1;
    header[14] = (BYTE)l->OutBits;
    DWORD imageBytes = (DWORD)(l->OutStride * l->Height);
    memcpy(header + 20, &imageBytes, 4);
    DWORD used = l->OutBits <= 8 ? 1u << l->OutBits : 0;
    memcpy(header + 32, &used, 4);
    memcpy(out, header, 40);

    BYTE* table = out + 40;
    for (DWORD i = 0; i < l->TableEntries; i++) {
        const BYTE* entry = l->Table + (size_t)i * l->EntrySize;
        table[4 * i] = entry[0];
        table[4 * i + 1] = entry[1];
        table[4 * i + 2] = entry[2];
    }
}

bool DibRowsArePlain(const DibLayout* l) {
    return l->OutBits == l->SourceBits &&
           (l->SourceBits <= 24 || l->Compression == BI_RGB || StandardMasks(l));
}

void DecodeDibRow(const DibLayout* l, const BYTE* source, BYTE* target) {
    if (DibRowsArePlain(l))
        memcpy(target, source, l->OutStride);
    else if (l->SourceBits == 2)
        ExpandTwoBitRow(l, source, target);
    else
        ConvertBitfieldRow(l, source, target);
}

static void DecodeDibPixels(const DibLayout* l, BYTE* pixels) {
    if (l->Compression == BI_RLE8 || l->Compression == BI_RLE4) {
        DecodeRle(l, pixels);
        return;
    }
    for (int i = 0; i < l->Height; i++)
        DecodeDibRow(l, l->Pixels + (size_t)i * l->SourceStride,
                     pixels + (size_t)(l->TopDown ? l->Height - 1 - i : i) * l->OutStride);
}

void DecodeDib(const DibLayout* l, BYTE* out) {
    DecodeDibHead(l, out);
    DecodeDibPixels(l, out + 40 + l->OutTableBytes);
}
