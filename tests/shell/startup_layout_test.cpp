// Start-up as a user sees it (window, soft-key bar, layout in both orientations), the
// layout rules for narrow and wide client areas, and the single-instance test.
#include "editor_window.h"
#include <functional>
#include <string>

TEST_F(EditorWindow, StartsAsAPortraitHandheldScreenWithTheBarBelow) {
    wchar_t text[64] = {}, cls[64] = {};
    GetWindowTextW(MainWindow, text, 64);
    GetClassNameW(MainWindow, cls, 64);
    EXPECT_STREQ(L"Pixmora", text);
    EXPECT_STREQ(L"Mosaro", cls);
    ASSERT_NE(nullptr, MenuBarWindow);
    EXPECT_EQ(MenuBarWindow, SoftKeyBarOf(MainWindow));
    EXPECT_TRUE(IsWindowVisible(MenuBarWindow));
    RECT main, bar;
    GetWindowRect(MainWindow, &main);
    GetWindowRect(MenuBarWindow, &bar);
    EXPECT_EQ(52, MenuBarHeight);
    EXPECT_EQ(MenuBarHeight, bar.bottom - bar.top);
    EXPECT_EQ(480, main.right - main.left);
    EXPECT_EQ(640, bar.bottom - main.top); // window and bar make the device's screen
    EXPECT_EQ(main.bottom, bar.top);
    EXPECT_EQ(main.left, bar.left);
    EXPECT_EQ(main.right, bar.right);
    RECT client;
    GetClientRect(MainWindow, &client);
    EXPECT_EQ(client.right, ClientWidth);
    EXPECT_EQ(client.bottom, ClientHeight);
    EXPECT_EQ(2, LayoutMode);
    EXPECT_NE(nullptr, ToolBarWindow);
    EXPECT_NE(nullptr, LineBarWindow);
    EXPECT_NE(nullptr, PaletteWindow);
    EXPECT_NE(nullptr, ViewWindow);
    EXPECT_EQ(nullptr, ImageWindows[0]);
    EXPECT_EQ(1, NoCanvas);
    ExpectRect(ViewWindow, PaletteWidth + 8, 4, ViewWidth, ViewHeight, "view window");
}

TEST_F(EditorWindow, BarMovesWithTheWindowAndTurnsWithTheDevice) {
    RECT main, bar;
    GetWindowRect(MainWindow, &main);
    MoveWindow(MainWindow, main.left - 30, main.top + 20, main.right - main.left,
               main.bottom - main.top, TRUE);
    GetWindowRect(MainWindow, &main);
    GetWindowRect(MenuBarWindow, &bar);
    EXPECT_EQ(main.bottom, bar.top);
    EXPECT_EQ(main.left, bar.left);

    SHSetDeviceOrientation(1);
    GetWindowRect(MainWindow, &main);
    GetWindowRect(MenuBarWindow, &bar);
    EXPECT_EQ(640, main.right - main.left);
    EXPECT_EQ(480, bar.bottom - main.top);
    EXPECT_EQ(main.bottom, bar.top);
    EXPECT_EQ(1, LayoutMode) << "a landscape screen gets the wide layout";

    RECT rotate;
    ASSERT_TRUE(SendMessageW(MenuBarWindow, SKBM_GETROTATERECT, 0, (LPARAM)&rotate));
    StylusDown(MenuBarWindow, rotate.left + 2, rotate.top + 2);
    StylusUp(MenuBarWindow, rotate.left + 2, rotate.top + 2);
    EXPECT_EQ(0, SHGetDeviceOrientation());
    GetWindowRect(MainWindow, &main);
    EXPECT_EQ(480, main.right - main.left);
    EXPECT_EQ(2, LayoutMode);
}

TEST_F(EditorWindow, SoftKeysAreFileOnTheLeftAndMenuOnTheRight) {
    RECT file, menu, main;
    ASSERT_TRUE(SoftKeyScreenRect(MainWindow, L"File", &file));
    ASSERT_TRUE(SoftKeyScreenRect(MainWindow, L"Menu", &menu));
    GetWindowRect(MainWindow, &main);
    EXPECT_EQ(main.left, file.left);
    EXPECT_LT(file.right, menu.left);
    EXPECT_EQ(main.right, menu.right);
    EXPECT_EQ(main.bottom, file.top);
    EXPECT_EQ(2, SendMessageW(MenuBarWindow, SKBM_GETKEYCOUNT, 0, 0));
}

