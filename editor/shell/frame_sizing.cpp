// Sizing the main window by its frame (a desktop addition: the handheld's window always
// fills its screen). The frame goes down to the smallest handheld's screen, upright and
// turned, so the layout can be seen and used as it is there.
#include "shell/shell.h"

LRESULT MainWindowSizeLimits(HWND window, LPARAM lParam) {
    MINMAXINFO* limits = (MINMAXINFO*)lParam;
    RECT frame = {0, 0, SMALLEST_CLIENT_WIDTH, SMALLEST_CLIENT_HEIGHT};
    if (!limits || !AdjustWindowRectEx(&frame, (DWORD)GetWindowLongW(window, GWL_STYLE), FALSE,
                                       (DWORD)GetWindowLongW(window, GWL_EXSTYLE)))
        return 0;
    limits->ptMinTrackSize.x = frame.right - frame.left;
    limits->ptMinTrackSize.y = frame.bottom - frame.top;
    return 0;
}

LRESULT MainWindowPlaced(WINDOWPOS*) {
    // The system's own handling would hold the window to the frame's limits even where a
    // window manager has made it smaller on the screen: the window, its layout and its
    // soft-key bar would then lie below what the screen shows. Dragging the frame stops at
    // the limits all the same (WM_GETMINMAXINFO).
    return 0;
}
