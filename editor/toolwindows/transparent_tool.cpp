// The opaque/transparent tool of the Opaque/Transparency mode: chooses whether the pen
// makes mask pixels opaque or transparent.
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

#define OPACITY_CHOICES 2

static const WCHAR* const OpacityIconNames[OPACITY_CHOICES] = {L"OPAQUE_TOOL", L"TRANSPARENT_TOOL"};
// The window comes and goes with the mode; its icons are loaded once.
static HICON OpacityIcons[OPACITY_CHOICES];

static LRESULT TransparentToolCreate() {
    LoadIconRow(OpacityIconNames, OPACITY_CHOICES, OpacityIcons);
    OpacityTool = 1; // each time the mode is switched on it starts on "transparent"
    return 0;
}

static LRESULT TransparentToolTap(HWND window, LPARAM position) {
    int cell = LOWORD(position) / ICON_CELL;
    if (cell < OPACITY_CHOICES) OpacityTool = cell;
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

static LRESULT TransparentToolClose(HWND window) {
    if (TransparentToolWindow == window) TransparentToolWindow = nullptr;
    return DefWindowProcW(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK TransparentToolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return TransparentToolCreate();
    case WM_SIZE: return 0;
    case WM_PAINT: PaintIconRow(window, OpacityIcons, OPACITY_CHOICES, OpacityTool); return 0;
    case WM_LBUTTONDOWN: return TransparentToolTap(window, lParam);
    case WM_CLOSE: return TransparentToolClose(window);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
