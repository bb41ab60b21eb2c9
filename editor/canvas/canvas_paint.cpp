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

// Image pixels the scratch bitmap already holds the masked picture of, for the live repaint
// under way: it prepares them once for the canvas and both monitors. Empty otherwise.
static RECT CompositeReady;

// The scratch gets the image where opaque and black where transparent.
static void PrepareComposite(HDC dc, const RECT* src) {
    HDC scratch = CreateCompatibleDC(dc);
    if (!scratch) return;
    HGDIOBJ previous = SelectObject(scratch, CompositeBitmap);
    StretchPart(scratch, src, src, MaskBits, MaskInfo, NOTSRCCOPY);
    StretchPart(scratch, src, src, ImageBits, ImageInfo, SRCAND);
    SelectObject(scratch, previous);
    DeleteDC(scratch);
}

static void DrawMaskedPart(HDC dc, const RECT* dst, const RECT* src) {
    RECT ready;
    if (!IntersectRect(&ready, src, &CompositeReady) || !EqualRect(&ready, src))
        PrepareComposite(dc, src);
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
    // A bitmap goes into one device context at a time: while a stroke holds it in its own, a
    // paint (the window resized under the stylus) copies the same pixels from its bits.
    HGDIOBJ previous = SelectObject(memory, ImageBitmap);
    if (previous) {
        BitBlt(dc, cells.left, cells.top, cells.right - cells.left, cells.bottom - cells.top,
               memory, cells.left, cells.top, SRCCOPY);
        SelectObject(memory, previous);
    } else {
        GdiFlush();
        DrawImagePart(dc, &cells, &cells, 0);
    }
    DeleteDC(memory);
}

// One direction of the mesh: the lines after each of `cells` cells but the last, at `at` =
// (cell + 1) * scale - 1 for `at` in low..high-1, each from `from` to `to` along the other
// direction (rows when `rows`, else columns). Only the lines from the first cell meeting
// low..high on are visited: a large canvas has thousands outside it.
static void DrawMeshLines(HDC dc, int scale, int cells, int low, int high, int from, int to,
                          bool rows) {
    if (from >= to) return;
    for (int i = Clamp(low / scale - 1, 0, cells); i < cells - 1; i++) {
        int at = (i + 1) * scale - 1;
        if (at >= high) break;
        if (at < low) continue;
        POINT line[2] = {{rows ? from : at, rows ? at : from}, {rows ? to : at, rows ? at : to}};
        Polyline(dc, line, 2);
    }
}

