// The canvas window: the image magnified by the scale, the mesh and the masked view, and
// the commands the main window forwards to it. Every paint draws straight to the window;
// only the cells inside the clip box are drawn, since a large canvas is mostly scrolled away.
#include "canvas/canvas.h"
#include "files/files.h"
#include "shell/editor_state.h"

#define MESH_COLOR RGB(0x80, 0x80, 0x80)

int DibSourceY(const BITMAPINFO* info, int top, int rows) {
    int height = info->bmiHeader.biHeight;
    // Bottom-up rows are counted from the last stored row, top-down ones from the first.
    return height > 0 ? height - top - rows : top;
}

static int Clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
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

void DrawMesh(HWND window) {
    HDC dc = GetDC(window);
    if (!dc) return;
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    if (kind == ERROR) SetRect(&clip, 0, 0, CanvasWidth * Scale, CanvasHeight * Scale);
    HPEN pen = CreatePen(PS_SOLID, 1, MESH_COLOR);
    if (kind != NULLREGION && pen) {
        HGDIOBJ previous = SelectObject(dc, pen);
        SetROP2(dc, R2_COPYPEN);
        int width = CanvasWidth * Scale;
        int height = CanvasHeight * Scale;
        // Each line lies on the last screen row or column of a cell; only the stretch of
        // it inside the clip box is drawn, which leaves the same pixels.
        int x0 = Clamp(clip.left, 0, width), x1 = Clamp(clip.right, 0, width);
        int y0 = Clamp(clip.top, 0, height), y1 = Clamp(clip.bottom, 0, height);
        for (int i = 0; i < CanvasHeight - 1; i++) {
            int y = (i + 1) * Scale - 1;
            if (y >= clip.top && y < clip.bottom && x0 < x1) {
                MoveToEx(dc, x0, y, nullptr);
                LineTo(dc, x1, y);
            }
        }
        for (int i = 0; i < CanvasWidth - 1; i++) {
            int x = (i + 1) * Scale - 1;
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
static void DrawOverlays(HWND window, HDC dc) {
    DrawSelectionOverlay(window, dc);
    if (MeshOn) DrawMesh(window);
}

void RepaintCanvas(HWND window, HDC dc) {
    DrawMagnified(dc, Scale, TransparencyMode);
    DrawOverlays(window, dc);
    for (int i = 1; i <= 2; i++)
        if (ImageWindows[i])
            RedrawWindow(ImageWindows[i], nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

static LRESULT OnCreate(HWND window) {
    StrokeActive = 0;
    if (!SizeChosen) {
        CanvasWidth = 32;
        CanvasHeight = 32;
    }
    CreateImage(window);
    DocumentPath[0] = 0;
    return 0;
}

static LRESULT OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return 0;
    if (Scale == 1)
        CopyImageUnscaled(dc);
    else
        DrawMagnified(dc, Scale, TransparencyMode);
    DrawOverlays(window, dc);
    for (int i = 1; i <= 2; i++)
        if (ImageWindows[i]) RedrawWindow(ImageWindows[i], nullptr, nullptr, RDW_UPDATENOW);
    EndPaint(window, &ps);
    return 0;
}

static LRESULT SetMesh(HWND window, int on) {
    MeshOn = on;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

static LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    switch (id) {
    case 13: return SaveImageAsBitmap(window) ? 1 : 0;
    case 26: return SaveImageAsIcon(window) ? 1 : 0;
    case 17: return SetMesh(window, 1);
    case 18: return SetMesh(window, 0);
    case 19:
    case 21: LoadSlotImage(window, id); return 0;
    case 85: ResizeImage(window); return 0;
    }
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_PAINT: return OnPaint(window);
    case WM_CLOSE: DestroyWindow(window); return 1;
    // A double-tap is reported in place of the second press; it is a press all the same.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: StrokePress(window, lParam); return 0;
    case WM_MOUSEMOVE: StrokeMove(window, lParam); return 0;
    case WM_LBUTTONUP: StrokeRelease(window, lParam); return 0;
    // A stroke that loses the capture or its window ends where it stands; otherwise it
    // would stay active and refuse every later press.
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != window) AbandonStroke(window);
        break;
    case WM_DESTROY: AbandonStroke(window); break;
    case WM_RBUTTONDOWN: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
