// The tool bar: the six drawing tools as a row of icons, one tap to choose.
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

int PreviousTool;

static const WCHAR* const ToolIconNames[TOOL_COUNT] = {
    L"PENTOOL", L"RECTTOOL", L"FILLRECTTOOL", L"ELLIPSETOOL", L"FILLELLIPSETOOL", L"COPYRECTTOOL"};
// Loaded with the first tool bar and kept for the life of the program.
static HICON ToolIcons[TOOL_COUNT];

static LRESULT ToolBarCreate() {
    LoadIconRow(ToolIconNames, TOOL_COUNT, ToolIcons);
    return 0;
}

static LRESULT ToolBarTap(HWND window, LPARAM position) {
    int cell = LOWORD(position) / ICON_CELL;
    if (TransparencyMode) {
        // The mode edits the mask with the pen alone.
        if (cell != TOOL_PEN)
            MessageBoxW(window, L"could use only pen tool for opaque/transparent menu.",
                        L"ToolBarProc", MB_OK);
        return 0;
    }
    PreviousTool = CurrentTool;
    if (cell < TOOL_COUNT) CurrentTool = cell;
    // Leaving the rectangle-copy tool drops its selection outline; a pasted block still
    // floating is placed where it stands (once, as one undo step) so that it is not lost.
    if (PreviousTool == TOOL_COPYRECT && CurrentTool != TOOL_COPYRECT)
        LeaveCopyTool(ImageWindows[0]);
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT CALLBACK ToolBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return ToolBarCreate();
    case WM_SIZE: return 0;
    case WM_PAINT: PaintIconRow(window, ToolIcons, TOOL_COUNT, CurrentTool); return 0;
    case WM_LBUTTONDOWN: return ToolBarTap(window, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
