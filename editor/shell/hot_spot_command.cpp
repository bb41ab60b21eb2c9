// The Hot Spot command: a cursor's hot spot is moved by the next tap on the canvas.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "canvas/canvas.h"
#include "files/files.h"

LRESULT HotSpotCommand(HWND window) {
    POINT spot;
    if (!ImageWindows[0] || !ImageBitmap) return 0;
    if (DocumentKind != DOCUMENT_ICON_FILE || !CursorHotSpot(SelectedIconImage, &spot)) {
        MessageBoxW(window, L"Only a cursor has a hot spot.", L"Hot Spot",
                    MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    PickingHotSpot = 1;
    return 0;
}