// The mesh lines that meet the rectangle `clip` of the canvas (screen pixels). Each line lies
// on the last screen row or column of a cell; only its stretch inside the clip is drawn,
// which leaves the same pixels as the whole line would.
static void DrawMeshIn(HDC dc, int scale, const RECT* clip) {
    HPEN pen = CreatePen(PS_SOLID, 1, MESH_COLOR);
    if (!pen) return;
    HGDIOBJ previous = SelectObject(dc, pen);
    SetROP2(dc, R2_COPYPEN);
    int width = CanvasWidth * scale;
    int height = CanvasHeight * scale;
    int x0 = Clamp(clip->left, 0, width), x1 = Clamp(clip->right, 0, width);
    int y0 = Clamp(clip->top, 0, height), y1 = Clamp(clip->bottom, 0, height);
    DrawMeshLines(dc, scale, CanvasHeight, y0, clip->bottom, x0, x1, true);
    DrawMeshLines(dc, scale, CanvasWidth, x0, clip->right, y0, y1, false);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

// The mesh is drawn through a device context of its own, which clips to the whole window.
static void DrawMesh(HWND window, int scale) {
    HDC dc = GetDC(window);
    if (!dc) return;
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    if (kind == ERROR) SetRect(&clip, 0, 0, CanvasWidth * scale, CanvasHeight * scale);
    if (kind != NULLREGION) DrawMeshIn(dc, scale, &clip);
    ReleaseDC(window, dc);
}

// Steps shared by the full paint and the whole live repaint after the image itself.
static void DrawOverlays(HWND window, HDC dc, int scale) {
    DrawSelectionOverlay(window, dc, scale);
    if (MeshOn) DrawMesh(window, scale);
    DrawHotSpotMark(dc, scale, nullptr);
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

// ---- The live repaint of a stroke -----------------------------------------------------------
// A move redraws only the cells it changed, each with what lies over it (the frame or the
// floating block, the mesh), and the monitors only the matching pixels. Cells a move did not
// change show the same pixels whether redrawn or not, the masked view's quirk included: a
// transparent cell keeps what the screen showed, so redrawing it changes nothing either.

int WholeLiveRepaint;

#define MAX_CHANGED 8
static RECT Changed[MAX_CHANGED]; // image cells, disjoint or not, none empty
static int ChangedCount;
static bool AllChanged;

static LONGLONG Area(const RECT* r) {
    return (LONGLONG)(r->right - r->left) * (r->bottom - r->top);
}

// Two rectangles become one when their union box holds no more cells than both do: one
// inside the other, or neighbours along a whole side (a frame's edge before and after).
static bool MergeInto(RECT* into, const RECT* r) {
    RECT box;
    UnionRect(&box, into, r);
    if (Area(&box) > Area(into) + Area(r)) return false;
    *into = box;
    return true;
}

void MarkCellsChanged(int left, int top, int right, int bottom) {
    // Far past any canvas, so that scaling stays inside int.
    const int limit = 0x10000;
    RECT r = {Clamp(left, -limit, limit), Clamp(top, -limit, limit), Clamp(right, -limit, limit),
              Clamp(bottom, -limit, limit)};
    if (r.left >= r.right || r.top >= r.bottom) return;
    for (int i = 0; i < ChangedCount; i++) {
        if (!MergeInto(&Changed[i], &r)) continue;
        // The grown rectangle may now take in others.
        r = Changed[i];
        Changed[i] = Changed[--ChangedCount];
        MarkCellsChanged(r.left, r.top, r.right, r.bottom);
        return;
    }
    if (ChangedCount == MAX_CHANGED) {
        for (int i = 1; i < ChangedCount; i++)
            UnionRect(&Changed[0], &Changed[0], &Changed[i]);
        ChangedCount = 1;
        UnionRect(&Changed[0], &Changed[0], &r);
        return;
    }
    Changed[ChangedCount++] = r;
}

void MarkAllCellsChanged() {
    AllChanged = true;
}

static void ForgetChangedCells() {
    ChangedCount = 0;
    AllChanged = false;
}

// The cells of the canvas that dc shows, past the image's edge too (a frame may reach there).
static bool ShownCells(HDC dc, int scale, RECT* cells) {
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    if (kind == NULLREGION) return false;
    if (kind == ERROR) SetRect(&clip, 0, 0, CanvasWidth * scale, CanvasHeight * scale);
    SetRect(cells, clip.left / scale - 1, clip.top / scale - 1, clip.right / scale + 1,
            clip.bottom / scale + 1);
    return true;
}

// Image, overlay and mesh of the cells `cells`, in that order, as the whole repaint draws them.
static void RepaintCells(HDC dc, int scale, const RECT* cells) {
    RECT image = {0, 0, CanvasWidth, CanvasHeight}, part;
    if (IntersectRect(&part, cells, &image)) {
        RECT dst = Magnified(&part, scale);
        DrawImagePart(dc, &dst, &part, TransparencyMode);
    }
    DrawSelectionOverlayIn(dc, scale, cells);
    if (MeshOn) {
        RECT clip = Magnified(cells, scale);
        DrawMeshIn(dc, scale, &clip);
    }
    DrawHotSpotMark(dc, scale, cells);
}

// Today's whole live repaint, kept as the reference the tests compare the cut one with.
static void RepaintWhole(HWND window, HDC dc, int scale) {
    DrawMagnified(dc, scale, TransparencyMode);
    DrawOverlays(window, dc, scale);
    for (int i = 1; i <= 2; i++)
        if (ImageWindows[i])
            RedrawWindow(ImageWindows[i], nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void RepaintCanvas(HWND window, HDC dc, int scale) {
    if (WholeLiveRepaint) {
        ForgetChangedCells();
        RepaintWhole(window, dc, scale);
        return;
    }
    RECT shown;
    bool visible = ShownCells(dc, scale, &shown);
    if (AllChanged) {
        ForgetChangedCells();
        if (visible) RepaintCells(dc, scale, &shown);
        RepaintMonitors(nullptr);
        return;
    }
    if (!ChangedCount) return;
    RECT all = Changed[0], part;
    for (int i = 1; i < ChangedCount; i++)
        UnionRect(&all, &all, &Changed[i]);
    // The masked picture of what changed, and of the few pixels more a reduced monitor
    // draws with it.
    RECT image = {0, 0, CanvasWidth, CanvasHeight}, around = all;
    InflateRect(&around, 3, 3);
    if (TransparencyMode && MaskUsable() && IntersectRect(&around, &around, &image)) {
        PrepareComposite(dc, &around);
        CompositeReady = around;
    }
    for (int i = 0; i < ChangedCount; i++)
        if (visible && IntersectRect(&part, &Changed[i], &shown)) RepaintCells(dc, scale, &part);
    ForgetChangedCells();
    RepaintMonitors(&all);
    SetRectEmpty(&CompositeReady);
}
