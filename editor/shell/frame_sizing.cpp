// Sizing the main window by its frame (a desktop addition: the handheld's window always
// fills its screen). Dragging stops where the narrow layout no longer fits.
#include "shell/shell.h"

LRESULT MainWindowSizeLimits(HWND window, LPARAM lParam) {
    MINMAXINFO* limits = (MINMAXINFO*)lParam;
    RECT client;
    if (!limits || !GetClientRect(window, &client)) return 0;
    const int height =
        client.bottom > SMALLEST_CLIENT_HEIGHT ? client.bottom : SMALLEST_CLIENT_HEIGHT;
    RECT frame = {0, 0, SmallestClientWidth(height), SMALLEST_CLIENT_HEIGHT};
    if (!AdjustWindowRectEx(&frame, (DWORD)GetWindowLongW(window, GWL_STYLE), FALSE,
                            (DWORD)GetWindowLongW(window, GWL_EXSTYLE)))
        return 0;
    limits->ptMinTrackSize.x = frame.right - frame.left;
    limits->ptMinTrackSize.y = frame.bottom - frame.top;
    return 0;
}
