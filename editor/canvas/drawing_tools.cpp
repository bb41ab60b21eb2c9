// The stroke: what a press, the moves and the release draw with each tool. The drawing
// objects and device contexts of a stroke live from the press to the release.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "files/files.h"
#include <algorithm>

int StrokeActive;
static POINT StrokeAnchor;
static POINT StrokePoint;
static COLORREF MaskPixelColor;
static int StrokeScale;        // screen pixels per image pixel while the stroke lasts
static POINT StrokePixel;      // the image pixel of the press or the latest move
static RECT FigureCells;       // what the rubber band's figure may cover; empty before the first
static RECT FigureInsideCells; // and the cells well inside it

static int StrokeTool;
static int StrokeEnding; // the release is under way; its ReleaseCapture must not end it twice
static HDC StrokeWindowDC;
static HDC StrokeMemoryDC;
static HPEN StrokePen;
static HBRUSH StrokeBrush;
static bool StrokeOwnsPen;
static bool StrokeOwnsBrush;
static HGDIOBJ PreviousBitmap;
static HGDIOBJ PreviousPen;
static HGDIOBJ PreviousBrush;

// Where a stroke on the image paints, 1 bit a pixel laid out as the mask, black (0) where the
// paint fell; kept only while the image has a mask for the paint to make opaque. The pen's
// lines are drawn into it as they go, a figure once at the release.
static HBITMAP PaintedBitmap;
static BYTE* PaintedBits;
static BITMAPINFO* PaintedInfo;
static HDC PaintedDC;
static HPEN PaintedPen;
static HGDIOBJ PaintedPrevious[3]; // bitmap, pen, brush

// The stylus point in client coordinates, negatives (outside a captured stroke) set to 0. A
// point carries 16 bits a side, which wrap past 32767 (dragged beyond a large canvas's far
// edge): it is read as the point nearest `before`, the stroke's last one.
static POINT ClampedPoint(LPARAM lParam, POINT before) {
    POINT p = {before.x + (short)(WORD)(LOWORD(lParam) - before.x),
               before.y + (short)(WORD)(HIWORD(lParam) - before.y)};
    if (p.x < 0) p.x = 0;
    if (p.y < 0) p.y = 0;
    return p;
}

static POINT PixelOf(POINT point) {
    POINT pixel = {point.x / StrokeScale, point.y / StrokeScale};
    return pixel;
}

static bool HollowTool(int tool) {
    return tool == TOOL_RECT || tool == TOOL_ELLIPSE;
}

// The pen and brush of the stroke; false when one could not be made.
static bool ChooseDrawingObjects(int tool) {
    StrokeOwnsPen = StrokeOwnsBrush = false;
    if (TransparencyMode) {
        bool transparent = OpacityTool == 1;
        StrokePen = (HPEN)GetStockObject(transparent ? WHITE_PEN : BLACK_PEN);
        StrokeBrush = (HBRUSH)GetStockObject(HollowTool(tool) ? NULL_BRUSH
                                             : transparent    ? WHITE_BRUSH
                                                              : BLACK_BRUSH);
        MaskPixelColor = transparent ? 0xFFFFFF : 0;
        return true;
    }
    StrokePen = CreatePen(PS_SOLID, LineWidth, LineColor);
    StrokeOwnsPen = StrokePen != nullptr;
    if (HollowTool(tool)) {
        StrokeBrush = (HBRUSH)GetStockObject(NULL_BRUSH);
    } else {
        StrokeBrush = CreateSolidBrush(FillColor);
        StrokeOwnsBrush = StrokeBrush != nullptr;
    }
    return StrokePen && StrokeBrush;
}

static void FreePaintedObjects() {
    if (PaintedDC) {
        for (HGDIOBJ previous : PaintedPrevious)
            if (previous) SelectObject(PaintedDC, previous);
        DeleteDC(PaintedDC);
    }
    if (PaintedPen) DeleteObject(PaintedPen);
    FreeBitmap(&PaintedBitmap, &PaintedBits, &PaintedInfo);
    PaintedDC = nullptr;
    PaintedPen = nullptr;
    PaintedPrevious[0] = PaintedPrevious[1] = PaintedPrevious[2] = nullptr;
}

