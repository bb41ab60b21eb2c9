// A cursor's hot spot on the canvas: marked by a cross over its cell (on the screen only, never
// in the image) and moved by the Hot Spot command's tap, one undo step.
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"

int PickingHotSpot;

// The hot spot of the image on the canvas, when it is a cursor's and lies on the image.
static bool ShownHotSpot(POINT* spot) {
    return DocumentKind == DOCUMENT_ICON_FILE && CursorHotSpot(SelectedIconImage, spot) &&
           spot->x < CanvasWidth && spot->y < CanvasHeight;
}

void PlaceHotSpot(HWND canvas, LPARAM point, int scale) {
    PickingHotSpot = 0;
    POINT was;
    if (scale < 1 || DocumentKind != DOCUMENT_ICON_FILE || !CursorHotSpot(SelectedIconImage, &was))
        return;
    int x = (short)LOWORD(point), y = (short)HIWORD(point);
    POINT pixel = {x < 0 ? 0 : x / scale, y < 0 ? 0 : y / scale};
    // A tap beside the image (the canvas may be larger) misses it: the hot spot stays.
    if (pixel.x >= CanvasWidth || pixel.y >= CanvasHeight) return;
    if (!SetCursorHotSpot(SelectedIconImage, pixel)) return;
    RecordHotSpotStep(was);
    Modified = 1;
    InvalidateRect(canvas, nullptr, FALSE);
}

// Inverts what is on the screen, so the cross shows on any colour; drawn only over a cell
// just redrawn, since a second inversion would take it away. The bars leave the cell's edge
// free for the mesh, the upright one broken where it crosses the other.
void DrawHotSpotMark(HDC dc, int scale, const RECT* redrawn) {
    POINT spot;
    if (!dc || !ShownHotSpot(&spot)) return;
    if (redrawn && !PtInRect(redrawn, spot)) return;
    int left = spot.x * scale, top = spot.y * scale;
    int bar = scale / 5 > 1 ? scale / 5 : 1, margin = scale > 4 ? scale / 5 : 0;
    int middle = (scale - bar) / 2, length = scale - 2 * margin;
    PatBlt(dc, left + margin, top + middle, length, bar, DSTINVERT);
    PatBlt(dc, left + middle, top + margin, bar, middle - margin, DSTINVERT);
    PatBlt(dc, left + middle, top + middle + bar, bar, scale - margin - middle - bar, DSTINVERT);
}
