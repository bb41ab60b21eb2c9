// Rectangle selection, the copy buffer, the floating block and the checkered frame drawn
// around selection and block. All positions are image pixels.
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "base/report.h"
#include <algorithm>
#include <string.h>

RECT Selection;
int SelectionShown;
int ClipValid;
BITMAPINFO* ClipInfo;
static HBITMAP ClipBitmap;
BYTE* ClipBits;
int Floating;
POINT PastePos;
POINT PasteBase;
RECT PasteRect;

static int BlockWidth() {
    return ClipInfo->bmiHeader.biWidth;
}
static int BlockHeight() {
    int h = ClipInfo->bmiHeader.biHeight;
    return h < 0 ? -h : h;
}

static bool PixelsOf(const RECT* selection, RECT* pixels) {
    RECT image = {0, 0, CanvasWidth, CanvasHeight};
    RECT chosen = {
        std::min(selection->left, selection->right), std::min(selection->top, selection->bottom),
        std::max(selection->left, selection->right), std::max(selection->top, selection->bottom)};
    if (!IntersectRect(pixels, &chosen, &image)) {
        SetRectEmpty(pixels);
        return false;
    }
    return true;
}

bool SelectedPixels(RECT* pixels) {
    return PixelsOf(&Selection, pixels);
}

// Both bounds count, so the column right of the block and the row below it are inside.
static bool InsideBlock(POINT pixel) {
    return pixel.x >= PasteRect.left && pixel.x <= PasteRect.right && pixel.y >= PasteRect.top &&
           pixel.y <= PasteRect.bottom;
}

// Bytes of a DIB header with its colour table (or its three colour masks).
static DWORD HeaderBytes(const BITMAPINFO* info) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount <= 8) return 40 + 4 * (1u << h.biBitCount);
    return h.biCompression == BI_BITFIELDS ? 40 + 12 : 40;
}

