// The view window: the scrolling viewport of the canvas and the start picture.
#include "toolwindows/toolwindows.h"

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
