// The mouse wheel over the view (a desktop addition; the handheld has no wheel). A notch
// scrolls as a tap on a scroll bar's arrow does, by sending the view that very request.
#include "toolwindows/toolwindows.h"

int ViewWheelTurnX;
int ViewWheelTurnY;

// Sends a line request for every whole notch of turn, keeping the rest; positive turn
// scrolls down or right.
static void ScrollByNotches(HWND view, UINT scrollMessage, int* turn) {
    for (; *turn >= WHEEL_DELTA; *turn -= WHEEL_DELTA)
        SendMessageW(view, scrollMessage, SB_LINEDOWN, 0);
    for (; *turn <= -WHEEL_DELTA; *turn += WHEEL_DELTA)
        SendMessageW(view, scrollMessage, SB_LINEUP, 0);
}

LRESULT ViewWheel(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    const int keys = GET_KEYSTATE_WPARAM(wParam), turn = GET_WHEEL_DELTA_WPARAM(wParam);
    if (message == WM_MOUSEWHEEL && (keys & MK_CONTROL)) {
        HWND owner = GetParent(view);
        return owner ? SendMessageW(owner, message, wParam, lParam) : 0;
    }
    if (message == WM_MOUSEHWHEEL) { // tilted to the right is positive
        ViewWheelTurnX += turn;
        ScrollByNotches(view, WM_HSCROLL, &ViewWheelTurnX);
    } else if (keys & MK_SHIFT) { // turned away from the user: to the left
        ViewWheelTurnX -= turn;
        ScrollByNotches(view, WM_HSCROLL, &ViewWheelTurnX);
    } else { // turned away from the user: up
        ViewWheelTurnY -= turn;
        ScrollByNotches(view, WM_VSCROLL, &ViewWheelTurnY);
    }
    return 0;
}
