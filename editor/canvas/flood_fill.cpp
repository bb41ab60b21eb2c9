// The fill tool: the 4-connected area of one colour and one transparency under a tap takes
// the fill colour and becomes opaque, or in the Opaque/Transparency mode becomes transparent
// or opaque as the opaque/transparent tool chooses; one undo step either way. The pixels are
// read and written in the DIB sections directly, a row span at a time, so a whole large
// picture fills in about the time one repaint of it takes.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include <cstring>
#include <vector>

// The picture as the fill sees it: the colour pixels, and the mask that tells which are
// transparent (none: every pixel opaque) and the one it may change (none: it changes no mask).
struct FillPicture {
    int Width, Height, BitCount;
    size_t Stride, MaskStride;
    BYTE* Bits;
    const BYTE* ReadMask;
    BYTE* WriteMask;
};

static BYTE* RowAt(BYTE* bits, size_t stride, int height, int y) {
    return bits + stride * (size_t)(height - 1 - y);
}

static bool MaskBit(const BYTE* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// A pixel's colour as stored, with its transparency in bit 32: two pixels of the same key are
// one area. A 32-bit pixel whose alpha byte the drawing calls left at 0 while it is opaque is
// shown and saved with alpha 255, so it counts as that.
static inline unsigned long long KeyAt(const FillPicture& f, const BYTE* row, const BYTE* maskRow,
                                       int x) {
    unsigned long long value;
    switch (f.BitCount) {
    case 1: value = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
    case 4: value = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4; break;
    case 8: value = row[x]; break;
    case 16: value = row[2 * x] | row[2 * x + 1] << 8; break;
    case 24: value = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16; break;
    default: {
        DWORD v;
        memcpy(&v, row + 4 * x, 4);
        value = (v >> 24) ? v : v | 0xFF000000u;
    }
    }
    bool transparent = maskRow && MaskBit(maskRow, x);
    return value | (unsigned long long)transparent << 32;
}

// The stored value of a colour (0x00BBGGRR) in the picture: the nearest colour-table entry,
// or the colour itself, opaque.
static DWORD StoredValue(BITMAPINFO* info, COLORREF color) {
    int bitCount = InfoBitCount(info);
    BYTE r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    if (bitCount <= 8)
        return (DWORD)NearestIndex(InfoTable(info), TableEntries(bitCount),
                                   (DWORD)(r << 16 | g << 8 | b));
    if (bitCount == 16) return (DWORD)((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    if (bitCount == 24) return (DWORD)(r << 16 | g << 8 | b);
    return 0xFF000000u | (DWORD)(r << 16 | g << 8 | b);
}

static void SetMaskSpan(BYTE* row, int left, int right, bool transparent) {
    for (int x = left; x <= right; x++) {
        BYTE bit = (BYTE)(0x80 >> (x & 7));
        row[x >> 3] = (BYTE)(transparent ? row[x >> 3] | bit : row[x >> 3] & ~bit);
    }
}

// Pixels left..right of a row take the value.
static void SetValueSpan(const FillPicture& f, BYTE* row, int left, int right, DWORD value) {
    switch (f.BitCount) {
    case 1: SetMaskSpan(row, left, right, value != 0); break;
    case 4: {
        if (left & 1) SetIndexAt(row, 4, left++, (int)value);
        if (left <= right && !(right & 1)) SetIndexAt(row, 4, right--, (int)value);
        if (left <= right)
            memset(row + left / 2, (int)(value * 0x11), (size_t)(right - left + 1) / 2);
        break;
    }
    case 8: memset(row + left, (int)value, (size_t)(right - left + 1)); break;
    case 16:
        for (int x = left; x <= right; x++) {
            row[2 * x] = (BYTE)value;
            row[2 * x + 1] = (BYTE)(value >> 8);
        }
        break;
    case 24:
        for (int x = left; x <= right; x++) {
            row[3 * x] = (BYTE)value;
            row[3 * x + 1] = (BYTE)(value >> 8);
            row[3 * x + 2] = (BYTE)(value >> 16);
        }
        break;
    default:
        for (int x = left; x <= right; x++)
            memcpy(row + 4 * x, &value, 4);
    }
}

// What a filled pixel becomes: a value (unless only its transparency changes) and a
// transparency (unless there is no mask to change).
struct FillChange {
    bool SetsValue;
    DWORD Value;
    bool SetsMask;
    bool Transparent;
};

// The span fill: each span of the area is widened to its ends in its row, changed, and the
// rows above and below are searched along it for more. A changed pixel no longer has the
// area's key, so nothing is visited twice. The changed rows' bounds go into *changed.
static void FillArea(const FillPicture& f, POINT seed, unsigned long long key,
                     const FillChange& change, RECT* changed) {
    SetRect(changed, seed.x, seed.y, seed.x + 1, seed.y + 1);
    std::vector<POINT> seeds;
    seeds.push_back(seed);
    while (!seeds.empty()) {
        POINT p = seeds.back();
        seeds.pop_back();
        BYTE* row = RowAt(f.Bits, f.Stride, f.Height, p.y);
        BYTE* maskRow =
            f.ReadMask ? RowAt((BYTE*)f.ReadMask, f.MaskStride, f.Height, p.y) : nullptr;
        if (KeyAt(f, row, maskRow, p.x) != key) continue;
        int left = p.x, right = p.x;
        while (left > 0 && KeyAt(f, row, maskRow, left - 1) == key)
            left--;
        while (right + 1 < f.Width && KeyAt(f, row, maskRow, right + 1) == key)
            right++;
        if (change.SetsValue) SetValueSpan(f, row, left, right, change.Value);
        if (change.SetsMask)
            SetMaskSpan(RowAt(f.WriteMask, f.MaskStride, f.Height, p.y), left, right,
                        change.Transparent);
        RECT span = {left, p.y, right + 1, p.y + 1};
        UnionRect(changed, changed, &span);
        for (int y = p.y - 1; y <= p.y + 1; y += 2) {
            if (y < 0 || y >= f.Height) continue;
            BYTE* next = RowAt(f.Bits, f.Stride, f.Height, y);
            BYTE* nextMask =
                f.ReadMask ? RowAt((BYTE*)f.ReadMask, f.MaskStride, f.Height, y) : nullptr;
            bool inRun = false;
            for (int x = left; x <= right; x++) {
                bool in = KeyAt(f, next, nextMask, x) == key;
                if (in && !inRun) seeds.push_back(POINT{x, y});
                inRun = in;
            }
        }
    }
}

// The mask that tells the canvas's transparency: its own while it has one of the image's
// size, else the one an opened icon came with (which the fill reads but never changes).
static bool CanvasMaskFits() {
    return MaskBitmap && MaskBits && MaskInfo && InfoWidth(MaskInfo) == CanvasWidth &&
           InfoHeight(MaskInfo) == CanvasHeight;
}

bool PixelTransparent(int x, int y) {
    if (!ImageInfo || x < 0 || y < 0 || x >= InfoWidth(ImageInfo) || y >= InfoHeight(ImageInfo))
        return false;
    ImageToWrite image;
    CanvasImageToWrite(true, &image);
    if (!image.Mask) return false;
    size_t stride = DibStride(InfoWidth(ImageInfo), 1);
    return MaskBit(image.Mask + stride * (size_t)(InfoHeight(ImageInfo) - 1 - y), x);
}

void FillAt(HWND canvas, POINT pixel) {
    if (!ImageBitmap || !ImageBits || !ImageInfo) return;
    FillPicture f = {InfoWidth(ImageInfo),
                     InfoHeight(ImageInfo),
                     InfoBitCount(ImageInfo),
                     0,
                     0,
                     ImageBits,
                     nullptr,
                     nullptr};
    if (pixel.x < 0 || pixel.y < 0 || pixel.x >= f.Width || pixel.y >= f.Height) return;
    f.Stride = DibStride(f.Width, f.BitCount);
    f.MaskStride = DibStride(f.Width, 1);
    bool maskMode = TransparencyMode != 0;
    if (maskMode && !CanvasMaskFits()) return;
    ImageToWrite image;
    CanvasImageToWrite(true, &image);
    f.ReadMask = image.Mask;
    if (CanvasMaskFits()) f.WriteMask = MaskBits;
    GdiFlush(); // drawing still held in a batch reaches the pixels first
    BYTE* seedRow = RowAt(f.Bits, f.Stride, f.Height, pixel.y);
    const BYTE* seedMask =
        f.ReadMask ? RowAt((BYTE*)f.ReadMask, f.MaskStride, f.Height, pixel.y) : nullptr;
    unsigned long long key = KeyAt(f, seedRow, seedMask, pixel.x);
    bool transparent = (key >> 32) != 0;
    FillChange change = {!maskMode, 0, f.WriteMask != nullptr, false};
    if (maskMode) {
        change.Transparent = OpacityTool == 1;
    } else {
        change.Value = StoredValue(ImageInfo, FillColor);
        change.Transparent = change.SetsMask ? false : transparent;
    }
    // A fill that would change nothing takes no undo step, so a double tap keeps the one
    // before it.
    unsigned long long after = change.SetsValue ? change.Value : key & 0xFFFFFFFFu;
    after |= (unsigned long long)(change.SetsMask ? change.Transparent : transparent) << 32;
    if (after == key) return;
    TakeSnapshot(canvas);
    RECT changed;
    FillArea(f, pixel, key, change, &changed);
    Modified = 1;
    RefreshViews(canvas, TRUE);
}
