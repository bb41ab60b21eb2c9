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

bool SelectedPixels(RECT* pixels) {
    RECT image = {0, 0, CanvasWidth, CanvasHeight};
    RECT chosen = {
        std::min(Selection.left, Selection.right), std::min(Selection.top, Selection.bottom),
        std::max(Selection.left, Selection.right), std::max(Selection.top, Selection.bottom)};
    if (!IntersectRect(pixels, &chosen, &image)) {
        SetRectEmpty(pixels);
        return false;
    }
    return true;
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

// Draws the block's cells that are visible at PastePos, then its frame.
static void ShowBlock(HWND canvas, int scale) {
    HDC dc = GetDC(canvas);
    if (!dc) return;
    int w = BlockWidth(), h = BlockHeight();
    SetRect(&PasteRect, PastePos.x, PastePos.y, PastePos.x + w, PastePos.y + h);
    RECT cells, shown;
    if (VisibleCells(dc, scale, &cells) && IntersectRect(&shown, &cells, &PasteRect)) {
        int sw = shown.right - shown.left, sh = shown.bottom - shown.top;
        StretchDIBits(dc, shown.left * scale, shown.top * scale, sw * scale, sh * scale,
                      shown.left - PastePos.x, DibSourceY(ClipInfo, shown.top - PastePos.y, sh), sw,
                      sh, ClipBits, ClipInfo, DIB_RGB_COLORS, SRCCOPY);
    }
    DrawSelectionFrame(dc, PasteRect.left, PasteRect.top, PasteRect.right, PasteRect.bottom, scale);
    ReleaseDC(canvas, dc);
}

// Writes the block into the image at PastePos, clipped to the image, as one undo step.
static void PlaceBlock(HWND canvas) {
    // The undo step holds the colour image, which the block changes, even while the
    // Opaque/Transparency mode has the strokes editing the mask.
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
    if (ClipInfo && ClipBits) PlaceBlock(canvas);
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

void SelectMove(POINT anchor, POINT pixel) {
    if (!Floating) {
        SetRect(&Selection, anchor.x, anchor.y, pixel.x, pixel.y);
    } else if (InsideBlock(pixel)) {
        // The block follows the stylus as long as the stylus stays inside it.
        PastePos.x = PasteBase.x + pixel.x - anchor.x;
        PastePos.y = PasteBase.y + pixel.y - anchor.y;
    }
    SelectionShown = 1;
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
