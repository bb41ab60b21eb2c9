// Start-up: single-instance test, window classes, main window and the message loop.
#include "shell/shell.h"
#include "shell/editor_state.h"
#include "canvas/canvas.h"
#include "toolwindows/toolwindows.h"

struct WindowClassRow {
    const WCHAR* name;
    WNDPROC procedure;
    UINT style;
    int extraBytes;
};

// One class per window kind, each with its own window procedure.
static const WindowClassRow WindowClasses[] = {
    {L"Mosaro", WndProc, CS_HREDRAW | CS_VREDRAW, 0},
    {L"ToolBar", ToolBarProc, CS_HREDRAW | CS_VREDRAW, 4},
    {L"LineBar", LineBarProc, CS_HREDRAW | CS_VREDRAW, 4},
    {L"Palette", PaletteProc, CS_HREDRAW | CS_VREDRAW, 4},
    {L"View Window", ViewProc, CS_HREDRAW | CS_VREDRAW, 4},
    {L"Canvas", CanvasProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 4},
    {L"Monitor", MonitorProc, CS_HREDRAW | CS_VREDRAW, 4},
    {L"Transparent", TransparentToolProc, CS_HREDRAW | CS_VREDRAW, 4},
};

static HBRUSH ClassBackground(const WCHAR* name) {
    if (lstrcmpW(name, L"Mosaro") == 0)
        return (HBRUSH)(COLOR_WINDOW + 1);
    if (lstrcmpW(name, L"View Window") == 0 || lstrcmpW(name, L"Monitor") == 0)
        return (HBRUSH)GetStockObject(GRAY_BRUSH);
    if (lstrcmpW(name, L"Canvas") == 0) // what transparent pixels show after a full paint
        return CreateSolidBrush(RGB(0x48, 0x48, 0x48));
    return (HBRUSH)GetStockObject(WHITE_BRUSH);
}

void RegisterEditorClasses(HINSTANCE instance) {
    for (const WindowClassRow& row : WindowClasses) {
        WNDCLASSW wc = {};
        wc.style = row.style;
        wc.lpfnWndProc = row.procedure;
        wc.cbWndExtra = row.extraBytes;
        wc.hInstance = instance;
        wc.lpszClassName = row.name;
        wc.hbrBackground = ClassBackground(row.name);
        if (lstrcmpW(row.name, L"Mosaro") == 0) {
            wc.hIcon = LoadIconW(instance, L"AMosaro");
            wc.hCursor = LoadCursorW(instance, L"Mosaro"); // the resources hold none
        } else if (lstrcmpW(row.name, L"Canvas") == 0) {
            wc.hCursor = LoadCursorW(instance, L"PENCURSOR");
        } else {
            wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
        }
        RegisterClassW(&wc);
    }
}

int RunEditor(HINSTANCE instance, HINSTANCE, int) {
    AppInstance = instance;
    InitPalette();
    return 0;
}
