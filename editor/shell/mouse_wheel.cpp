// The mouse wheel (a desktop addition): the main window has the focus, so the wheel comes
// here first. Over the view it scrolls the view (which does it itself); with Ctrl it changes
// the scale by a step a notch, keeping the image point under the pointer where it is.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

static LRESULT ZoomAround(HWND window, POINT screen, int turn) {
    ScaleWheelTurn += turn;
    const int steps = ScaleWheelTurn / WHEEL_DELTA;
    if (steps == 0) return 0;
    ScaleWheelTurn -= steps * WHEEL_DELTA;
    RECT client;
    POINT at = screen;
    if (!GetClientRect(ViewWindow, &client) || !ScreenToClient(ViewWindow, &at)) return 0;
    // Over a scroll bar the nearest point of the view stands in for the pointer.
    if (at.x >= client.right) at.x = client.right - 1;
    if (at.y >= client.bottom) at.y = client.bottom - 1;
    if (at.x < 0) at.x = 0;
    if (at.y < 0) at.y = 0;
    // The point under the pointer, in canvas pixels: the canvas's client area starts at the
    // scroll position.
    const long long x = (long long)at.x + ViewScrollX, y = (long long)at.y + ViewScrollY;
    const int before = Scale;
    SetScale(window, Scale + steps);
    if (Scale == before) return 0;
    // Scaling the canvas point keeps it inside the same image pixel.
    ScrollViewTo((int)(x * Scale / before - at.x), (int)(y * Scale / before - at.y));
    return 0;
}

LRESULT MainWindowWheel(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT screen = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    RECT view;
    if (!ViewWindow || !GetWindowRect(ViewWindow, &view) || !PtInRect(&view, screen)) return 0;
    if (message == WM_MOUSEWHEEL && (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL))
        return ZoomAround(window, screen, GET_WHEEL_DELTA_WPARAM(wParam));
    return SendMessageW(ViewWindow, message, wParam, lParam);
}
