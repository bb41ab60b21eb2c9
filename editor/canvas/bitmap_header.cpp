// The DIB header builder and the DIB sections made from its headers. Every bitmap of the
// canvas is a DIB section whose pixels are read and written directly, so copies keep palette
// indices exactly even when a colour table holds the same colour twice.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "base/report.h"

int TableEntries(int bitCount) {
    return bitCount <= 8 ? 1 << bitCount : 0;
}

int InfoWidth(const BITMAPINFO* info) {
    return info->bmiHeader.biWidth;
}
int InfoHeight(const BITMAPINFO* info) {
    return info->bmiHeader.biHeight;
}
int InfoBitCount(const BITMAPINFO* info) {
    return info->bmiHeader.biBitCount;
}
DWORD* InfoTable(BITMAPINFO* info) {
    return (DWORD*)info->bmiColors;
}
size_t InfoPixelBytes(const BITMAPINFO* info) {
    return DibStride(InfoWidth(info), InfoBitCount(info)) * InfoHeight(info);
}

bool SameLayout(BITMAPINFO* a, BITMAPINFO* b) {
    if (InfoWidth(a) != InfoWidth(b) || InfoHeight(a) != InfoHeight(b) ||
        InfoBitCount(a) != InfoBitCount(b))
        return false;
    int entries = TableEntries(InfoBitCount(a));
    for (int i = 0; i < entries; i++)
        if (InfoTable(a)[i] != InfoTable(b)[i]) return false;
    return true;
}

void FillStandardTable(BITMAPINFO* info, int bitCount) {
    DWORD* table = InfoTable(info);
    if (bitCount == 1) {
        table[1] = WhiteColor;
    } else if (bitCount == 4) {
        for (int i = 0; i < 16; i++)
            table[i] = StandardColors[i];
    } else if (bitCount == 8) {
        static const BYTE Levels[8] = {0, 36, 72, 109, 145, 182, 218, 255};
        static const BYTE BlueLevels[4] = {0, 85, 170, 255};
        for (int i = 0; i < 256; i++) {
            RGBQUAD& q = info->bmiColors[i];
            q.rgbRed = Levels[i & 7];
            q.rgbGreen = Levels[(i >> 3) & 7];
            q.rgbBlue = BlueLevels[(i >> 6) & 3];
        }
    }
}

BITMAPINFO* iDrawBitmapN(HWND owner, int bitCount, int width, int height, BITMAPINFO** holder) {
    if (!holder) return nullptr;
    if (*holder) return *holder;
    // A size whose pixel count does not fit the header's 32-bit field cannot be allocated.
    LONGLONG imageBytes = 0;
    if (width > 0 && height > 0 && bitCount > 0 && bitCount <= 32)
        imageBytes = (LONGLONG)DibStride(width, bitCount) * height;
    if (imageBytes <= 0 || imageBytes > 0x7FFFFFFF) {
        ReportNoMemory(owner, L"iDrawBitmapN");
        return nullptr;
    }
    int entries = TableEntries(bitCount);
    BITMAPINFO* info = (BITMAPINFO*)LocalAlloc(LPTR, sizeof(BITMAPINFOHEADER) + 4 * entries);
    if (!info) {
        ReportNoMemory(owner, L"iDrawBitmapN");
        return nullptr;
    }
    BITMAPINFOHEADER& h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = (WORD)bitCount;
    h.biCompression = BI_RGB;
    h.biSizeImage = (DWORD)imageBytes;
    h.biClrUsed = entries;
    FillStandardTable(info, bitCount);
    *holder = info;
    return info;
}

// The section takes its colour table when it is made, so a table of its own goes in first:
// drawing calls match colours against that table.
HBITMAP MakeBitmap(HWND owner, const WCHAR* caption, int bitCount, int width, int height,
                   const DWORD* table, int entries, BITMAPINFO** info, BYTE** bits) {
    *info = nullptr;
    *bits = nullptr;
    if (!iDrawBitmapN(owner, bitCount, width, height, info)) return nullptr;
    if (table) {
        ZeroMemory(InfoTable(*info), 4 * TableEntries(bitCount));
        CopyMemory(InfoTable(*info), table, 4 * entries);
    }
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, *info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (bitmap && memory) {
        *bits = (BYTE*)memory;
        return bitmap;
    }
    if (bitmap) DeleteObject(bitmap);
    LocalFree(*info);
    *info = nullptr;
    ReportNoMemory(owner, caption);
    return nullptr;
}

void FreeBitmap(HBITMAP* bitmap, BYTE** bits, BITMAPINFO** info) {
    if (*bitmap) DeleteObject(*bitmap);
    if (*info) LocalFree(*info);
    *bitmap = nullptr;
    *bits = nullptr;
    *info = nullptr;
}
