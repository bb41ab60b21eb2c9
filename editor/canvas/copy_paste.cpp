// Rectangle selection, the copy buffer, the floating block and the checkered frame drawn
// around selection and block. All positions are image pixels.
#include "canvas/canvas.h"
#include "shell/editor_state.h"
#include <algorithm>
#include <string.h>

RECT Selection;
int SelectionShown;
int ClipValid;
BITMAPINFO* ClipInfo;
HBITMAP ClipBitmap;
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

// One pass of the checkered frame: every second border cell from `start`, in one colour.
// Cells outside the clip box are skipped: a large selection on a scrolled canvas would
// otherwise cost thousands of drawing calls per stylus move.
static void FramePass(HDC dc, const RECT* r, int scale, int start, const RECT* clip) {
    int width = r->right - r->left;
    int height = r->bottom - r->top;
    for (int i = start; i < width || i < height; i += 2) {
        int cells[4][2] = {{r->left + i, r->top},
                           {r->left + i, r->bottom - 1},
                           {r->left, r->top + i},
                           {r->right - 1, r->top + i}};
        for (int k = 0; k < 4; k++) {
            if ((k < 2 && i >= width) || (k >= 2 && i >= height)) continue;
            int x = cells[k][0], y = cells[k][1];
            if ((x + 1) * scale <= clip->left || x * scale >= clip->right ||
                (y + 1) * scale <= clip->top || y * scale >= clip->bottom)
                continue;
            Rectangle(dc, x * scale, y * scale, (x + 1) * scale, (y + 1) * scale);
        }
    }
}

void DrawSelectionFrame(HDC dc, int left, int top, int right, int bottom, int scale) {
    RECT r = {left, top, right, bottom};
    if (right <= left || bottom <= top) return; // no pixel selected, nothing to frame
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    if (kind == NULLREGION) return;
    if (kind == ERROR) SetRect(&clip, left * scale, top * scale, right * scale, bottom * scale);
    HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    if (black && white) {
        HGDIOBJ previousPen = SelectObject(dc, black);
        HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        FramePass(dc, &r, scale, 0, &clip);
        SelectObject(dc, white);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        FramePass(dc, &r, scale, 1, &clip);
        SelectObject(dc, previousPen);
        SelectObject(dc, previousBrush);
    }
    if (black) DeleteObject(black);
    if (white) DeleteObject(white);
}

// Bytes of a DIB header with its colour table (or its three colour masks).
static DWORD HeaderBytes(const BITMAPINFO* info) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount <= 8) return 40 + 4 * (1u << h.biBitCount);
    return h.biCompression == BI_BITFIELDS ? 40 + 12 : 40;
}

static void ReportNoMemory(HWND canvas) {
    MessageBoxW(canvas, L"could not allocate any memory.", L"iDrawBitmapN", MB_OK);
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
        ReportNoMemory(canvas);
        return 0;
    }
    memcpy(info, ImageInfo, bytes);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biSizeImage = ((info->bmiHeader.biBitCount * width + 31) / 32) * 4 * height;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!memory) {
        if (bitmap) DeleteObject(bitmap);
        LocalFree(info);
        ReportNoMemory(canvas);
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
static void ShowBlock(HWND canvas) {
    HDC dc = GetDC(canvas);
    if (!dc) return;
    int w = BlockWidth(), h = BlockHeight();
    SetRect(&PasteRect, PastePos.x, PastePos.y, PastePos.x + w, PastePos.y + h);
    RECT cells, shown;
    if (VisibleCells(dc, Scale, &cells) && IntersectRect(&shown, &cells, &PasteRect)) {
        int sw = shown.right - shown.left, sh = shown.bottom - shown.top;
        StretchDIBits(dc, shown.left * Scale, shown.top * Scale, sw * Scale, sh * Scale,
                      shown.left - PastePos.x, DibSourceY(ClipInfo, shown.top - PastePos.y, sh), sw,
                      sh, ClipBits, ClipInfo, DIB_RGB_COLORS, SRCCOPY);
    }
    DrawSelectionFrame(dc, PasteRect.left, PasteRect.top, PasteRect.right, PasteRect.bottom, Scale);
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

void ShowPaste(HWND canvas) {
    if (!ClipInfo || !ClipBits) return;
    if (SelectionShown)
        ShowBlock(canvas);
    else
        PlaceBlock(canvas);
}

void PlaceFloatingBlock(HWND canvas) {
    if (!Floating) return;
    SelectionShown = 0;
    ShowPaste(canvas);
    Floating = 0;
    if (canvas) InvalidateRect(canvas, nullptr, FALSE);
}

void DrawSelectionOverlay(HWND canvas, HDC dc) {
    if (!SelectionShown)
        return; // a block no longer shown is never written into the image by a paint
    if (Floating) {
        ShowPaste(canvas);
        return;
    }
    RECT pixels;
    if (SelectedPixels(&pixels))
        DrawSelectionFrame(dc, pixels.left, pixels.top, pixels.right, pixels.bottom, Scale);
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
    ShowPaste(canvas);
    // A block pasted again elsewhere must not leave its earlier picture behind.
    InvalidateRect(canvas, nullptr, FALSE);
}
