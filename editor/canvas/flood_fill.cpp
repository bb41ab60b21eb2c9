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

// Pixels are compared 64 at a time where they can be: a block of 64 pixels starts on a whole
// byte at every bit count, and its mask is one 64-bit word.
#define BLOCK 64

// What the fill looks for: the area's key, and a block of 64 pixels of it as stored with the
// mask word that goes with it.
struct AreaKey {
    unsigned long long Key;
    unsigned long long Pixels[BLOCK * 32 / 64];
    unsigned long long Mask;
    size_t BlockBytes;
};

static void MakeAreaKey(const FillPicture& f, unsigned long long key, AreaKey* area) {
    area->Key = key;
    ZeroMemory(area->Pixels, sizeof area->Pixels);
    SetValueSpan(f, (BYTE*)area->Pixels, 0, BLOCK - 1, (DWORD)key);
    area->Mask = (key >> 32) ? ~0ULL : 0;
    area->BlockBytes = (size_t)BLOCK * f.BitCount / 8;
}

// From x, a multiple of BLOCK, past the whole blocks of the area that end by last. The
// differences of a block are gathered before they are tested, which lets the compiler compare
// several words at once.
static int SkipBlocks(const FillPicture& f, const AreaKey& area, const BYTE* row,
                      const BYTE* maskRow, int x, int last) {
    size_t words = area.BlockBytes / 8;
    for (; x + BLOCK - 1 <= last; x += BLOCK) {
        unsigned long long word, diff = area.Mask;
        if (maskRow) {
            memcpy(&word, maskRow + x / 8, 8);
            diff ^= word;
        }
        const BYTE* pixels = row + (size_t)x * f.BitCount / 8;
        for (size_t i = 0; i < words; i++) {
            memcpy(&word, pixels + 8 * i, 8);
            diff |= word ^ area.Pixels[i];
        }
        if (diff) break;
    }
    return x;
}

// The first pixel from x to last that is not of the area (last + 1 when all are).
static int RunEnd(const FillPicture& f, const AreaKey& area, const BYTE* row, const BYTE* maskRow,
                  int x, int last) {
    while (x <= last) {
        if (x % BLOCK == 0) {
            x = SkipBlocks(f, area, row, maskRow, x, last);
            if (x > last) break;
        }
        if (KeyAt(f, row, maskRow, x) != area.Key) return x;
        x++;
    }
    return x;
}

// A span still to be filled from: a pixel of the area in row Y, found along the span
// From..To of the row Y - Dir, which is done; the pixels X..End - 1 were of the area when it
// was found.
struct Seed {
    int X, Y, Dir, From, To, End;
};

// Seeds for the runs of the area in row y between pixels a and b.
static void FindRuns(const FillPicture& f, const AreaKey& area, int y, int a, int b, int dir,
                     int from, int to, std::vector<Seed>* seeds) {
    if (y < 0 || y >= f.Height || a > b) return;
    const BYTE* row = RowAt(f.Bits, f.Stride, f.Height, y);
    const BYTE* maskRow =
        f.ReadMask ? RowAt((BYTE*)f.ReadMask, f.MaskStride, f.Height, y) : nullptr;
    for (int x = a; x <= b;) {
        if (KeyAt(f, row, maskRow, x) != area.Key) {
            x++;
            continue;
        }
        int end = RunEnd(f, area, row, maskRow, x, b);
        seeds->push_back(Seed{x, y, dir, from, to, end});
        x = end;
    }
}

// The span fill: each span of the area is widened to its ends in its row and changed; the
// row beyond is searched along it for more, and the row it came from only where the span
// reaches past the one it came from. A changed pixel no longer has the area's key, so
// nothing is filled twice.
static void FillArea(const FillPicture& f, POINT seed, unsigned long long key,
                     const FillChange& change) {
    AreaKey area;
    MakeAreaKey(f, key, &area);
    std::vector<Seed> seeds;
    // The first span came from no row: both rows beside it are searched whole.
    seeds.push_back(Seed{seed.x, seed.y, 1, seed.x, seed.x - 1, seed.x});
    while (!seeds.empty()) {
        Seed s = seeds.back();
        seeds.pop_back();
        BYTE* row = RowAt(f.Bits, f.Stride, f.Height, s.Y);
        const BYTE* maskRow =
            f.ReadMask ? RowAt((BYTE*)f.ReadMask, f.MaskStride, f.Height, s.Y) : nullptr;
        if (KeyAt(f, row, maskRow, s.X) != key) continue;
        int left = s.X;
        while (left > 0 && KeyAt(f, row, maskRow, left - 1) == key)
            left--;
        // A span that filled any pixel of X..End - 1 since it was found filled all of them,
        // X included, as they were one run: with X unfilled, the run is searched on from End.
        int right = RunEnd(f, area, row, maskRow, s.End, f.Width - 1) - 1;
        if (change.SetsValue) SetValueSpan(f, row, left, right, change.Value);
        if (change.SetsMask)
            SetMaskSpan(RowAt(f.WriteMask, f.MaskStride, f.Height, s.Y), left, right,
                        change.Transparent);
        FindRuns(f, area, s.Y + s.Dir, left, right, s.Dir, left, right, &seeds);
        FindRuns(f, area, s.Y - s.Dir, left, s.From - 1, -s.Dir, left, right, &seeds);
        FindRuns(f, area, s.Y - s.Dir, s.To + 1, right, -s.Dir, left, right, &seeds);
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
    // The fill makes what it covers opaque, as all paint does: an icon's image without a mask
    // of its own gets one first, so that the snapshot takes it with the image.
    if (!maskMode) MaskForPainting(canvas);
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
    FillArea(f, pixel, key, change);
    Modified = 1;
    RefreshViews(canvas, TRUE);
}
