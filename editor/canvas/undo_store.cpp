// The one-step undo store: a snapshot of what a stroke edits (the mask in the Opaque/
// Transparency mode, else the image and, when the image has one, its mask, which paint makes
// opaque), exchanged with it by Undo and Redo.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"

static HBITMAP UndoBitmap;
static BYTE* UndoBits;
static BITMAPINFO* UndoInfo;
// The mask taken with a snapshot of the image, none when the image had no mask.
static HBITMAP UndoMaskBitmap;
static BYTE* UndoMaskBits;
static BITMAPINFO* UndoMaskInfo;
int UndoAvailable;
int RedoAvailable;
int UndoHoldsMask;
int UndoHoldsHotSpot;
static POINT UndoHotSpot; // the hot spot the step exchanges with the chosen image's

void DropUndoHistory() {
    UndoAvailable = 0;
    RedoAvailable = 0;
    UndoHoldsMask = 0;
    UndoHoldsHotSpot = 0;
    FreeBitmap(&UndoBitmap, &UndoBits, &UndoInfo);
    FreeBitmap(&UndoMaskBitmap, &UndoMaskBits, &UndoMaskInfo);
}

void DropUndoHistoryOfMask() {
    if (UndoHoldsMask || UndoMaskBitmap) DropUndoHistory();
}

// The bitmap a snapshot of the mask or of the image belongs to.
static BITMAPINFO* SubjectInfo(int mask) {
    return mask ? MaskInfo : ImageInfo;
}
static bool SubjectExists(int mask) {
    return mask ? MaskBitmap && MaskBits && MaskInfo : ImageBitmap && ImageBits && ImageInfo;
}

static bool MaskMatchesImage() {
    return SubjectExists(1) && SubjectExists(0) && InfoWidth(MaskInfo) == InfoWidth(ImageInfo) &&
           InfoHeight(MaskInfo) == InfoHeight(ImageInfo);
}

// The store holds a snapshot that may be exchanged with what it was taken from.
static bool StoreMatchesSubject() {
    return UndoBitmap && UndoBits && UndoInfo && SubjectExists(UndoHoldsMask) &&
           SameLayout(UndoInfo, SubjectInfo(UndoHoldsMask)) &&
           (!UndoMaskBitmap || (SubjectExists(1) && SameLayout(UndoMaskInfo, MaskInfo)));
}

// A snapshot bitmap laid out as the subject, made when the one there is not; false when
// memory is lacking.
static bool SnapshotBitmapFor(HWND window, BITMAPINFO* subject, HBITMAP* bitmap, BYTE** bits,
                              BITMAPINFO** info) {
    if (*bitmap && SameLayout(*info, subject)) return true;
    FreeBitmap(bitmap, bits, info);
    int bitCount = InfoBitCount(subject);
    *bitmap = MakeBitmap(window, L"TakeSnapshot", bitCount, InfoWidth(subject),
                         InfoHeight(subject), InfoTable(subject), TableEntries(bitCount), info,
                         bits);
    return *bitmap != nullptr;
}

static int SnapshotOf(HWND window, int mask) {
    if (!SubjectExists(mask)) {
        DropUndoHistory();
        return 0;
    }
    BITMAPINFO* subject = SubjectInfo(mask);
    if (UndoBitmap && (UndoHoldsMask != mask || !SameLayout(UndoInfo, subject))) DropUndoHistory();
    // Paint on the image may make pixels opaque: their mask goes back with their colour.
    bool withMask = !mask && MaskMatchesImage();
    if (!SnapshotBitmapFor(window, subject, &UndoBitmap, &UndoBits, &UndoInfo) ||
        (withMask &&
         !SnapshotBitmapFor(window, MaskInfo, &UndoMaskBitmap, &UndoMaskBits, &UndoMaskInfo))) {
        DropUndoHistory();
        return 0;
    }
    if (!withMask) FreeBitmap(&UndoMaskBitmap, &UndoMaskBits, &UndoMaskInfo);
    CopyMemory(UndoBits, mask ? MaskBits : ImageBits, InfoPixelBytes(subject));
    if (withMask) CopyMemory(UndoMaskBits, MaskBits, InfoPixelBytes(MaskInfo));
    UndoHoldsMask = mask;
    UndoHoldsHotSpot = 0;
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

void RestoreSnapshotRows(HWND, HDC target, int top, int bottom) {
    if (!target || !StoreMatchesSubject()) return;
    int width = InfoWidth(UndoInfo), height = InfoHeight(UndoInfo);
    top = top < 0 ? 0 : top;
    bottom = bottom > height ? height : bottom;
    if (top >= bottom) return;
    HBITMAP subject = UndoHoldsMask ? MaskBitmap : ImageBitmap;
    if (GetCurrentObject(target, OBJ_BITMAP) == subject) {
        // Bottom-up rows: image rows top..bottom-1 are one block, from stored row height-bottom.
        size_t stride = InfoPixelBytes(UndoInfo) / (size_t)height;
        size_t offset = stride * (size_t)(height - bottom);
        CopyMemory((UndoHoldsMask ? MaskBits : ImageBits) + offset, UndoBits + offset,
                   stride * (size_t)(bottom - top));
        return;
    }
    HDC source = CreateCompatibleDC(target);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, UndoBitmap);
    BitBlt(target, 0, top, width, bottom - top, source, 0, top, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void RestoreSnapshot(HWND window, HDC target) {
    if (UndoInfo) RestoreSnapshotRows(window, target, 0, InfoHeight(UndoInfo));
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
    if (UndoMaskBitmap) {
        Exchange(MaskBitmap, UndoMaskBitmap);
        Exchange(MaskBits, UndoMaskBits);
        Exchange(MaskInfo, UndoMaskInfo);
    }
}

void RecordHotSpotStep(POINT previous) {
    UndoHotSpot = previous;
    UndoHoldsHotSpot = 1;
    UndoAvailable = 1;
    RedoAvailable = 0;
}

// A switch to another image drops the history, so the step is the chosen image's.
static bool ExchangeHotSpot() {
    POINT now;
    if (!CursorHotSpot(SelectedIconImage, &now) ||
        !SetCursorHotSpot(SelectedIconImage, UndoHotSpot))
        return false;
    UndoHotSpot = now;
    return true;
}

// One exchange of the undo step when the history allows it, else the message saying why not.
static bool ExchangeStep(int allowed, const WCHAR* refusal) {
    if (!allowed || !(UndoHoldsHotSpot ? ExchangeHotSpot() : StoreMatchesSubject())) {
        MessageBoxW(MainWindow, refusal, L"Mosaro", MB_OK);
        return false;
    }
    if (!UndoHoldsHotSpot) SwapSnapshot();
    RefreshViews(ImageWindows[0], FALSE);
    return true;
}

void UndoCommand() {
    if (ExchangeStep(UndoAvailable, L"There's No undo item!")) RedoAvailable = 1;
}

void RedoCommand() {
    if (ExchangeStep(RedoAvailable, L"There's No redo item!")) UndoAvailable = RedoAvailable = 0;
}
