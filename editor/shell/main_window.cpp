// The main window: child layout and the soft-key menu's commands.
#include "shell/shell.h"
#include "shell/editor_state.h"

LRESULT LayoutChildren(HWND, LPARAM) { return 0; }

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
