// The system's colour dialog for a palette cell: any colour for the cell, the palette itself
// offered as the dialog's custom colours.
#include <windows.h>
#include <commdlg.h>
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

bool AskPaletteCellColour(HWND owner, int cell) {
    if (cell < 0 || cell >= PALETTE_SIZE) return false;
    // The dialog reads and may change these while it is up.
    static COLORREF offered[PALETTE_SIZE];
    CopyMemory(offered, PaletteColors, sizeof offered);
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = PaletteColors[cell];
    choose.lpCustColors = offered;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose)) return false;
    RecolourPaletteCell(ImageWindows[0], cell, choose.rgbResult & 0x00FFFFFF);
    return true;
}