// The record of where the stroke paints, blank, drawn with the stroke's line width; false
// when it could not be made.
static bool TakePaintedObjects(HWND canvas, int tool) {
    if (!MaskInfo) return false;
    PaintedBitmap = MakeBitmap(canvas, L"StrokePress", 1, InfoWidth(MaskInfo), InfoHeight(MaskInfo),
                               nullptr, 0, &PaintedInfo, &PaintedBits);
    if (!PaintedBitmap) return false;
    FillMemory(PaintedBits, InfoPixelBytes(PaintedInfo), 0xFF);
    PaintedDC = CreateCompatibleDC(StrokeWindowDC);
    PaintedPen = CreatePen(PS_SOLID, LineWidth, 0);
    if (!PaintedDC || !PaintedPen) return false;
    PaintedPrevious[0] = SelectObject(PaintedDC, PaintedBitmap);
    PaintedPrevious[1] = SelectObject(PaintedDC, PaintedPen);
    PaintedPrevious[2] =
        SelectObject(PaintedDC, GetStockObject(HollowTool(tool) ? NULL_BRUSH : BLACK_BRUSH));
    return PaintedPrevious[0] && PaintedPrevious[1] && PaintedPrevious[2];
}

static void FreeStrokeObjects(HWND canvas) {
    FreePaintedObjects();
    if (StrokeMemoryDC) {
        if (PreviousPen) SelectObject(StrokeMemoryDC, PreviousPen);
        if (PreviousBrush) SelectObject(StrokeMemoryDC, PreviousBrush);
        if (PreviousBitmap) SelectObject(StrokeMemoryDC, PreviousBitmap);
        DeleteDC(StrokeMemoryDC);
    }
    if (StrokeOwnsPen) DeleteObject(StrokePen);
    if (StrokeOwnsBrush) DeleteObject(StrokeBrush);
    if (StrokeWindowDC) ReleaseDC(canvas, StrokeWindowDC);
    ReleaseMonitorDCs();
    StrokeMemoryDC = StrokeWindowDC = nullptr;
    StrokePen = nullptr;
    StrokeBrush = nullptr;
    StrokeOwnsPen = StrokeOwnsBrush = false;
    PreviousBitmap = PreviousPen = PreviousBrush = nullptr;
}

// The window's device context for the stroke and, for the drawing tools, a memory device
// context holding the bitmap the stroke edits with the stroke's pen and brush.
static bool TakeStrokeObjects(HWND canvas, int tool) {
    StrokeWindowDC = GetDC(canvas);
    if (!StrokeWindowDC) return false;
    if (tool == TOOL_COPYRECT) return true;
    if (!ChooseDrawingObjects(tool)) return false;
    StrokeMemoryDC = CreateCompatibleDC(StrokeWindowDC);
    if (!StrokeMemoryDC) return false;
    PreviousBitmap = SelectObject(StrokeMemoryDC, TransparencyMode ? MaskBitmap : ImageBitmap);
    PreviousPen = SelectObject(StrokeMemoryDC, StrokePen);
    PreviousBrush = SelectObject(StrokeMemoryDC, StrokeBrush);
    return PreviousBitmap && PreviousPen && PreviousBrush;
}

// How far past its points' box the stroke's pen may reach: a wide pen's half width, and a
// cell more for rounding.
static int PenReach() {
    int width = TransparencyMode ? 1 : LineWidth;
    return width > 1 ? width / 2 + 1 : 0;
}

// The cells a line or figure between image pixels a and b may draw, `reach` past their box
// (which takes b in, though GDI leaves the end point out).
static RECT CellsBetween(POINT a, POINT b, int reach) {
    RECT r = {std::min(a.x, b.x) - reach, std::min(a.y, b.y) - reach,
              std::max(a.x, b.x) + 1 + reach, std::max(a.y, b.y) + 1 + reach};
    return r;
}

static void DrawFigure(HDC dc, POINT from, POINT to) {
    SetROP2(dc, R2_COPYPEN);
    if (StrokeTool == TOOL_RECT || StrokeTool == TOOL_FILLRECT)
        Rectangle(dc, from.x, from.y, to.x, to.y);
    else
        Ellipse(dc, from.x, from.y, to.x, to.y);
}

