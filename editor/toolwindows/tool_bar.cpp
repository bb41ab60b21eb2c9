// The tool bar: the six drawing tools, one tap to choose.
#include "toolwindows/toolwindows.h"

LRESULT CALLBACK ToolBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

int PreviousTool;

void DrawChoiceMark(HDC, const RECT*) {}
