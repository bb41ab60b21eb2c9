// The palette bar: sixteen colour cells and the line/fill colour indicator.
#include "toolwindows/toolwindows.h"

LRESULT CALLBACK PaletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

int PaletteCell;
int PaletteTarget;
