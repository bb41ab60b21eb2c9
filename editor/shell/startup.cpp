// Start-up: single-instance test, window classes, main window and the message loop.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "canvas/canvas.h"
#include "toolwindows/toolwindows.h"
#include "resources/resource_ids.h"

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
    if (lstrcmpW(name, L"Mosaro") == 0) return (HBRUSH)(COLOR_WINDOW + 1);
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

int StartEditor(HINSTANCE instance, HINSTANCE previous, int showCommand) {
    AppInstance = instance;
    SHInitExtraControls();
    HWND running = FindWindowW(L"Mosaro", L"Pixmora");
    if (running) {
        HandOverToRunningEditor(running, nullptr);
        return 0;
    }
    if (!previous) RegisterEditorClasses(instance);
    InitPalette();
    MainWindow = CreateWindowExW(0, L"Mosaro", L"Pixmora", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!MainWindow) return 0;
    // The menu bar lies along the bottom of the screen; the main window ends above it.
    RECT window, bar;
    if (MenuBarWindow && GetWindowRect(MainWindow, &window) && GetWindowRect(MenuBarWindow, &bar)) {
        MenuBarHeight = bar.bottom - bar.top;
        MoveWindow(MainWindow, window.left, window.top, window.right - window.left,
                   window.bottom - MenuBarHeight - window.top, FALSE);
    }
    ShowWindow(MainWindow, showCommand);
    UpdateWindow(MainWindow);
    KeyTable = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_KEYS));
    AcceptDroppedFiles(MainWindow);
    WatchBoxClicks();
    return 1;
}

bool TranslateEditorKeys(MSG* msg) {
    if (!KeyTable || !MainWindow) return false;
    // Only what the user types into the editor's own windows: the soft-key bar's pop-ups
    // and the dialogs have their own keys.
    if (msg->hwnd != MainWindow && !IsChild(MainWindow, msg->hwnd)) return false;
    return TranslateAcceleratorW(MainWindow, KeyTable, msg) != 0;
}

int RunMessageLoop() {
    MSG msg = {};
    // GetMessageW answers -1 on a failure; that ends the loop as the quit message does.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateEditorKeys(&msg) || IsClosingClickEcho(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}

int RunEditor(HINSTANCE instance, HINSTANCE previous, const WCHAR* commandLine, int showCommand) {
    HWND running = FindWindowW(L"Mosaro", L"Pixmora");
    if (running) {
        HandOverToRunningEditor(running, commandLine);
        return 0;
    }
    if (!StartEditor(instance, previous, showCommand)) return 0;
    OpenCommandLineFile(MainWindow, commandLine);
    return RunMessageLoop();
}