TEST_F(EditorWindow, MenuItemsReachTheMainWindowThroughTheBar) {
    MakeRecordingCanvas();
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Display", L"Delete Mesh"}));
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Display", L"Draw Mesh"}));
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"File", L"S&ave As"}));
    // The second "S&ave As" of the File pop-up is the bitmap one.
    EXPECT_TRUE(ChooseMenuCommand(MainWindow, L"File", CMD_SAVE_BITMAP));
    EXPECT_EQ((std::vector<int>{CMD_MESH_OFF, CMD_MESH_ON, CMD_SAVE_ICON, CMD_SAVE_BITMAP}),
              CanvasCommands);

    CheckMenuItem(MainMenu, CMD_TRANSPARENCY, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_TRUE(MenuItemChecked(MainWindow, {L"Menu", L"&Canvas", L"Opaque/Transparency"}));
    CheckMenuItem(MainMenu, CMD_TRANSPARENCY, MF_BYCOMMAND | MF_UNCHECKED);
    EXPECT_FALSE(MenuItemChecked(MainWindow, {L"Menu", L"&Canvas", L"Opaque/Transparency"}));
}

// Stand-ins for the optional windows, which the layout places like the real ones.
static void MakeOptionalWindows() {
    HWND* slots[] = {&TransparentToolWindow, &ImageWindows[1], &ImageWindows[2]};
    for (HWND* slot : slots)
        *slot = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 0, 0, MainWindow, nullptr,
                                nullptr, nullptr);
}

static void DestroyOptionalWindows() {
    for (HWND window : {TransparentToolWindow, ImageWindows[1], ImageWindows[2]})
        DestroyWindow(window);
}

struct LayoutValues {
    int palette, wideMin, mode, viewWidth, viewHeight;
};

static void LayOutAndCheck(int w, int h, const LayoutValues& expected) {
    SendMessageW(MainWindow, WM_SIZE, 0, MAKELPARAM(w, h));
    EXPECT_EQ(w, ClientWidth);
    EXPECT_EQ(h, ClientHeight);
    EXPECT_EQ(expected.palette, PaletteWidth);
    EXPECT_EQ(expected.wideMin, WideLayoutMinWidth);
    EXPECT_EQ(expected.mode, LayoutMode);
    EXPECT_EQ(expected.viewWidth, ViewWidth);
    EXPECT_EQ(expected.viewHeight, ViewHeight);
}

// The layout rule, with P the palette width and W x H the client area:
//   P = ((H - 8) / 17) * 3 + 1 (the division truncates); the wide layout from W >= P + 411.
//   child (x, y, width, height)  wide                          narrow
//   tool bar                     P + 8, H - 38, 187, 32        P + 8, H - 72, 187, 32
//   line bar                     P + 203, H - 38, 81, 32       P + 8, H - 38, 81, 32
//   opaque/transparent tool      P + 286, H - 38, 63, 32       P + 91, H - 38, 63, 32
//   palette bar                  4, 4, P, H - 8                4, 4, P, H - 8
//   view window                  P + 8, 4, W - P - 12, H - 40  P + 8, 4, W - P - 12, H - 80
//   full-size monitor            W - 40, H - 38, 34, 34        W - 40, H - 38, 34, 34
//   half-size monitor            W - 60, H - 38, 18, 18        W - 20, H - 72, 18, 18
// The narrow layout fits (every child inside the client area, the view not negative) while the
// tool bar ends inside, W >= P + 195, and H >= 80; its smallest such size is 208 x 80 (P = 13).
// Every value below is worked out by hand from these rules.
struct Box {
    int x, y, w, h;
};

struct LayoutCase {
    const char* what;
    int w, h, palette, wideMin, mode, viewWidth, viewHeight;
    Box tool, line, opacity, paletteBar, view, full, half;
};

