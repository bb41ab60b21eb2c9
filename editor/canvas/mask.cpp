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
    if (UndoHoldsMask) DropUndoHistory();
    FreeBitmap(&MaskBitmap, &MaskBits, &MaskInfo);
    FreeBitmap(&CompositeBitmap, &CompositeBits, &CompositeInfo);
}

void InstallMaskPair(const MaskPair* pair) {
    DropMask();
    MaskBitmap = pair->Mask, MaskBits = pair->MaskBits, MaskInfo = pair->MaskInfo;
    CompositeBitmap = pair->Scratch, CompositeBits = pair->ScratchBits;
    CompositeInfo = pair->ScratchInfo;
}

int CreateMask(HWND window, int fromIcon) {
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
    MatchScratchTable();
    TransparencyMode = 1;
    return 1;
}

void MatchScratchTable() {
    if (!ImageInfo || !CompositeInfo || InfoBitCount(ImageInfo) != 4 ||
        InfoBitCount(CompositeInfo) != 4)
        return;
    SetBitmapTable(CompositeBitmap, CompositeInfo, 0, 16, InfoTable(ImageInfo));
}
