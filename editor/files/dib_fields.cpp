// Field readers for DIB headers at any address: every field is put together byte by byte,
// little-endian, so a header needs no alignment.
#include "files/files.h"

DWORD ReadLE32(const BYTE* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | (DWORD)p[3] << 24;
}

int ReadLE16(const BYTE* p) {
    return p[0] | p[1] << 8;
}

static bool IsCoreHeader(const BYTE* dib) {
    return ReadLE32(dib) == 12;
}

// The slot keeps widths and heights as signed 16-bit values; both header forms start the
// width at offset 4.
int DibWidth(const BYTE* dib) {
    return (short)ReadLE16(dib + 4);
}

int DibHeight(const BYTE* dib) {
    return (short)(IsCoreHeader(dib) ? ReadLE16(dib + 6) : ReadLE16(dib + 8));
}

int DibBitCount(const BYTE* dib) {
    return IsCoreHeader(dib) ? ReadLE16(dib + 10) : ReadLE16(dib + 14);
}

BYTE* DibBits(BYTE* dib) {
    DWORD headerSize = ReadLE32(dib);
    int bitCount = DibBitCount(dib);
    DWORD entries = 0;
    if (headerSize >= 36 && ReadLE32(dib + 32) != 0)
        entries = ReadLE32(dib + 32);
    else if (bitCount <= 8)
        entries = 1u << bitCount;
    return dib + headerSize + entries * (headerSize == 12 ? 3 : 4);
}

// Worked out in 64 bits, so that no width a header can give wraps around on the way.
size_t DibStride(int width, int bitCount) {
    return (size_t)((((unsigned long long)width * bitCount + 31) / 32) * 4);
}