static const LayoutCase LayoutCases[] = {
    {"a handheld's portrait client area; the tool bar ends 1 pixel outside", 240, 268, 46, 457, 2,
     182, 188, Box(54, 196, 187, 32), Box(54, 230, 81, 32), Box(137, 230, 63, 32),
     Box(4, 4, 46, 260), Box(54, 4, 182, 188), Box(200, 230, 34, 34), Box(220, 196, 18, 18)},
    {"landscape", 640, 428, 73, 484, 1, 555, 388, Box(81, 390, 187, 32), Box(276, 390, 81, 32),
     Box(359, 390, 63, 32), Box(4, 4, 73, 420), Box(81, 4, 555, 388), Box(600, 390, 34, 34),
     Box(580, 390, 18, 18)},
    {"one pixel short of the wide layout", 483, 428, 73, 484, 2, 398, 348, Box(81, 356, 187, 32),
     Box(81, 390, 81, 32), Box(164, 390, 63, 32), Box(4, 4, 73, 420), Box(81, 4, 398, 348),
     Box(443, 390, 34, 34), Box(463, 356, 18, 18)},
    {"the first wide width", 484, 428, 73, 484, 1, 399, 388, Box(81, 390, 187, 32),
     Box(276, 390, 81, 32), Box(359, 390, 63, 32), Box(4, 4, 73, 420), Box(81, 4, 399, 388),
     Box(444, 390, 34, 34), Box(424, 390, 18, 18)},
    {"one pixel into the wide layout", 485, 428, 73, 484, 1, 400, 388, Box(81, 390, 187, 32),
     Box(276, 390, 81, 32), Box(359, 390, 63, 32), Box(4, 4, 73, 420), Box(81, 4, 400, 388),
     Box(445, 390, 34, 34), Box(425, 390, 18, 18)},
    {"the narrow minimum", 208, 80, 13, 424, 2, 183, 0, Box(21, 8, 187, 32), Box(21, 42, 81, 32),
     Box(104, 42, 63, 32), Box(4, 4, 13, 72), Box(21, 4, 183, 0), Box(168, 42, 34, 34),
     Box(188, 8, 18, 18)},
    {"the tool bar one pixel past the right edge", 207, 80, 13, 424, 2, 182, 0, Box(21, 8, 187, 32),
     Box(21, 42, 81, 32), Box(104, 42, 63, 32), Box(4, 4, 13, 72), Box(21, 4, 182, 0),
     Box(167, 42, 34, 34), Box(187, 8, 18, 18)},
    {"one pixel above the narrow minimum each way", 209, 81, 13, 424, 2, 184, 1,
     Box(21, 9, 187, 32), Box(21, 43, 81, 32), Box(104, 43, 63, 32), Box(4, 4, 13, 73),
     Box(21, 4, 184, 1), Box(169, 43, 34, 34), Box(189, 9, 18, 18)},
    {"a view of height -1, which the window makes empty", 208, 79, 13, 424, 2, 183, -1,
     Box(21, 7, 187, 32), Box(21, 41, 81, 32), Box(104, 41, 63, 32), Box(4, 4, 13, 71),
     Box(21, 4, 183, 0), Box(168, 41, 34, 34), Box(188, 7, 18, 18)},
};

TEST_F(EditorWindow, LayoutPlacesEveryChildByTheRule) {
    MakeRecordingCanvas();
    MakeOptionalWindows();
    for (const LayoutCase& c : LayoutCases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << ", " << c.what);
        LayOutAndCheck(c.w, c.h, {c.palette, c.wideMin, c.mode, c.viewWidth, c.viewHeight});
        const struct {
            HWND window;
            Box box;
            const char* name;
        } places[] = {
            {ToolBarWindow, c.tool, "tool bar"},
            {LineBarWindow, c.line, "line bar"},
            {TransparentToolWindow, c.opacity, "opaque/transparent tool"},
            {PaletteWindow, c.paletteBar, "palette bar"},
            {ViewWindow, c.view, "view window"},
            {ImageWindows[1], c.full, "full-size monitor"},
            {ImageWindows[2], c.half, "half-size monitor"},
            {ImageWindows[0], {-1, -1, 322, 322}, "canvas, 32 pixels at scale 10"},
        };
        for (const auto& p : places)
            ExpectRect(p.window, p.box.x, p.box.y, p.box.w, p.box.h, p.name);
    }

    // A 16-pixel-wide image has no full-size monitor place: the window stays where it was.
    SendMessageW(MainWindow, WM_SIZE, 0, MAKELPARAM(240, 268));
    CanvasWidth = 16;
    SendMessageW(MainWindow, WM_SIZE, 0, MAKELPARAM(300, 268));
    ExpectRect(ImageWindows[1], 200, 230, 34, 34, "full-size monitor, 16 pixels");
    ExpectRect(ImageWindows[2], 280, 196, 18, 18, "half-size monitor, 16 pixels");
    DestroyOptionalWindows();
}

