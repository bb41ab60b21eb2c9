// Starting and ending the editor's real main window inside an editor test program: start-up
// as the program runs it, without its message loop (the test pumps messages itself), from
// the editor shell's fresh state. For editor test programs only (they link the editor).
#pragma once
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include "toolwindows/toolwindows.h"
#include "test_support.h"
#include <aygshell.h>

// The editor's state as every run begins with it, through each subsystem's own reset.
inline void ResetWholeEditor() {
    ResetEditorState();
    ResetShellState();
    ResetToolWindowsState();
    ResetCanvasState();
    ResetFilesState();
    SHSetDeviceOrientation(0);
}

// Starts the editor as a user does; true when its main window is up.
inline bool StartEditorSession() {
    ResetWholeEditor();
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
    ResetWholeEditor();
}
