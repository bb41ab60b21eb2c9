// The pixel image: made new and white, replaced by a loaded one, resized, or let go. Every
// replacement allocates first and swaps only when all of it succeeded.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "resources/resource_ids.h"

int ImageBitCount = 4;
HBITMAP ImageBitmap;
BYTE* ImageBits;
BITMAPINFO* ImageInfo;

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
    if (!ImageBitmap || !ImageBits || !ImageInfo) return 0;
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
    MaskPair mask = {};
    if (MaskBitmap) {
        if (!MakeMaskPair(window, caption, width, height, ImageBitCount, &mask)) {
            FreeBitmap(&bitmap, &bits, &info);
            KeepCanvasSizeOfImage();
            return 0;
        }
        CopyOverlap(MaskInfo, MaskBits, mask.MaskInfo, mask.MaskBits); // new pixels opaque
    }
    FillWhite(info, bits);
    CopyOverlap(ImageInfo, ImageBits, info, bits);
    if (mask.Mask) InstallMaskPair(&mask);
    InstallImage(bitmap, bits, info);
    MatchScratchTable();
    RefreshViews(window, TRUE);
    return 1;
}

// ---- Loading from the image slot ---------------------------------------------------------

// The slot's pixels lie in the section the reader made for them, of the header's size.
static bool SectionHoldsSlot(HBITMAP section, const ImageSlot& slot, const BITMAPINFOHEADER* h) {
    DIBSECTION d;
    return section && GetObjectW(section, sizeof d, &d) == sizeof d && d.dsBm.bmBits == slot.Bits &&
           d.dsBmih.biWidth == h->biWidth && d.dsBmih.biHeight == h->biHeight &&
           d.dsBmih.biBitCount == h->biBitCount;
}

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
    const DWORD* table = (const DWORD*)(slot.Dib + h->biSize);
    HBITMAP& section = SlotBitmapSection[CurrentSlot];
    if (SectionHoldsSlot(section, slot, h)) {
        // A large bitmap was read into a section of its own, made from this header: it
        // becomes the image as it is, without a second copy of its pixels.
        if (!iDrawBitmapN(window, bitCount, h->biWidth, h->biHeight, info)) return nullptr;
        ZeroMemory(InfoTable(*info), 4 * TableEntries(bitCount));
        CopyMemory(InfoTable(*info), table, 4 * entries);
        *bits = slot.Bits;
        HBITMAP taken = section;
        section = nullptr;
        return taken;
    }
    HBITMAP bitmap =
        MakeBitmap(window, caption, bitCount, h->biWidth, h->biHeight, table, entries, info, bits);
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
        if (command == CMD_OPEN_BITMAP) {
            FreeSlotBitmap(CurrentSlot);
            slot.Dib = nullptr;
        }
    } else {
        KeepCanvasSizeOfImage();
    }
    RefreshViews(window, TRUE);
    lstrcpynW(DocumentPath, slot.Path, PATH_CHARS);
    return bitmap != nullptr;
}
