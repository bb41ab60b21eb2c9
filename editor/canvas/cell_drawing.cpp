// Drawing by image cells, shared by the canvas's paint, the drawing tools, copy and paste and
// the image store: which cells a device context shows, where a DIB's rows lie, the checkered
// frame, and the repaint of every view after the image changed.
#include "canvas/canvas.h"
#include "base/editor_state.h"

static int Clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

int DibSourceY(const BITMAPINFO* info, int top, int rows) {
    int height = info->bmiHeader.biHeight;
    // Bottom-up rows are counted from the last stored row, top-down ones from the first.
    return height > 0 ? height - top - rows : top;
}

bool VisibleCells(HDC dc, int scale, RECT* cells) {
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    if (kind == NULLREGION) return false;
    if (kind == ERROR) SetRect(&clip, 0, 0, CanvasWidth * scale, CanvasHeight * scale);
    cells->left = Clamp(clip.left / scale, 0, CanvasWidth);
    cells->top = Clamp(clip.top / scale, 0, CanvasHeight);
    cells->right = Clamp((clip.right + scale - 1) / scale, 0, CanvasWidth);
    cells->bottom = Clamp((clip.bottom + scale - 1) / scale, 0, CanvasHeight);
    return cells->left < cells->right && cells->top < cells->bottom;
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
            // A cell of more than one pixel is what a rectangle with the pen and brush of
            // one colour draws, in a call that costs half as much; a rectangle of one pixel
            // is left to the graphics system, whose renderings of it differ.
            if (scale > 1)
                PatBlt(dc, x * scale, y * scale, scale, scale, PATCOPY);
            else
                Rectangle(dc, x, y, x + 1, y + 1);
        }
    }
}

void DrawSelectionFrameIn(HDC dc, const RECT* frame, int scale, const RECT* clip) {
    if (frame->right <= frame->left || frame->bottom <= frame->top)
        return; // no pixel selected, nothing to frame
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    FramePass(dc, frame, scale, 0, clip);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    FramePass(dc, frame, scale, 1, clip);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
}

void DrawSelectionFrame(HDC dc, int left, int top, int right, int bottom, int scale) {
    RECT r = {left, top, right, bottom};
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    if (kind == NULLREGION) return;
    if (kind == ERROR) SetRect(&clip, left * scale, top * scale, right * scale, bottom * scale);
    DrawSelectionFrameIn(dc, &r, scale, &clip);
}

void RefreshViews(HWND canvas, BOOL erase) {
    UINT flags = RDW_INVALIDATE | (erase ? RDW_ERASE : 0);
    if (canvas) RedrawWindow(canvas, nullptr, nullptr, flags);
    for (int i = 1; i < 3; i++)
        if (ImageWindows[i]) RedrawWindow(ImageWindows[i], nullptr, nullptr, flags);
}