TEST_F(EditorWindow, SecondStartBringsTheFirstWindowForwardAndEndsWithZero) {
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    HWND first = MainWindow;
    EXPECT_EQ(0, StartEditor(GetModuleHandleW(nullptr), nullptr, SW_SHOW));
    EXPECT_EQ(first, MainWindow);
    EXPECT_EQ(MainWindow, GetForegroundWindow());
    DestroyWindow(other);
}

// A second start hands its file over: opened as the command line's is, but only once no box
// of the editor is up; data that is not a whole, ended name is refused and changes nothing.
TEST_F(EditorWindow, AFileHandedOverOpensOnceNoBoxIsUpAndOddDataIsRefused) {
    std::wstring folder = MakeTestFolder(L"handed-over");
    std::wstring path = folder + L"\\handed.bmp";
    std::vector<BYTE> bitmap(14 + 40 + 64 + 16 * 8, 0); // 16 x 16, 4 bits, all colour 0
    BYTE head[] = {'B', 'M'};
    std::copy(head, head + 2, bitmap.begin());
    DWORD size = (DWORD)bitmap.size(), offset = 14 + 40 + 64, header = 40, side = 16;
    memcpy(&bitmap[2], &size, 4);
    memcpy(&bitmap[10], &offset, 4);
    memcpy(&bitmap[14], &header, 4);
    memcpy(&bitmap[18], &side, 4);
    memcpy(&bitmap[22], &side, 4);
    bitmap[26] = 1;
    bitmap[28] = 4;
    ASSERT_TRUE(WriteWholeFile(path, bitmap));

    auto send = [](DWORD_PTR tag, const void* data, DWORD bytes) {
        COPYDATASTRUCT copy = {tag, bytes, (void*)data};
        return SendMessageW(MainWindow, WM_COPYDATA, 0, (LPARAM)&copy);
    };
    const wchar_t unended[] = {L'a', L'b'};
    std::wstring tooLong(PATH_CHARS + 1, L'a');
    EXPECT_FALSE(send(HANDED_FILE_TAG + 1, path.c_str(), (DWORD)(path.size() + 1) * 2)) << "tag";
    EXPECT_FALSE(send(HANDED_FILE_TAG, path.c_str(), (DWORD)(path.size() + 1) * 2 - 1)) << "odd";
    EXPECT_FALSE(send(HANDED_FILE_TAG, unended, sizeof unended)) << "no end";
    EXPECT_FALSE(send(HANDED_FILE_TAG, tooLong.c_str(), (DWORD)(tooLong.size() + 1) * 2));
    EXPECT_FALSE(send(HANDED_FILE_TAG, nullptr, 8)) << "no data";
    PumpMessages();
    EXPECT_EQ(nullptr, ImageWindows[0]);

    EnableWindow(MainWindow, FALSE); // as while a box is up
    HandOverToRunningEditor(MainWindow, (L"\"" + path + L"\"").c_str());
    PumpMessages();
    EXPECT_EQ(nullptr, ImageWindows[0]) << "opened under a box";
    EnableWindow(MainWindow, TRUE);
    PumpMessages();
    ASSERT_NE(nullptr, ImageWindows[0]) << "never opened";
    EXPECT_EQ(16, CanvasWidth);
    EXPECT_EQ(16, CanvasHeight);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

namespace {

std::wstring ProgramFile() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    for (int up = 0; up < 3; up++) // build\tests\shell\shell_tests.exe -> build
        path = path.substr(0, path.rfind(L'\\'));
    return path + L"\\editor\\Pixmora.exe";
}

// Starts the program file, runs whileRunning (with this thread's messages dispatched
// meanwhile) and waits up to 30 seconds for the program's end; its exit code, or 99.
DWORD RunProgram(const std::function<void(HANDLE)>& whileRunning,
                 const std::wstring& arguments = L"") {
    std::wstring program = ProgramFile();
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "could not start the program file";
        return 99;
    }
    whileRunning(process.hProcess);
    DWORD waited = WAIT_TIMEOUT;
    for (int i = 0; i < 300 && waited != WAIT_OBJECT_0; i++) {
        waited = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT);
        PumpMessages();
    }
    DWORD code = 99;
    if (waited == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

} // namespace

