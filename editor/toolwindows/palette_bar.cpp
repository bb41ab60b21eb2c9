// The palette bar: the sixteen palette colours in one column of cells and, below them, the
// indicator of the line and fill colours. Taps choose the colours.
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

#define PALETTE_ROWS 17 // sixteen colours and the indicator
#define INDICATOR_ROW 16

int PaletteCell;
int PaletteTarget;
static int PaletteClientWidth;
static int PaletteClientHeight;

static LRESULT PaletteSize(HWND window) {
    RECT client;
    if (!GetClientRect(window, &client)) return 0;
    PaletteCell = client.bottom / PALETTE_ROWS;
    PaletteClientWidth = client.right;
    PaletteClientHeight = client.bottom;
    return 0;
}

// The outer rectangle shows the line colour, framed with dashes while taps set it; the inner
// one shows the fill colour.
static void DrawPaletteIndicator(HDC dc) {
    int top = INDICATOR_ROW * PaletteCell;
    if (PaletteTarget == 1)
        DrawFilledRectangle(dc, PS_DASH, 0, PaletteColors[0], LineColor, 1, top, PaletteClientWidth,
                            PaletteClientHeight);
    else
        DrawFilledRectangle(dc, PS_SOLID, 1, LineColor, LineColor, 1, top, PaletteClientWidth,
                            PaletteClientHeight);
    DrawFilledRectangle(dc, PS_DASH, 0, PaletteColors[0], FillColor, PaletteCell / 2, top + 3,
                        (5 * PaletteCell) / 2, PaletteClientHeight - 3);
}

static LRESULT PalettePaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return 0;
    // Neighbouring cells share their one-pixel black borders, which rule the grid.
    for (int row = 0; row < PALETTE_SIZE; row++)
        DrawFilledRectangle(dc, PS_SOLID, 1, RGB(0, 0, 0), PaletteColors[row], 0, row * PaletteCell,
                            3 * PaletteCell + 1, (row + 1) * PaletteCell + 1);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 0, INDICATOR_ROW * PaletteCell, PaletteClientWidth, PaletteClientHeight);
    SelectObject(dc, oldBrush);
    DrawPaletteIndicator(dc);
    EndPaint(window, &paint);
    return 0;
}

// The palette row under a tap, or -1 when the tap is right of the colour column (or the bar
// is too small to hold cells at all).
static int PaletteRowAt(LPARAM position) {
    if (PaletteCell <= 0) return -1;
    int x = LOWORD(position), y = HIWORD(position);
    if (x / (3 * PaletteCell) != 0) return -1;
    return y / PaletteCell;
}

static LRESULT PaletteTap(HWND window, LPARAM position) {
    int row = PaletteRowAt(position);
    if (row >= 0 && row < PALETTE_SIZE) {
        if (PaletteTarget == 1) {
            LineColor = PaletteColors[row];
            LineColorCell = row;
        } else {
            FillColor = PaletteColors[row];
            FillColorCell = row;
        }
        InvalidateRect(window, nullptr, FALSE);
    } else if (row == INDICATOR_ROW) {
        int x = LOWORD(position);
        PaletteTarget = (PaletteCell / 2 < x && x < (5 * PaletteCell) / 2) ? 0 : 1;
        HDC dc = GetDC(window);
        if (dc) {
            DrawPaletteIndicator(dc);
            ReleaseDC(window, dc);
        }
    }
    return 0;
}

// A secondary tap on a colour always sets the line colour.
static LRESULT PaletteSecondaryTap(HWND window, LPARAM position) {
    int row = PaletteRowAt(position);
    if (row >= 0 && row < PALETTE_SIZE) {
        LineColor = PaletteColors[row];
        LineColorCell = row;
        InvalidateRect(window, nullptr, FALSE);
    }
    return 0;
}

int TargetColorCell() {
    return PaletteTarget == 1 ? LineColorCell : FillColorCell;
}

// A double tap is a tap, then the colour dialog for the cell tapped, or on the indicator for
// the cell of the colour it now chooses.
static LRESULT PaletteDoubleTap(HWND window, LPARAM position) {
    PaletteTap(window, position);
    int row = PaletteRowAt(position);
    bool asked = false;
    if (row >= 0 && row < PALETTE_SIZE)
        asked = AskPaletteCellColour(window, row);
    else if (row == INDICATOR_ROW)
        asked = AskPaletteCellColour(window, TargetColorCell());
    if (asked) InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT CALLBACK PaletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return 0;
    case WM_SIZE: return PaletteSize(window);
    case WM_PAINT: return PalettePaint(window);
    case WM_LBUTTONDOWN: return PaletteTap(window, lParam);
    case WM_LBUTTONDBLCLK: return PaletteDoubleTap(window, lParam);
    case WM_RBUTTONDOWN: return PaletteSecondaryTap(window, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
