// The opaque/transparent tool of the Opaque/Transparency mode.
#include "toolwindows/toolwindows.h"

LRESULT CALLBACK TransparentToolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