// The cells well inside a figure from `from` to `to`, which its pen does not reach: the
// rectangle's inside, or the rectangle inscribed in the ellipse (its sides at 0.35 of the
// ellipse's, a little under 1 / (2 sqrt 2)), less the pen and a cell for rounding.
static RECT FigureInside(POINT from, POINT to) {
    int left = std::min(from.x, to.x), right = std::max(from.x, to.x);
    int top = std::min(from.y, to.y), bottom = std::max(from.y, to.y);
    int margin = PenReach() + 2;
    RECT inside = {left + margin, top + margin, right - margin, bottom - margin};
    if (StrokeTool == TOOL_ELLIPSE || StrokeTool == TOOL_FILLELLIPSE) {
        int cx = (left + right) / 2, cy = (top + bottom) / 2;
        int hx = (right - left) * 7 / 20, hy = (bottom - top) * 7 / 20;
        SetRect(&inside, cx - hx + margin, cy - hy + margin, cx + hx - margin, cy + hy - margin);
    }
    if (inside.left >= inside.right || inside.top >= inside.bottom) SetRectEmpty(&inside);
    return inside;
}

// Marks `cells` but for the cells `same` inside them.
static void MarkCellsAround(const RECT* cells, const RECT* same) {
    RECT hole;
    if (!IntersectRect(&hole, same, cells)) {
        MarkCellsChanged(cells->left, cells->top, cells->right, cells->bottom);
        return;
    }
    MarkCellsChanged(cells->left, cells->top, cells->right, hole.top);
    MarkCellsChanged(cells->left, hole.bottom, cells->right, cells->bottom);
    MarkCellsChanged(cells->left, hole.top, hole.left, hole.bottom);
    MarkCellsChanged(hole.right, hole.top, cells->right, hole.bottom);
}

// The rubber band: back to the bitmap as it was at the press where the last figure lay, then
// the figure to the new point. A move in the cell of the one before changes nothing; else
// what changed lies in the old and new figures' boxes, but for the cells well inside both,
// which keep the picture (a hollow figure) or the fill (a filled one). Before the first
// figure the bitmap is the press's, which a hollow figure's inside keeps too.
static void MoveFigure(HWND canvas, POINT pixel) {
    bool drawn = !IsRectEmpty(&FigureCells);
    if (drawn && pixel.x == StrokePixel.x && pixel.y == StrokePixel.y) return;
    POINT anchor = PixelOf(StrokeAnchor);
    RECT box = CellsBetween(anchor, pixel, PenReach() + 1);
    RECT inside = FigureInside(anchor, pixel), changed = box, same;
    if (drawn) {
        RestoreSnapshotRows(canvas, StrokeMemoryDC, FigureCells.top, FigureCells.bottom);
        UnionRect(&changed, &box, &FigureCells);
        IntersectRect(&same, &inside, &FigureInsideCells);
    } else if (HollowTool(StrokeTool)) {
        same = inside;
    } else {
        SetRectEmpty(&same);
    }
    DrawFigure(StrokeMemoryDC, anchor, pixel);
    FigureCells = box;
    FigureInsideCells = inside;
    MarkCellsAround(&changed, &same);
}

