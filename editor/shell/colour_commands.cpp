// The "Paint" commands of the main window: the fill tool, the colour dialog for the current
// cell and the standard colours; and the palette's repaint after a change.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

LRESULT FillToolCommand() {
    if (ToolBarWindow) ChooseFillTool(ToolBarWindow);
    return 0;
}

LRESULT CustomColourCommand(HWND window) {
    AskPaletteCellColour(window, TargetColorCell());
    return ColoursChangedCommand();
}

// The palette alone: the line and fill colours and the image's own colours stay.
LRESULT StandardColoursCommand() {
    InitPalette();
    return ColoursChangedCommand();
}

LRESULT ColoursChangedCommand() {
    if (PaletteWindow) InvalidateRect(PaletteWindow, nullptr, FALSE);
    return 0;
}
