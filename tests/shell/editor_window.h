// A fixture that starts the editor's real main window (start-up as the program runs it,
// without the message loop) from a fresh state, and a stand-in canvas that records the
// commands it receives and answers the save commands with a chosen result.
#pragma once
#include "canvas/canvas.h"
#include "editor_session.h"
#include "files/files.h"
#include "resources/resource_ids.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include "base/report.h"
#include "soft_keys.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <vector>

inline std::vector<int> CanvasCommands;
inline LRESULT CanvasSaveResult = 1;

inline LRESULT CALLBACK RecordingCanvasProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_COMMAND) {
        CanvasCommands.push_back(LOWORD(wParam));
        if (LOWORD(wParam) == CMD_SAVE_BITMAP || LOWORD(wParam) == CMD_SAVE_ICON)
            return CanvasSaveResult;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Child rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), (POINT*)&r, 2);
    return r;
}

inline void ExpectRect(HWND child, int x, int y, int w, int h, const char* what) {
    RECT r = ChildRect(child);
    EXPECT_EQ(x, r.left) << what;
    EXPECT_EQ(y, r.top) << what;
    EXPECT_EQ(w, r.right - r.left) << what;
    EXPECT_EQ(h, r.bottom - r.top) << what;
}

class EditorWindow : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(StartEditorSession());
        CanvasCommands.clear();
        CanvasSaveResult = 1;
    }
    void TearDown() override { EndEditorSession(); }
    // Creates the canvas through command 50 and puts the recording stand-in behind it.
    static void MakeRecordingCanvas() {
        SendMessageW(MainWindow, WM_COMMAND, CMD_ENSURE_CANVAS, 0);
        ASSERT_NE(nullptr, ImageWindows[0]);
        SetWindowLongPtrW(ImageWindows[0], GWLP_WNDPROC, (LONG_PTR)RecordingCanvasProc);
    }
    static LRESULT Command(int id) { return SendMessageW(MainWindow, WM_COMMAND, id, 0); }
};