void StrokePress(HWND canvas, LPARAM lParam, int scale) {
    if (StrokeActive || scale < 1) return;
    int tool = CurrentTool;
    if (tool < TOOL_PEN || tool > TOOL_FILL) return;
    // The mode was switched on before this image came (a load or New Create drops the
    // mask): the image gets its mask now, every pixel opaque.
    if (ImageBitmap && tool != TOOL_COPYRECT && TransparencyMode && !MaskBitmap)
        CreateMask(canvas, DocumentKind == DOCUMENT_ICON_FILE && IconHasTransparency);
    // Nothing to draw on: no image yet, or the mask mode without a mask.
    if (!ImageBitmap || (tool != TOOL_COPYRECT && TransparencyMode && !MaskBitmap)) return;
    // The fill is done at the press; no stroke follows it.
    if (tool == TOOL_FILL) {
        POINT point = ClampedPoint(lParam, POINT{0, 0});
        FillAt(canvas, POINT{point.x / scale, point.y / scale});
        return;
    }
    StrokeTool = tool;
    // Paint on the image makes what it covers opaque: the mask it marks must be there before
    // the snapshot, which takes it with the image.
    bool marksMask = tool != TOOL_COPYRECT && !TransparencyMode && MaskForPainting(canvas);
    // Before the bitmap goes into the stroke's memory device context: a bitmap can be
    // selected into one context only, and the snapshot has to copy it.
    TakeSnapshot(canvas);
    if (!TakeStrokeObjects(canvas, tool) || (marksMask && !TakePaintedObjects(canvas, tool))) {
        FreeStrokeObjects(canvas);
        return;
    }
    StrokeScale = scale;
    POINT point = ClampedPoint(lParam, POINT{0, 0});
    POINT pixel = PixelOf(point);
    StrokeActive = 1;
    SetCapture(canvas);
    if (tool == TOOL_PEN) {
        MoveToEx(StrokeMemoryDC, pixel.x, pixel.y, nullptr);
        if (PaintedDC) MoveToEx(PaintedDC, pixel.x, pixel.y, nullptr);
    }
    StrokeAnchor = point;
    StrokePixel = pixel;
    SetRectEmpty(&FigureCells);
    StrokePoint = point;
    // Paste puts the block at the last press pixel, unless a block already floats.
    if (!Floating) PasteBase = PastePos = pixel;
}

void StrokeMove(HWND canvas, LPARAM lParam) {
    if (!StrokeActive) return;
    POINT point = ClampedPoint(lParam, StrokePoint);
    POINT pixel = PixelOf(point);
    StrokePoint = point;
    if (StrokeTool == TOOL_PEN) {
        // A line to the pixel the pen stands on draws nothing.
        if (pixel.x != StrokePixel.x || pixel.y != StrokePixel.y || PenReach()) {
            LineTo(StrokeMemoryDC, pixel.x, pixel.y);
            if (PaintedDC) LineTo(PaintedDC, pixel.x, pixel.y);
            RECT line = CellsBetween(StrokePixel, pixel, PenReach());
            MarkCellsChanged(line.left, line.top, line.right, line.bottom);
        }
    } else if (StrokeTool == TOOL_COPYRECT) {
        SelectMove(PixelOf(StrokeAnchor), StrokePixel, pixel);
    } else {
        MoveFigure(canvas, pixel);
    }
    StrokePixel = pixel;
    RepaintCanvas(canvas, StrokeWindowDC, StrokeScale);
}

void StrokeRelease(HWND canvas, LPARAM lParam) {
    if (!StrokeActive || StrokeEnding) return;
    StrokeEnding = 1;
    POINT point = ClampedPoint(lParam, StrokePoint);
    POINT pixel = PixelOf(point);
    POINT anchor = PixelOf(StrokeAnchor);
    StrokePoint = point;
    if (StrokeTool == TOOL_PEN) {
        LineTo(StrokeMemoryDC, pixel.x, pixel.y);
        if (PaintedDC) LineTo(PaintedDC, pixel.x, pixel.y);
        // A line ends before its end point, so a stroke ending where it began sets that cell.
        if (pixel.x == anchor.x && pixel.y == anchor.y) {
            SetPixel(StrokeMemoryDC, anchor.x, anchor.y,
                     TransparencyMode ? MaskPixelColor : LineColor);
            if (PaintedDC) SetPixel(PaintedDC, anchor.x, anchor.y, 0);
        }
    } else if (StrokeTool == TOOL_COPYRECT) {
        SelectRelease(canvas, anchor, pixel);
    } else {
        DrawFigure(StrokeMemoryDC, anchor, pixel);
        if (PaintedDC) DrawFigure(PaintedDC, anchor, pixel);
    }
    if (PaintedDC) MarkPaintedOpaque(PaintedBits);
    // The release is repainted whole: it may place a floating block or drop the selection.
    MarkAllCellsChanged();
    RepaintCanvas(canvas, StrokeWindowDC, StrokeScale);
    ReleaseCapture();
    FreeStrokeObjects(canvas);
    Modified = 1;
    InvalidateRect(canvas, nullptr, TRUE);
    StrokeActive = 0;
    StrokeEnding = 0;
}

void AbandonStroke(HWND canvas) {
    if (StrokeActive && !StrokeEnding)
        StrokeRelease(canvas, MAKELPARAM(StrokePoint.x, StrokePoint.y));
}
