// Colours between the picture and the palette: a colour picked from a pixel becomes the line
// or fill colour, and a palette cell given a custom colour recolours the 4-bit image's
// colour-table entry it paints with.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "resources/resource_ids.h"

int PickPending;

// Colour-table words are 0x00RRGGBB, colour values 0x00BBGGRR.
static DWORD SwapRedBlue(DWORD color) {
    return (color & 0x00FF00) | (color & 0xFF) << 16 | (color >> 16 & 0xFF);
}

static int CellHolding(COLORREF color) {
    for (int i = 0; i < PALETTE_SIZE; i++)
        if (PaletteColors[i] == color) return i;
    return -1;
}

static void TellColoursChanged() {
    if (MainWindow) SendMessageW(MainWindow, WM_COMMAND, CMD_COLOURS_CHANGED, 0);
}

void PickColour(HWND, LPARAM point, WPARAM keys, int scale) {
    PickPending = 0;
    int x = (short)LOWORD(point), y = (short)HIWORD(point);
    if (!ImageInfo || !ImageBits || scale < 1 || x < 0 || y < 0) return;
    x /= scale;
    y /= scale;
    if (x >= InfoWidth(ImageInfo) || y >= InfoHeight(ImageInfo) || PixelTransparent(x, y)) return;
    GdiFlush();
    // The colour alone: a half-transparent pixel gives its colour without the alpha.
    COLORREF color = SwapRedBlue(ColorAt(ImageInfo, RowOf(ImageInfo, ImageBits, y), x));
    bool fill = (keys & MK_SHIFT) != 0;
    int& cell = fill ? FillColorCell : LineColorCell;
    int holder = CellHolding(color);
    if (holder >= 0) {
        cell = holder;
    } else {
        if (cell < 0 || cell >= PALETTE_SIZE) cell = 0;
        PaletteColors[cell] = color;
    }
    (fill ? FillColor : LineColor) = color;
    TellColoursChanged();
}

// The colour-table entry a cell's colour paints with: the entry of exactly that colour, else
// the nearest one, as the drawing calls choose it.
static int EntryPaintedBy(COLORREF color) {
    return NearestIndex(InfoTable(ImageInfo), 16, SwapRedBlue(color));
}

void RecolourPaletteCell(HWND canvas, int cell, COLORREF color) {
    if (cell < 0 || cell >= PALETTE_SIZE) return;
    COLORREF old = PaletteColors[cell];
    if (ImageBitmap && ImageInfo && InfoBitCount(ImageInfo) == 4) {
        int entry = EntryPaintedBy(old);
        DWORD word = SwapRedBlue(color);
        if (InfoTable(ImageInfo)[entry] != word) {
            // The snapshot holds the table and the palette as they were.
            TakeRecolourSnapshot(canvas);
            if (!SetBitmapTable(ImageBitmap, ImageInfo, entry, 1, &word)) return;
            MatchScratchTable();
            Modified = 1;
            RefreshViews(canvas, TRUE);
        }
    }
    PaletteColors[cell] = color;
    if (LineColorCell == cell && LineColor == old) LineColor = color;
    if (FillColorCell == cell && FillColor == old) FillColor = color;
    TellColoursChanged();
}