int CopySelection(HWND canvas) {
    RECT pixels;
    if (!ImageInfo || !ImageBits || !SelectedPixels(&pixels))
        return 0; // nothing selected: the buffer stays as it was
    int width = pixels.right - pixels.left;
    int height = pixels.bottom - pixels.top;
    // A fresh header each time: the image's colour table may have grown since the last
    // copy, and a failed copy leaves the previous block whole.
    DWORD bytes = HeaderBytes(ImageInfo);
    BITMAPINFO* info = (BITMAPINFO*)LocalAlloc(LPTR, bytes);
    if (!info) {
        ReportNoMemory(canvas, L"iDrawBitmapN");
        return 0;
    }
    memcpy(info, ImageInfo, bytes);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biSizeImage = (DWORD)(DibStride(width, info->bmiHeader.biBitCount) * height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!memory) {
        if (bitmap) DeleteObject(bitmap);
        LocalFree(info);
        ReportNoMemory(canvas, L"iDrawBitmapN");
        return 0;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    StretchDIBits(memory, 0, 0, width, height, pixels.left,
                  DibSourceY(ImageInfo, pixels.top, height), width, height, ImageBits, ImageInfo,
                  DIB_RGB_COLORS, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    if (ClipBitmap) DeleteObject(ClipBitmap);
    if (ClipInfo) LocalFree(ClipInfo);
    ClipInfo = info;
    ClipBitmap = bitmap;
    ClipBits = (BYTE*)bits;
    return 1;
}

static void PlaceRectAtPastePos() {
    SetRect(&PasteRect, PastePos.x, PastePos.y, PastePos.x + BlockWidth(),
            PastePos.y + BlockHeight());
}

// Draws the block's cells among the image cells `cells`, then its frame where it meets
// `clip` (screen pixels).
static void DrawBlock(HDC dc, int scale, const RECT* cells, const RECT* clip) {
    RECT shown;
    if (IntersectRect(&shown, cells, &PasteRect)) {
        int sw = shown.right - shown.left, sh = shown.bottom - shown.top;
        StretchDIBits(dc, shown.left * scale, shown.top * scale, sw * scale, sh * scale,
                      shown.left - PastePos.x, DibSourceY(ClipInfo, shown.top - PastePos.y, sh), sw,
                      sh, ClipBits, ClipInfo, DIB_RGB_COLORS, SRCCOPY);
    }
    DrawSelectionFrameIn(dc, &PasteRect, scale, clip);
}

// Draws the block's cells that are visible at PastePos, then its frame.
static void ShowBlock(HWND canvas, int scale) {
    HDC dc = GetDC(canvas);
    if (!dc) return;
    PlaceRectAtPastePos();
    RECT cells, clip;
    if (!VisibleCells(dc, scale, &cells)) SetRectEmpty(&cells);
    int kind = GetClipBox(dc, &clip);
    if (kind == ERROR)
        SetRect(&clip, PasteRect.left * scale, PasteRect.top * scale, PasteRect.right * scale,
                PasteRect.bottom * scale);
    if (kind != NULLREGION) DrawBlock(dc, scale, &cells, &clip);
    ReleaseDC(canvas, dc);
}

// Writes the block into the image at PastePos, clipped to the image, as one undo step.
static void PlaceBlock(HWND canvas) {
    // The undo step holds the colour image, which the block changes, even while the
    // Opaque/Transparency mode has the strokes editing the mask. With the mode off the block
    // is paint too, and makes its pixels opaque: the mask is there before the snapshot.
    bool marksMask = !TransparencyMode && MaskForPainting(canvas);
    TakeImageSnapshot(canvas);
    RECT image = {0, 0, CanvasWidth, CanvasHeight};
    RECT block = {PastePos.x, PastePos.y, PastePos.x + BlockWidth(), PastePos.y + BlockHeight()};
    RECT part;
    if (!ImageBitmap || !IntersectRect(&part, &image, &block)) return;
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) return;
    HGDIOBJ previous = SelectObject(memory, ImageBitmap);
    int pw = part.right - part.left, ph = part.bottom - part.top;
    StretchDIBits(memory, part.left, part.top, pw, ph, part.left - PastePos.x,
                  DibSourceY(ClipInfo, part.top - PastePos.y, ph), pw, ph, ClipBits, ClipInfo,
                  DIB_RGB_COLORS, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    if (marksMask) MarkBlockOpaque(&part);
}

void ShowPaste(HWND canvas, int scale) {
    if (!ClipInfo || !ClipBits) return;
    if (SelectionShown)
        ShowBlock(canvas, scale);
    else
        PlaceBlock(canvas);
}

void PlaceFloatingBlock(HWND canvas) {
    if (!Floating) return;
    SelectionShown = 0;
    if (ClipInfo && ClipBits) {
        PlaceBlock(canvas);
        // Placed by a tool change or a switch to another image too, not only at a stroke's
        // end: the picture has changed and must not be given up unasked.
        Modified = 1;
    }
    Floating = 0;
    if (canvas) InvalidateRect(canvas, nullptr, FALSE);
}

void DrawSelectionOverlay(HWND canvas, HDC dc, int scale) {
    if (!SelectionShown)
        return; // a block no longer shown is never written into the image by a paint
    if (Floating) {
        ShowPaste(canvas, scale);
        return;
    }
    RECT pixels;
    if (SelectedPixels(&pixels))
        DrawSelectionFrame(dc, pixels.left, pixels.top, pixels.right, pixels.bottom, scale);
}

// Marks what a frame around `selection` or a block at `position` covers: a frame only its
// border cells, a block all of its own.
static void MarkOverlayCells(const RECT* selection, POINT position) {
    RECT r;
    if (Floating) {
        if (!ClipInfo || !ClipBits) return;
        MarkCellsChanged(position.x, position.y, position.x + BlockWidth(),
                         position.y + BlockHeight());
        return;
    }
    if (!PixelsOf(selection, &r)) return;
    MarkCellsChanged(r.left, r.top, r.right, r.top + 1);
    MarkCellsChanged(r.left, r.bottom - 1, r.right, r.bottom);
    MarkCellsChanged(r.left, r.top, r.left + 1, r.bottom);
    MarkCellsChanged(r.right - 1, r.top, r.right, r.bottom);
}

void DrawSelectionOverlayIn(HDC dc, int scale, const RECT* cells) {
    if (!SelectionShown) return;
    RECT clip = {cells->left * scale, cells->top * scale, cells->right * scale,
                 cells->bottom * scale};
    if (Floating) {
        if (!ClipInfo || !ClipBits) return;
        PlaceRectAtPastePos();
        RECT image = {0, 0, CanvasWidth, CanvasHeight}, shown;
        if (!IntersectRect(&shown, cells, &image)) SetRectEmpty(&shown);
        DrawBlock(dc, scale, &shown, &clip);
        return;
    }
    RECT pixels;
    if (SelectedPixels(&pixels)) DrawSelectionFrameIn(dc, &pixels, scale, &clip);
}

// The block follows the stylus as long as the stylus stays inside it. That is judged at
// every pixel from `from` to `to`, as a stylus reported at each of them would be: one that
// moved far between two reports would else be outside the block it should have carried
// along, and leave it behind.
static void DragBlock(POINT anchor, POINT from, POINT to) {
    int dx = to.x - from.x, dy = to.y - from.y;
    int steps = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
    for (int i = steps ? 1 : 0; i <= steps; i++) {
        POINT pixel = to;
        if (i < steps) {
            pixel.x = from.x + (LONG)((long long)dx * i / steps);
            pixel.y = from.y + (LONG)((long long)dy * i / steps);
        }
        if (!InsideBlock(pixel)) continue;
        PastePos.x = PasteBase.x + pixel.x - anchor.x;
        PastePos.y = PasteBase.y + pixel.y - anchor.y;
        PlaceRectAtPastePos();
    }
}

// Marks the cells of the frame or block before and after the move, when it changed.
void SelectMove(POINT anchor, POINT from, POINT pixel) {
    RECT selection = Selection;
    POINT position = PastePos;
    int shown = SelectionShown;
    if (!Floating)
        SetRect(&Selection, anchor.x, anchor.y, pixel.x, pixel.y);
    else if (ClipInfo && ClipBits)
        DragBlock(anchor, from, pixel);
    SelectionShown = 1;
    // Where the block now stands, as drawing it would record it.
    if (Floating && ClipInfo && ClipBits) PlaceRectAtPastePos();
    if (shown && EqualRect(&selection, &Selection) && position.x == PastePos.x &&
        position.y == PastePos.y)
        return;
    if (shown) MarkOverlayCells(&selection, position);
    MarkOverlayCells(&Selection, PastePos);
}

void SelectRelease(HWND canvas, POINT anchor, POINT pixel) {
    if (!Floating) {
        if (pixel.x == anchor.x && pixel.y == anchor.y) {
            SelectionShown = 0; // a tap removes the selection
        } else {
            SetRect(&Selection, anchor.x, anchor.y, pixel.x, pixel.y);
            SelectionShown = 1;
        }
        return;
    }
    if (InsideBlock(pixel)) PasteBase = PastePos;
    SelectionShown = 1;
    if (!InsideBlock(anchor)) PlaceFloatingBlock(canvas);
}

void CopyCommand(HWND canvas) {
    if (SelectionShown && CopySelection(canvas)) ClipValid = 1;
}

void PasteCommand(HWND canvas) {
    if (!ClipValid || !canvas) return;
    if (Selection.left == PasteBase.x && Selection.top == PasteBase.y) {
        PastePos.x = PastePos.y = 0;
        PasteBase = PastePos;
    }
    Floating = 1;
    SelectionShown = 1;
    ShowPaste(canvas, Scale);
    // A block pasted again elsewhere must not leave its earlier picture behind.
    InvalidateRect(canvas, nullptr, FALSE);
}

void LeaveCopyTool(HWND canvas) {
    if (Floating && canvas) PlaceFloatingBlock(canvas);
    Floating = 0;
    SelectionShown = 0;
    if (canvas) InvalidateRect(canvas, nullptr, FALSE);
}

void ResetCopyPaste() {
    SetRectEmpty(&Selection);
    SelectionShown = 0;
    ClipValid = 0;
    if (ClipBitmap) DeleteObject(ClipBitmap);
    if (ClipInfo) LocalFree(ClipInfo);
    ClipBitmap = nullptr;
    ClipInfo = nullptr;
    ClipBits = nullptr;
    Floating = 0;
    PastePos = PasteBase = POINT{0, 0};
    SetRectEmpty(&PasteRect);
}
