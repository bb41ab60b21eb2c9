// The line bar: the eight line widths as black bars at the canvas scale.
#include "toolwindows/toolwindows.h"

LRESULT CALLBACK LineBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
