// Starting and ending the editor's real main window inside an editor test program: start-up
// as the program runs it, without its message loop (the test pumps messages itself), from
// the editor shell's fresh state. For editor test programs only (they link the editor).
#pragma once
#include "files/files.h"
#include "shell/editor_state.h"
#include "shell/shell.h"
#include "test_support.h"
#include <aygshell.h>

// The editor shell's values as every run begins with them.
inline void ResetShellState() {
    MenuBarHeight = 24;
    CanvasWidth = CanvasHeight = 32;
    PrevCanvasWidth = PrevCanvasHeight = 32;
    Scale = PrevScale = 10;
    MeshOn = 1;
    Modified = 0;
    DocumentKind = 0;
    NoCanvas = 1;
    SizeChosen = 0;
    ImagePending = 0;
    CanvasSizeChoice = 0;
    TransparencyMode = 0;
    ViewScrollX = ViewScrollY = 0;
    for (HWND& w : ImageWindows)
        w = nullptr;
    TransparentToolWindow = nullptr;
    DocumentTitle[0] = 0;
    ImageSlots[CurrentSlot].Path[0] = 0;
    SHSetDeviceOrientation(0);
}

// Starts the editor as a user does; true when its main window is up.
inline bool StartEditorSession() {
    ResetShellState();
    bool started = StartEditor(GetModuleHandleW(nullptr), nullptr, SW_SHOW) == 1;
    PumpMessages();
    return started;
}

// Ends the editor without asking, and forgets its quit message.
inline void EndEditorSession() {
    if (MainWindow && IsWindow(MainWindow)) DestroyWindow(MainWindow);
    PumpMessages();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    MainWindow = nullptr;
    ResetShellState();
}
