// Single pixels of the canvas's DIB sections, addressed top-down with (0, 0) at the top left
// over rows stored bottom-up: reading indices and colours, setting indices, the nearest
// colour of a table, and the white fill of a new image.
#include "canvas/bitmaps.h"
#include "files/files.h"

BYTE* RowOf(const BITMAPINFO* info, BYTE* bits, int y) {
    return bits + DibStride(InfoWidth(info), InfoBitCount(info)) * (InfoHeight(info) - 1 - y);
}

int IndexAt(const BYTE* row, int bitCount, int x) {
    switch (bitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    default: return row[x];
    }
}

void SetIndexAt(BYTE* row, int bitCount, int x, int index) {
    if (bitCount == 1) {
        BYTE bit = (BYTE)(0x80 >> (x % 8));
        row[x / 8] = (BYTE)(index ? row[x / 8] | bit : row[x / 8] & ~bit);
    } else if (bitCount == 4) {
        BYTE& b = row[x / 2];
        b = (BYTE)((x & 1) ? (b & 0xF0) | (index & 0x0F) : (b & 0x0F) | (index << 4));
    } else {
        row[x] = (BYTE)index;
    }
}

DWORD ColorAt(BITMAPINFO* info, const BYTE* row, int x) {
    int bitCount = InfoBitCount(info);
    if (bitCount <= 8) return InfoTable(info)[IndexAt(row, bitCount, x)] & 0x00FFFFFF;
    if (bitCount == 16) {
        int v = row[2 * x] | row[2 * x + 1] << 8;
        int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return (DWORD)((r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2));
    }
    const BYTE* p = row + x * (bitCount / 8);
    return (DWORD)(p[2] << 16 | p[1] << 8 | p[0]);
}

int NearestIndex(const DWORD* table, int entries, DWORD color) {
    int best = 0;
    long bestDistance = 0x7FFFFFFF;
    for (int i = 0; i < entries; i++) {
        long dr = (long)((table[i] >> 16) & 255) - (long)((color >> 16) & 255);
        long dg = (long)((table[i] >> 8) & 255) - (long)((color >> 8) & 255);
        long db = (long)(table[i] & 255) - (long)(color & 255);
        long distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void FillWhite(BITMAPINFO* info, BYTE* bits) {
    int bitCount = InfoBitCount(info);
    if (bitCount > 8) {
        FillMemory(bits, InfoPixelBytes(info), 0xFF);
        return;
    }
    int white = NearestIndex(InfoTable(info), TableEntries(bitCount), WhiteColor);
    for (int y = 0; y < InfoHeight(info); y++) {
        BYTE* row = RowOf(info, bits, y);
        for (int x = 0; x < InfoWidth(info); x++)
            SetIndexAt(row, bitCount, x, white);
    }
}
