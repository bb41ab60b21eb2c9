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

// Makes `tool` current (none of the cells: the current one stays) and marks it.
static void ChooseTool(HWND window, int tool) {
    PreviousTool = CurrentTool;
    if (tool >= TOOL_PEN && tool <= TOOL_FILL) CurrentTool = tool;
    // Leaving the rectangle-copy tool drops its selection outline; a pasted block still
    // floating is placed where it stands (once, as one undo step) so that it is not lost.
    if (PreviousTool == TOOL_COPYRECT && CurrentTool != TOOL_COPYRECT)
        LeaveCopyTool(ImageWindows[0]);
    InvalidateRect(window, nullptr, FALSE);
}

static LRESULT ToolBarTap(HWND window, LPARAM position) {
    int cell = LOWORD(position) / ICON_CELL;
    if (TransparencyMode) {
        // The mode edits the mask with the pen alone (and the fill, which has no cell: a tap
        // on the pen's leaves it for the pen).
        if (cell != TOOL_PEN)
            MessageBoxW(window, L"could use only pen tool for opaque/transparent menu.",
                        L"ToolBarProc", MB_OK);
        else if (CurrentTool == TOOL_FILL)
            ChooseTool(window, TOOL_PEN);
        return 0;
    }
    ChooseTool(window, cell < TOOL_COUNT ? cell : -1);
    return 0;
}

void ChooseFillTool(HWND toolBar) {
    ChooseTool(toolBar, TOOL_FILL);
}

LRESULT CALLBACK ToolBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return ToolBarCreate();
    case WM_SIZE: return 0;
    case WM_PAINT: PaintIconRow(window, ToolIcons, TOOL_COUNT, CurrentTool); return 0;
    case WM_LBUTTONDOWN: return ToolBarTap(window, lParam);
    // A secondary tap (the stylus held down) anywhere on the bar chooses the fill.
    case WM_RBUTTONDOWN: ChooseFillTool(window); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
