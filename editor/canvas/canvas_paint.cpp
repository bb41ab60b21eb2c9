// What the canvas shows: the image magnified by the scale, through the mask in the Opaque/
// Transparency mode, with the selection and the mesh over it; and the monitors kept in step.
// Every paint draws straight to the window; only the cells inside the clip box are drawn,
// since a large canvas is mostly scrolled away.
#include "canvas/canvas.h"
#include "base/editor_state.h"

#define MESH_COLOR RGB(0x80, 0x80, 0x80)

int MeshOn = 1;

static int Clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

static bool DibMatchesImage(const BITMAPINFO* info) {
    if (!info) return false;
    int height = info->bmiHeader.biHeight;
    return info->bmiHeader.biWidth == CanvasWidth &&
           (height < 0 ? -height : height) == CanvasHeight;
}

// The masked view needs a mask and a scratch bitmap of the image's size; a mask made for
// another size would be read out of its bounds, so the plain view stands in for it.
static bool MaskUsable() {
    return MaskBitmap && MaskBits && CompositeBitmap && CompositeBits &&
           DibMatchesImage(MaskInfo) && DibMatchesImage(CompositeInfo);
}

static void StretchPart(HDC dc, const RECT* dst, const RECT* src, const void* bits,
                        const BITMAPINFO* info, DWORD rop) {
    int w = src->right - src->left;
    int h = src->bottom - src->top;
    StretchDIBits(dc, dst->left, dst->top, dst->right - dst->left, dst->bottom - dst->top,
                  src->left, DibSourceY(info, src->top, h), w, h, bits, info, DIB_RGB_COLORS, rop);
}

static void DrawMaskedPart(HDC dc, const RECT* dst, const RECT* src) {
    HDC scratch = CreateCompatibleDC(dc);
    if (!scratch) return;
    HGDIOBJ previous = SelectObject(scratch, CompositeBitmap);
    // The scratch gets the image where opaque and black where transparent.
    StretchPart(scratch, src, src, MaskBits, MaskInfo, NOTSRCCOPY);
    StretchPart(scratch, src, src, ImageBits, ImageInfo, SRCAND);
    SelectObject(scratch, previous);
    DeleteDC(scratch);
    // Opaque cells turn black and then take the image; transparent cells keep what was there.
    StretchPart(dc, dst, src, MaskBits, MaskInfo, SRCAND);
    StretchPart(dc, dst, src, CompositeBits, CompositeInfo, SRCPAINT);
}

void DrawImagePart(HDC dc, const RECT* dst, const RECT* src, int masked) {
    if (!ImageBits || !ImageInfo) return;
    if (masked && MaskUsable())
        DrawMaskedPart(dc, dst, src);
    else
        StretchPart(dc, dst, src, ImageBits, ImageInfo, SRCCOPY);
}

static RECT Magnified(const RECT* cells, int scale) {
    RECT r = {cells->left * scale, cells->top * scale, cells->right * scale, cells->bottom * scale};
    return r;
}

static void DrawMagnified(HDC dc, int scale, int masked) {
    RECT cells;
    if (!VisibleCells(dc, scale, &cells)) return;
    RECT dst = Magnified(&cells, scale);
    DrawImagePart(dc, &dst, &cells, masked);
}

void DrawMaskedView(HDC dc, int scale) {
    DrawMagnified(dc, scale, 1);
}

// At scale 1 the full paint copies the bitmap itself, without the mask.
static void CopyImageUnscaled(HDC dc) {
    RECT cells;
    if (!ImageBitmap || !VisibleCells(dc, 1, &cells)) return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ previous = SelectObject(memory, ImageBitmap);
    BitBlt(dc, cells.left, cells.top, cells.right - cells.left, cells.bottom - cells.top, memory,
           cells.left, cells.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// The mesh is drawn through a device context of its own, which clips to the whole window.
static void DrawMesh(HWND window, int scale) {
    HDC dc = GetDC(window);
    if (!dc) return;
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    if (kind == ERROR) SetRect(&clip, 0, 0, CanvasWidth * scale, CanvasHeight * scale);
    HPEN pen = CreatePen(PS_SOLID, 1, MESH_COLOR);
    if (kind != NULLREGION && pen) {
        HGDIOBJ previous = SelectObject(dc, pen);
        SetROP2(dc, R2_COPYPEN);
        int width = CanvasWidth * scale;
        int height = CanvasHeight * scale;
        // Each line lies on the last screen row or column of a cell; only the stretch of
        // it inside the clip box is drawn, which leaves the same pixels.
        int x0 = Clamp(clip.left, 0, width), x1 = Clamp(clip.right, 0, width);
        int y0 = Clamp(clip.top, 0, height), y1 = Clamp(clip.bottom, 0, height);
        for (int i = 0; i < CanvasHeight - 1; i++) {
            int y = (i + 1) * scale - 1;
            if (y >= clip.top && y < clip.bottom && x0 < x1) {
                MoveToEx(dc, x0, y, nullptr);
                LineTo(dc, x1, y);
            }
        }
        for (int i = 0; i < CanvasWidth - 1; i++) {
            int x = (i + 1) * scale - 1;
            if (x >= clip.left && x < clip.right && y0 < y1) {
                MoveToEx(dc, x, y0, nullptr);
                LineTo(dc, x, y1);
            }
        }
        SelectObject(dc, previous);
    }
    if (pen) DeleteObject(pen);
    ReleaseDC(window, dc);
}

// Steps shared by the full paint and the live repaint after the image itself.
static void DrawOverlays(HWND window, HDC dc, int scale) {
    DrawSelectionOverlay(window, dc, scale);
    if (MeshOn) DrawMesh(window, scale);
}

void PaintCanvas(HWND window, HDC dc, int scale) {
    if (scale == 1)
        CopyImageUnscaled(dc);
    else
        DrawMagnified(dc, scale, TransparencyMode);
    DrawOverlays(window, dc, scale);
    for (int i = 1; i <= 2; i++)
        if (ImageWindows[i]) RedrawWindow(ImageWindows[i], nullptr, nullptr, RDW_UPDATENOW);
}

void RepaintCanvas(HWND window, HDC dc, int scale) {
    DrawMagnified(dc, scale, TransparencyMode);
    DrawOverlays(window, dc, scale);
    for (int i = 1; i <= 2; i++)
        if (ImageWindows[i])
            RedrawWindow(ImageWindows[i], nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
