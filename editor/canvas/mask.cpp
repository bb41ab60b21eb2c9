// The transparency mask of the Opaque/Transparency mode and the scratch bitmap the masked
// view is put together in. The mask belongs to one image: a replaced image gets a new one
// at the next mode switch.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"

HBITMAP MaskBitmap;
BYTE* MaskBits;
BITMAPINFO* MaskInfo;
HBITMAP CompositeBitmap;
BYTE* CompositeBits;
BITMAPINFO* CompositeInfo;

bool MakeMaskPair(HWND owner, const WCHAR* caption, int width, int height, int imageBits,
                  MaskPair* pair) {
    *pair = MaskPair{};
    // A 1- or 4-bit image is shown in the standard 16 colours; the colours of any other
    // would be reduced to them, so its scratch holds every colour.
    int scratchBits = imageBits <= 4 ? 4 : 24;
    pair->Mask =
        MakeBitmap(owner, caption, 1, width, height, nullptr, 0, &pair->MaskInfo, &pair->MaskBits);
    if (!pair->Mask) return false;
    pair->Scratch = MakeBitmap(owner, caption, scratchBits, width, height, nullptr, 0,
                               &pair->ScratchInfo, &pair->ScratchBits);
    if (!pair->Scratch) {
        FreeMaskPair(pair);
        return false;
    }
    ZeroMemory(pair->MaskBits, InfoPixelBytes(pair->MaskInfo)); // every pixel opaque
    return true;
}

void FreeMaskPair(MaskPair* pair) {
    FreeBitmap(&pair->Mask, &pair->MaskBits, &pair->MaskInfo);
    FreeBitmap(&pair->Scratch, &pair->ScratchBits, &pair->ScratchInfo);
}

void DropMask() {
    DropUndoHistoryOfMask();
    FreeBitmap(&MaskBitmap, &MaskBits, &MaskInfo);
    FreeBitmap(&CompositeBitmap, &CompositeBits, &CompositeInfo);
}

void InstallMaskPair(const MaskPair* pair) {
    DropMask();
    MaskBitmap = pair->Mask, MaskBits = pair->MaskBits, MaskInfo = pair->MaskInfo;
    CompositeBitmap = pair->Scratch, CompositeBits = pair->ScratchBits;
    CompositeInfo = pair->ScratchInfo;
}

// The image's mask, from the icon's AND mask or every pixel opaque, without the mode.
static int MakeMask(HWND window, int fromIcon) {
    if (!ImageBitmap || !ImageBits || !ImageInfo) return 0;
    int width = InfoWidth(ImageInfo), height = InfoHeight(ImageInfo);
    MaskPair pair;
    if (!MakeMaskPair(window, L"CreateMask", width, height, InfoBitCount(ImageInfo), &pair))
        return 0;
    // The icon's AND mask has the mask's own layout; one of another image is not used.
    const ImageSlot& slot =
        ImageSlots[CurrentSlot >= 0 && CurrentSlot < SLOT_COUNT ? CurrentSlot : 0];
    if (fromIcon && slot.AndMask && slot.Dib && slot.Width == width && slot.Height == height)
        CopyMemory(pair.MaskBits, slot.AndMask, InfoPixelBytes(pair.MaskInfo));
    InstallMaskPair(&pair);
    return 1;
}

int CreateMask(HWND window, int fromIcon) {
    if (!MakeMask(window, fromIcon)) return 0;
    TransparencyMode = 1;
    return 1;
}

// ---- Paint makes what it covers opaque ------------------------------------------------------
// Colour painted with the mode off is what the user sees: the file must hold it opaque, not
// under a mask that still calls the pixel transparent.

HBITMAP MaskForPainting(HWND canvas) {
    if (!ImageInfo) return nullptr;
    if (MaskBitmap && MaskBits && MaskInfo && InfoWidth(MaskInfo) == InfoWidth(ImageInfo) &&
        InfoHeight(MaskInfo) == InfoHeight(ImageInfo))
        return MaskBitmap;
    // An icon's image without a mask of its own yet is written with the mask it was opened
    // with; the paint goes into a copy of that one.
    if (DocumentKind != DOCUMENT_ICON_FILE || !IconHasTransparency) return nullptr;
    return MakeMask(canvas, 1) ? MaskBitmap : nullptr;
}

void MarkPaintedOpaque(const BYTE* painted) {
    if (!MaskBits || !MaskInfo || !painted) return;
    GdiFlush(); // the drawing calls may still hold back pixels of the mask or of `painted`
    size_t bytes = InfoPixelBytes(MaskInfo);
    for (size_t i = 0; i < bytes; i++)
        MaskBits[i] &= painted[i];
}

void MarkBlockOpaque(const RECT* pixels) {
    if (!MaskBits || !MaskInfo) return;
    GdiFlush();
    int width = InfoWidth(MaskInfo), height = InfoHeight(MaskInfo);
    for (int y = pixels->top < 0 ? 0 : pixels->top; y < pixels->bottom && y < height; y++) {
        BYTE* row = RowOf(MaskInfo, MaskBits, y);
        for (int x = pixels->left < 0 ? 0 : pixels->left; x < pixels->right && x < width; x++)
            SetIndexAt(row, 1, x, 0);
    }
}
