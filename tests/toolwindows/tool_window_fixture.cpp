// The test parent window and the helpers that make tool windows under it.
#include "tool_window_fixture.h"
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"
#include "test_support.h"

static HWND TestParent() {
    static HWND parent;
    if (!parent)
        parent = MakeTestWindow(L"ToolWindowsTestParent", WS_POPUP | WS_VISIBLE, 700, 500, nullptr,
                                (HBRUSH)GetStockObject(WHITE_BRUSH));
    return parent;
}

void ToolWindowTest::SetUp() {
    ClearSeenBoxes();
    ResetEditorState();
    ResetToolWindowsState();
    ResetCanvasState();
    LineWidth = 1; // as the main window sets it at creation
}

void ToolWindowTest::TearDown() {
    for (HWND w : made)
        if (IsWindow(w)) DestroyWindow(w);
    made.clear();
    ImageWindows[0] = nullptr;
    ViewWindow = nullptr;
    PumpMessages();
    EXPECT_EQ(0u, PendingAnswers());
    ClearPendingAnswers();
}

HWND ToolWindowTest::MakeChild(const wchar_t* className, int clientWidth, int clientHeight,
                               DWORD extraStyle, HWND parent) {
    HWND w =
        CreateWindowExW(0, className, className, WS_CHILD | WS_VISIBLE | WS_BORDER | extraStyle, 0,
                        0, clientWidth + 2, clientHeight + 2, parent ? parent : TestParent(),
                        nullptr, AppInstance, nullptr);
    EXPECT_NE(nullptr, w);
    made.push_back(w);
    SetClientSize(w, clientWidth, clientHeight);
    UpdateWindow(w);
    PumpMessages();
    return w;
}

void ToolWindowTest::SetClientSize(HWND window, int width, int height) {
    for (int tries = 0; tries < 4; tries++) {
        RECT client, outer;
        GetClientRect(window, &client);
        if (client.right == width && client.bottom == height) break;
        GetWindowRect(window, &outer);
        int outerWidth = outer.right - outer.left + width - client.right;
        int outerHeight = outer.bottom - outer.top + height - client.bottom;
        SetWindowPos(window, nullptr, 0, 0, outerWidth, outerHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(width, client.right);
    EXPECT_EQ(height, client.bottom);
    UpdateWindow(window);
    PumpMessages();
}

HWND ToolWindowTest::MakeStandInCanvas(HWND view) {
    HWND canvas =
        CreateWindowExW(0, L"ToolWindowsTestParent", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                        view ? view : TestParent(), nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(nullptr, canvas);
    made.insert(made.begin(), canvas);
    return canvas;
}

POINT PositionInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    POINT p = {r.left, r.top};
    ScreenToClient(GetParent(window), &p);
    return p;
}

bool HasUpdateRegion(HWND window) {
    return GetUpdateRect(window, nullptr, FALSE) != 0;
}
