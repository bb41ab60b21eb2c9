// The pixel image, its undo snapshot, the transparency mask and the DIB header builder.
// Every bitmap here is a DIB section whose pixels are read and written directly, so copies
// keep palette indices exactly even when a colour table holds the same colour twice.
#include "canvas/canvas.h"
#include "files/files.h"
#include "shell/editor_state.h"

HBITMAP ImageBitmap;
BYTE* ImageBits;
BITMAPINFO* ImageInfo;
HBITMAP MaskBitmap;
BYTE* MaskBits;
BITMAPINFO* MaskInfo;
HBITMAP CompositeBitmap;
BYTE* CompositeBits;
BITMAPINFO* CompositeInfo;
HBITMAP UndoBitmap;
BYTE* UndoBits;
BITMAPINFO* UndoInfo;
int UndoAvailable;
int RedoAvailable;
int UndoHoldsMask;

static const WCHAR NoMemoryText[] = L"could not allocate any memory.";
static const DWORD WhiteColor = 0x00FFFFFF; // as a colour-table word: red, green, blue 255

// The standard 16-colour table as colour-table words (0x00RRGGBB).
static const DWORD StandardColors[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                         0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                         0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// ---- Header geometry ---------------------------------------------------------------------

static int TableEntries(int bitCount) {
    return bitCount <= 8 ? 1 << bitCount : 0;
}

// Bytes of one stored row; 64-bit so absurd sizes can be refused instead of wrapping.
static LONGLONG RowBytes(int bitCount, int width) {
    return ((LONGLONG)bitCount * width + 31) / 32 * 4;
}

static int InfoWidth(const BITMAPINFO* info) {
    return info->bmiHeader.biWidth;
}
static int InfoHeight(const BITMAPINFO* info) {
    return info->bmiHeader.biHeight;
}
static int InfoBitCount(const BITMAPINFO* info) {
    return info->bmiHeader.biBitCount;
}
static DWORD* InfoTable(BITMAPINFO* info) {
    return (DWORD*)info->bmiColors;
}
static size_t InfoPixelBytes(const BITMAPINFO* info) {
    return (size_t)RowBytes(InfoBitCount(info), InfoWidth(info)) * InfoHeight(info);
}

// Same size, bit count and colour table: pixels of one mean the same in the other.
static bool SameLayout(BITMAPINFO* a, BITMAPINFO* b) {
    if (InfoWidth(a) != InfoWidth(b) || InfoHeight(a) != InfoHeight(b) ||
        InfoBitCount(a) != InfoBitCount(b))
        return false;
    int entries = TableEntries(InfoBitCount(a));
    for (int i = 0; i < entries; i++)
        if (InfoTable(a)[i] != InfoTable(b)[i]) return false;
    return true;
}

static void TellNoMemory(HWND owner, const WCHAR* caption) {
    MessageBoxW(owner, NoMemoryText, caption, MB_OK);
}

BITMAPINFO* iDrawBitmapN(HWND owner, int bitCount, int width, int height, BITMAPINFO** holder) {
    if (!holder) return nullptr;
    if (*holder) return *holder;
    // A size whose pixel count does not fit the header's 32-bit field cannot be allocated.
    LONGLONG imageBytes = 0;
    if (width > 0 && height > 0 && bitCount > 0 && bitCount <= 32)
        imageBytes = RowBytes(bitCount, width) * height;
    if (imageBytes <= 0 || imageBytes > 0x7FFFFFFF) {
        TellNoMemory(owner, L"iDrawBitmapN");
        return nullptr;
    }
    int entries = TableEntries(bitCount);
    BITMAPINFO* info = (BITMAPINFO*)LocalAlloc(LPTR, sizeof(BITMAPINFOHEADER) + 4 * entries);
    if (!info) {
        TellNoMemory(owner, L"iDrawBitmapN");
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
    *holder = info;
    return info;
}

// A header and its DIB section made together, both or neither. The section takes its colour
// table when it is made, so a table of its own (entries words, the rest zero) goes in first:
// drawing calls match colours against that table.
static HBITMAP MakeBitmap(HWND owner, const WCHAR* caption, int bitCount, int width, int height,
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
    TellNoMemory(owner, caption);
    return nullptr;
}

static void FreeBitmap(HBITMAP* bitmap, BYTE** bits, BITMAPINFO** info) {
    if (*bitmap) DeleteObject(*bitmap);
    if (*info) LocalFree(*info);
    *bitmap = nullptr;
    *bits = nullptr;
    *info = nullptr;
}

// ---- Pixels (top-down coordinates over bottom-up rows) -----------------------------------

static BYTE* RowOf(const BITMAPINFO* info, BYTE* bits, int y) {
    return bits +
           (size_t)RowBytes(InfoBitCount(info), InfoWidth(info)) * (InfoHeight(info) - 1 - y);
}

static int IndexAt(const BYTE* row, int bitCount, int x) {
    switch (bitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    default: return row[x];
    }
}

static void SetIndexAt(BYTE* row, int bitCount, int x, int index) {
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

// The pixel's colour as a colour-table word (0x00RRGGBB).
static DWORD ColorAt(BITMAPINFO* info, const BYTE* row, int x) {
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

static int NearestIndex(const DWORD* table, int entries, DWORD color) {
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

static void FillWhite(BITMAPINFO* info, BYTE* bits) {
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

// ---- The mask, the scratch bitmap and the history ----------------------------------------

void DropUndoHistory() {
    UndoAvailable = 0;
    RedoAvailable = 0;
    UndoHoldsMask = 0;
    FreeBitmap(&UndoBitmap, &UndoBits, &UndoInfo);
}

// The mask belongs to one image: a replaced image gets a new one at the next mode switch.
static void DropMask() {
    if (UndoHoldsMask) DropUndoHistory();
    FreeBitmap(&MaskBitmap, &MaskBits, &MaskInfo);
    FreeBitmap(&CompositeBitmap, &CompositeBits, &CompositeInfo);
}

static void RefreshViews(HWND canvas, BOOL erase) {
    UINT flags = RDW_INVALIDATE | (erase ? RDW_ERASE : 0);
    if (canvas) RedrawWindow(canvas, nullptr, nullptr, flags);
    for (int i = 1; i < 3; i++)
        if (ImageWindows[i]) RedrawWindow(ImageWindows[i], nullptr, nullptr, flags);
}

// After a failed replacement the size variables describe the image still in place.
static void KeepCanvasSizeOfImage() {
    if (ImageInfo) {
        CanvasWidth = InfoWidth(ImageInfo);
        CanvasHeight = InfoHeight(ImageInfo);
    }
}

static void InstallImage(HBITMAP bitmap, BYTE* bits, BITMAPINFO* info) {
    FreeBitmap(&ImageBitmap, &ImageBits, &ImageInfo);
    ImageBitmap = bitmap;
    ImageBits = bits;
    ImageInfo = info;
    CanvasWidth = InfoWidth(info);
    CanvasHeight = InfoHeight(info);
    DropUndoHistory();
}

// ---- Creating and discarding -------------------------------------------------------------

int CreateImage(HWND window) {
    if (ImagePending) return 1; // the file about to be loaded brings the image
    BITMAPINFO* info;
    BYTE* bits;
    HBITMAP bitmap = MakeBitmap(window, L"CreateImage", ImageBitCount, CanvasWidth, CanvasHeight,
                                nullptr, 0, &info, &bits);
    if (!bitmap) {
        KeepCanvasSizeOfImage();
        return 0;
    }
    FillWhite(info, bits);
    DropMask();
    InstallImage(bitmap, bits, info);
    SizeChosen = 0;
    return 1;
}

void DiscardImage() {
    DropMask();
    DropUndoHistory();
    FreeBitmap(&ImageBitmap, &ImageBits, &ImageInfo);
}

// ---- Snapshot and exchange ---------------------------------------------------------------

// The bitmap a snapshot of the mask or of the image belongs to.
static BITMAPINFO* SubjectInfo(int mask) {
    return mask ? MaskInfo : ImageInfo;
}
static bool SubjectExists(int mask) {
    return mask ? MaskBitmap && MaskBits && MaskInfo : ImageBitmap && ImageBits && ImageInfo;
}

// The store holds a snapshot that may be exchanged with what it was taken from.
static bool StoreMatchesSubject() {
    return UndoBitmap && UndoBits && UndoInfo && SubjectExists(UndoHoldsMask) &&
           SameLayout(UndoInfo, SubjectInfo(UndoHoldsMask));
}

static int SnapshotOf(HWND window, int mask) {
    if (!SubjectExists(mask)) {
        DropUndoHistory();
        return 0;
    }
    BITMAPINFO* subject = SubjectInfo(mask);
    if (UndoBitmap && (UndoHoldsMask != mask || !SameLayout(UndoInfo, subject))) DropUndoHistory();
    if (!UndoBitmap) {
        UndoAvailable = RedoAvailable = 0;
        int bitCount = InfoBitCount(subject);
        BITMAPINFO* info;
        BYTE* bits;
        HBITMAP bitmap =
            MakeBitmap(window, L"TakeSnapshot", bitCount, InfoWidth(subject), InfoHeight(subject),
                       InfoTable(subject), TableEntries(bitCount), &info, &bits);
        if (!bitmap) return 0;
        UndoBitmap = bitmap;
        UndoBits = bits;
        UndoInfo = info;
    }
    CopyMemory(UndoBits, mask ? MaskBits : ImageBits, InfoPixelBytes(subject));
    UndoHoldsMask = mask;
    UndoAvailable = 1;
    RedoAvailable = 0;
    return 1;
}

int TakeSnapshot(HWND window) {
    return SnapshotOf(window, TransparencyMode && MaskBitmap);
}

int TakeImageSnapshot(HWND window) {
    return SnapshotOf(window, 0);
}

void RestoreSnapshot(HWND, HDC target) {
    if (!target || !StoreMatchesSubject()) return;
    HBITMAP subject = UndoHoldsMask ? MaskBitmap : ImageBitmap;
    if (GetCurrentObject(target, OBJ_BITMAP) == subject) {
        CopyMemory(UndoHoldsMask ? MaskBits : ImageBits, UndoBits, InfoPixelBytes(UndoInfo));
        return;
    }
    HDC source = CreateCompatibleDC(target);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, UndoBitmap);
    BitBlt(target, 0, 0, InfoWidth(UndoInfo), InfoHeight(UndoInfo), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

template <typename T> static void Exchange(T& a, T& b) {
    T t = a;
    a = b;
    b = t;
}

void SwapSnapshot() {
    if (!StoreMatchesSubject()) return;
    if (UndoHoldsMask) {
        Exchange(MaskBitmap, UndoBitmap);
        Exchange(MaskBits, UndoBits);
        Exchange(MaskInfo, UndoInfo);
    } else {
        Exchange(ImageBitmap, UndoBitmap);
        Exchange(ImageBits, UndoBits);
        Exchange(ImageInfo, UndoInfo);
    }
}

// One exchange of the undo step when the history allows it, else the message saying why not.
static bool ExchangeStep(int allowed, const WCHAR* refusal) {
    if (!allowed || !StoreMatchesSubject()) {
        MessageBoxW(MainWindow, refusal, L"Mosaro", MB_OK);
        return false;
    }
    SwapSnapshot();
    RefreshViews(ImageWindows[0], FALSE);
    return true;
}

void UndoCommand() {
    if (ExchangeStep(UndoAvailable, L"There's No undo item!")) RedoAvailable = 1;
}

void RedoCommand() {
    if (ExchangeStep(RedoAvailable, L"There's No redo item!")) UndoAvailable = RedoAvailable = 0;
}

// ---- Resize ------------------------------------------------------------------------------

// Copies the overlapping top-left part of one bitmap into another of 1 or 4 bits. Indices
// are kept when both have the same bit count (the target took the source's table); else
// each pixel becomes the nearest colour of the target's table.
static void CopyOverlap(BITMAPINFO* from, BYTE* fromBits, BITMAPINFO* to, BYTE* toBits) {
    int width = InfoWidth(from) < InfoWidth(to) ? InfoWidth(from) : InfoWidth(to);
    int height = InfoHeight(from) < InfoHeight(to) ? InfoHeight(from) : InfoHeight(to);
    int toCount = InfoBitCount(to);
    bool keepIndices = InfoBitCount(from) == toCount;
    for (int y = 0; y < height; y++) {
        const BYTE* src = RowOf(from, fromBits, y);
        BYTE* dst = RowOf(to, toBits, y);
        for (int x = 0; x < width; x++) {
            int index = keepIndices ? IndexAt(src, toCount, x)
                                    : NearestIndex(InfoTable(to), TableEntries(toCount),
                                                   ColorAt(from, src, x));
            SetIndexAt(dst, toCount, x, index);
        }
    }
}

int ResizeImage(HWND window) {
    if (!SubjectExists(0)) return 0;
    const WCHAR* caption = L"ResizeImage";
    int width = CanvasWidth, height = CanvasHeight;
    BITMAPINFO* info = nullptr;
    BYTE* bits = nullptr;
    // A 4-bit image keeps its own colours; any other becomes the palette's 16 colours.
    const DWORD* table = InfoBitCount(ImageInfo) == 4 ? InfoTable(ImageInfo) : PaletteColors;
    HBITMAP bitmap =
        MakeBitmap(window, caption, ImageBitCount, width, height, table, 16, &info, &bits);
    if (!bitmap) {
        KeepCanvasSizeOfImage();
        return 0;
    }
    // The mask follows the image's size; the scratch bitmap is only remade.
    BITMAPINFO *maskInfo = nullptr, *scratchInfo = nullptr;
    BYTE *maskBits = nullptr, *scratchBits = nullptr;
    HBITMAP mask = nullptr, scratch = nullptr;
    if (MaskBitmap) {
        mask = MakeBitmap(window, caption, 1, width, height, nullptr, 0, &maskInfo, &maskBits);
        if (mask)
            scratch = MakeBitmap(window, caption, 4, width, height, nullptr, 0, &scratchInfo,
                                 &scratchBits);
        if (!scratch) {
            FreeBitmap(&mask, &maskBits, &maskInfo);
            FreeBitmap(&bitmap, &bits, &info);
            KeepCanvasSizeOfImage();
            return 0;
        }
        ZeroMemory(maskBits, InfoPixelBytes(maskInfo)); // new pixels opaque
        CopyOverlap(MaskInfo, MaskBits, maskInfo, maskBits);
    }
    FillWhite(info, bits);
    CopyOverlap(ImageInfo, ImageBits, info, bits);
    if (mask) {
        DropMask();
        MaskBitmap = mask, MaskBits = maskBits, MaskInfo = maskInfo;
        CompositeBitmap = scratch, CompositeBits = scratchBits, CompositeInfo = scratchInfo;
    }
    InstallImage(bitmap, bits, info);
    RefreshViews(window, TRUE);
    return 1;
}

// ---- Loading from the image slot ---------------------------------------------------------

// The slot's image as a new bitmap of its own format; none when the slot holds nothing
// usable or memory runs out (both told, except an empty slot).
static HBITMAP BitmapFromSlot(HWND window, const ImageSlot& slot, BITMAPINFO** info, BYTE** bits) {
    const WCHAR* caption = L"LoadSlotImage";
    if (!slot.Dib) return nullptr;
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)slot.Dib;
    int bitCount = h->biBitCount;
    bool knownDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                      bitCount == 24 || bitCount == 32;
    if (h->biSize < sizeof(BITMAPINFOHEADER) || !knownDepth || h->biCompression != BI_RGB ||
        h->biWidth <= 0 || h->biHeight <= 0 || h->biWidth != slot.Width ||
        h->biHeight != slot.Height || !slot.Bits) {
        MessageBoxW(window, L"the image is in a form that cannot be edited.", caption, MB_OK);
        return nullptr;
    }
    // A table shorter than the bit count allows is read only as far as it goes.
    int entries = TableEntries(bitCount);
    if (h->biClrUsed > 0 && h->biClrUsed < (DWORD)entries) entries = (int)h->biClrUsed;
    HBITMAP bitmap = MakeBitmap(window, caption, bitCount, h->biWidth, h->biHeight,
                                (const DWORD*)(slot.Dib + h->biSize), entries, info, bits);
    if (!bitmap) return nullptr;
    CopyMemory(*bits, slot.Bits, InfoPixelBytes(*info));
    return bitmap;
}

int LoadSlotImage(HWND window, int command) {
    if (CurrentSlot < 0 || CurrentSlot >= SLOT_COUNT) return 0;
    ImageSlot& slot = ImageSlots[CurrentSlot];
    BITMAPINFO* info = nullptr;
    BYTE* bits = nullptr;
    HBITMAP bitmap = BitmapFromSlot(window, slot, &info, &bits);
    if (bitmap) {
        DropMask();
        InstallImage(bitmap, bits, info);
        SizeChosen = 0;
        if (InfoBitCount(info) == 4) CopyMemory(PaletteColors, InfoTable(info), 16 * 4);
        // A bitmap file's block is done with; an icon's stays for its mask.
        if (command == 19) {
            if (SlotBitmapMemory[CurrentSlot]) LocalFree(SlotBitmapMemory[CurrentSlot]);
            SlotBitmapMemory[CurrentSlot] = nullptr;
            slot.Dib = nullptr;
        }
    } else {
        KeepCanvasSizeOfImage();
    }
    RefreshViews(window, TRUE);
    lstrcpynW(DocumentPath, slot.Path, PATH_CHARS);
    return bitmap != nullptr;
}

// ---- The mask ----------------------------------------------------------------------------

int CreateMask(HWND window, int fromIcon) {
    if (!SubjectExists(0)) return 0;
    const WCHAR* caption = L"CreateMask";
    int width = InfoWidth(ImageInfo), height = InfoHeight(ImageInfo);
    BITMAPINFO *maskInfo = nullptr, *scratchInfo = nullptr;
    BYTE *maskBits = nullptr, *scratchBits = nullptr;
    HBITMAP mask = MakeBitmap(window, caption, 1, width, height, nullptr, 0, &maskInfo, &maskBits);
    if (!mask) return 0;
    HBITMAP scratch =
        MakeBitmap(window, caption, 4, width, height, nullptr, 0, &scratchInfo, &scratchBits);
    if (!scratch) {
        FreeBitmap(&mask, &maskBits, &maskInfo);
        return 0;
    }
    ZeroMemory(maskBits, InfoPixelBytes(maskInfo)); // every pixel opaque
    // The icon's AND mask has the mask's own layout; one of another image is not used.
    const ImageSlot& slot =
        ImageSlots[CurrentSlot >= 0 && CurrentSlot < SLOT_COUNT ? CurrentSlot : 0];
    if (fromIcon && slot.AndMask && slot.Dib && slot.Width == width && slot.Height == height)
        CopyMemory(maskBits, slot.AndMask, InfoPixelBytes(maskInfo));
    DropMask();
    MaskBitmap = mask, MaskBits = maskBits, MaskInfo = maskInfo;
    CompositeBitmap = scratch, CompositeBits = scratchBits, CompositeInfo = scratchInfo;
    TransparencyMode = 1;
    return 1;
}