TEST_F(EditorWindow, SecondProgramStartEndsWithZero) {
    EXPECT_EQ(0u, RunProgram([](HANDLE) {}));
    EXPECT_TRUE(IsWindow(MainWindow));
}

// The program on its own: its window and soft-key bar come up, and Exit ends it with 0.
TEST(ProgramFile, StartsWithItsBarAndExitEndsItWithZero) {
    HWND main = nullptr, bar = nullptr;
    RECT mainRect = {}, barRect = {};
    DWORD code = RunProgram([&](HANDLE process) {
        // Start-up is done once the window has been shortened to end above the bar.
        for (int i = 0; i < 200 && !(bar && mainRect.bottom == barRect.top); i++) {
            WaitForSingleObject(process, 50);
            main = FindWindowW(L"Mosaro", L"Pixmora");
            bar = FindWindowW(L"menu_worker", nullptr);
            GetWindowRect(main, &mainRect);
            GetWindowRect(bar, &barRect);
        }
        ASSERT_NE(nullptr, main);
        ASSERT_NE(nullptr, bar);
        EXPECT_EQ(main, GetWindow(bar, GW_OWNER));
        EXPECT_TRUE(IsWindowVisible(bar));
        EXPECT_EQ(480, mainRect.right - mainRect.left);
        EXPECT_EQ(mainRect.bottom, barRect.top);
        EXPECT_EQ(640, barRect.bottom - mainRect.top);
        PostMessageW(main, WM_COMMAND, CMD_EXIT, 0);
    });
    EXPECT_EQ(0u, code);
    EXPECT_EQ(nullptr, FindWindowW(L"Mosaro", L"Pixmora"));
}

TEST_F(EditorWindow, TheCanvasFitsTheWideViewUntilAScaleChangeWidensItsScrollRange) {
    MakeRecordingCanvas();
    // The 322-pixel canvas fits the view, so offsets left from before are pulled back to 0.
    ViewScrollX = 5;
    ViewScrollY = 7;
    LayOutAndCheck(640, 428, {73, 484, 1, 555, 388});
    ExpectRect(ImageWindows[0], -1, -1, 322, 322, "canvas");
    EXPECT_EQ(0, ViewScrollX);
    EXPECT_EQ(0, ViewScrollY);
    SCROLLINFO info = {sizeof info, SIF_RANGE};
    GetScrollInfo(ViewWindow, SB_HORZ, &info);
    EXPECT_EQ(0, info.nMax) << "a 320-pixel image fits the view at scale 10";

    // The view keeps its size, so only the layout pass can tell it of the new extent.
    Scale = 20;
    LayOutAgain(MainWindow);
    RECT client; // the scroll bars now show and take their room from the client area
    GetClientRect(ViewWindow, &client);
    GetScrollInfo(ViewWindow, SB_HORZ, &info);
    EXPECT_EQ(32 * 20 + 1 - client.right, info.nMax);
    GetScrollInfo(ViewWindow, SB_VERT, &info);
    EXPECT_EQ(32 * 20 + 1 - client.bottom, info.nMax);
    Scale = 10;
    LayOutAgain(MainWindow);
}

// On a desktop the simulated screen is a window like others: dragged wider it takes the wide
// layout, narrower the narrow one, never narrower than that layout fits; maximised it leaves
// the bottom of the work area to the soft-key bar, which follows the window throughout.
TEST_F(EditorWindow, ResizedScreenCrossesTheLayoutRuleAndKeepsTheBarBelow) {
    const LONG style = GetWindowLongW(MainWindow, GWL_STYLE);
    EXPECT_EQ(WS_THICKFRAME | WS_MAXIMIZEBOX, style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    auto expectBarBelow = [](const char* when) {
        RECT main, bar;
        GetWindowRect(MainWindow, &main);
        GetWindowRect(MenuBarWindow, &bar);
        EXPECT_EQ(main.bottom, bar.top) << when;
        EXPECT_EQ(main.left, bar.left) << when;
        EXPECT_EQ(main.right, bar.right) << when;
        EXPECT_EQ(MenuBarHeight, bar.bottom - bar.top) << when;
    };
    auto sizeClient = [](int width, int height) {
        RECT frame = {0, 0, width, height};
        AdjustWindowRectEx(&frame, GetWindowLongW(MainWindow, GWL_STYLE), FALSE, 0);
        SetWindowPos(MainWindow, nullptr, 20, 10, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
        PumpMessages();
    };
    // Made wider, the bar is drawn anew as a whole: its keys are spread over its width, and
    // a desktop's window system keeps the old picture where only the new strip is drawn.
    UpdateWindow(MenuBarWindow);
    RECT before, stale, barClient;
    GetWindowRect(MainWindow, &before);
    SetWindowPos(MainWindow, nullptr, 0, 0, before.right - before.left + 100,
                 before.bottom - before.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(MenuBarWindow, &barClient);
    EXPECT_TRUE(GetUpdateRect(MenuBarWindow, &stale, FALSE) && EqualRect(&stale, &barClient));
    MakeRecordingCanvas();
    sizeClient(700, 500);
    EXPECT_EQ(700, ClientWidth);
    EXPECT_EQ(1, LayoutMode);
    const int p = PaletteWidth;
    ExpectRect(ToolBarWindow, p + 8, 500 - 38, 187, 32, "wide: tool bar");
    ExpectRect(LineBarWindow, p + 203, 500 - 38, 81, 32, "wide: line bar");
    ExpectRect(ViewWindow, p + 8, 4, 700 - p - 12, 500 - 40, "wide: view");
    expectBarBelow("wide");

    sizeClient(WideLayoutMinWidth - 1, 500);
    EXPECT_EQ(2, LayoutMode);
    ExpectRect(ToolBarWindow, p + 8, 500 - 72, 187, 32, "narrow: tool bar");
    ExpectRect(LineBarWindow, p + 8, 500 - 38, 81, 32, "narrow: line bar");
    ExpectRect(ViewWindow, p + 8, 4, WideLayoutMinWidth - 1 - p - 12, 500 - 80, "narrow: view");
    expectBarBelow("narrow");

    // The frame goes down to the smallest handheld's screen, upright (240 x 268) and turned
    // (320 x 188), where the layout is the handheld's own.
    MINMAXINFO limits = {};
    SendMessageW(MainWindow, WM_GETMINMAXINFO, 0, (LPARAM)&limits);
    RECT smallest = {0, 0, 240, 188};
    AdjustWindowRectEx(&smallest, GetWindowLongW(MainWindow, GWL_STYLE), FALSE, 0);
    EXPECT_EQ(smallest.right - smallest.left, limits.ptMinTrackSize.x);
    EXPECT_EQ(smallest.bottom - smallest.top, limits.ptMinTrackSize.y);
    const struct { int w, h, palette; } smallScreens[] = {{240, 268, 46}, {320, 188, 31}};
    for (const auto& screen : smallScreens) {
        const int w = screen.w, h = screen.h, p = screen.palette;
        sizeClient(w, h);
        ExpectRect(ToolBarWindow, p + 8, h - 72, 187, 32, "smallest: tool bar");
        ExpectRect(LineBarWindow, p + 8, h - 38, 81, 32, "smallest: line bar");
        ExpectRect(PaletteWindow, 4, 4, p, h - 8, "smallest: palette");
        ExpectRect(ViewWindow, p + 8, 4, w - p - 12, h - 80, "smallest: view");
        expectBarBelow("smallest");
    }

    ShowWindow(MainWindow, SW_MAXIMIZE);
    PumpMessages();
    MONITORINFO monitor = {sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(MainWindow, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT bar;
    GetWindowRect(MenuBarWindow, &bar);
    EXPECT_EQ(monitor.rcWork.bottom, bar.bottom) << "maximised, the bar ends the work area";
    expectBarBelow("maximised");
    EXPECT_EQ(1, LayoutMode);
    // A window manager maximises to the whole work area: the bar stays on it, and the
    // editor's client area ends where the bar begins.
    const RECT& work = monitor.rcWork;
    SetWindowPos(MainWindow, nullptr, work.left, work.top, work.right - work.left,
                 work.bottom - work.top, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
    GetWindowRect(MenuBarWindow, &bar);
    RECT client;
    GetClientRect(MainWindow, &client);
    MapWindowPoints(MainWindow, nullptr, (POINT*)&client, 2);
    EXPECT_EQ(work.bottom, bar.bottom) << "the whole bar on the work area";
    EXPECT_EQ(client.bottom, bar.top);
    EXPECT_EQ(client.bottom - client.top, ClientHeight) << "laid out above the bar";

    // Turning the device gives the window its screen again, as on the handheld.
    SHSetDeviceOrientation(1);
    EXPECT_FALSE(IsZoomed(MainWindow));
    RECT main;
    GetWindowRect(MainWindow, &main);
    GetWindowRect(MenuBarWindow, &bar);
    EXPECT_EQ(640, main.right - main.left);
    EXPECT_EQ(480, bar.bottom - main.top);
    expectBarBelow("turned");

    ShowWindow(MainWindow, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(MenuBarWindow));
    ShowWindow(MainWindow, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(MenuBarWindow));
}

// The program's own command line: a file whose name the ANSI code page cannot hold opens
// once the window is up (the canvas takes its 32 x 32 image at scale 10).
TEST(ProgramFile, OpensTheFileItsCommandLineNames) {
    std::wstring folder = MakeTestFolder(L"pixmora-command-line");
    std::wstring path = folder + L"\\\u7d75 \u30a2\u30a4\u30b3\u30f3.ico";
    // A 32 x 32 4-bit icon, all pixels colour 0, all opaque.
    std::vector<BYTE> icon(6 + 16 + 40 + 64 + 512 + 128, 0);
    BYTE head[] = {0, 0, 1, 0, 1, 0, 32, 32, 16, 0, 1, 0, 4, 0};
    std::copy(head, head + sizeof head, icon.begin());
    DWORD bytes = 40 + 64 + 512 + 128, offset = 22, header = 40, height = 64;
    memcpy(&icon[14], &bytes, 4);
    memcpy(&icon[18], &offset, 4);
    memcpy(&icon[22], &header, 4);
    icon[26] = 32;
    memcpy(&icon[30], &height, 4);
    icon[34] = 1;
    icon[36] = 4;
    ASSERT_TRUE(WriteWholeFile(path, icon));
    RECT canvas = {};
    DWORD code = RunProgram(
        [&](HANDLE process) {
            // The canvas is made at no size and placed by the layout pass that follows, in
            // the program's own time: wait for both.
            HWND main = nullptr, shown = nullptr;
            for (int i = 0; i < 200 && canvas.right == 0; i++) {
                WaitForSingleObject(process, 50);
                main = FindWindowW(L"Mosaro", L"Pixmora");
                HWND view = FindWindowExW(main, nullptr, L"View Window", nullptr);
                shown = view ? FindWindowExW(view, nullptr, L"Canvas", nullptr) : nullptr;
                if (shown) GetClientRect(shown, &canvas);
            }
            ASSERT_NE(nullptr, shown) << "no canvas: the file was not opened";
            PostMessageW(main, WM_COMMAND, CMD_EXIT, 0);
        },
        L"\"" + path + L"\"");
    EXPECT_EQ(0u, code);
    EXPECT_EQ(320, canvas.right);
    EXPECT_EQ(320, canvas.bottom);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}
