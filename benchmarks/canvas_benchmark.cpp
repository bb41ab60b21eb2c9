// Times how long the canvas takes to handle one stylus move with each tool, with the mesh
// on and both monitors open, plain and masked, for a 32 x 32 image and a 1024 x 1024 one
// scrolled inside a 480 x 600 view. Prints the median and the 99th percentile.
// Run: scripts/wine-run build/wineprefix build/benchmarks/canvas_benchmark.exe
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#define MOVES_PER_TOOL 600
#define VIEW_WIDTH 480
#define VIEW_HEIGHT 600

static const char* ToolNames[TOOL_COUNT] = {"pen",     "rectangle",      "filled rectangle",
                                            "ellipse", "filled ellipse", "rectangle copy"};

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

static double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * (double)(to.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

struct Host {
    HWND main;
    HWND view;
    HWND canvas;
};

// The windows as the editor lays them out: the view and the monitors in a main window, the
// canvas in the view, scrolled by (scrollX, scrollY).
static Host OpenHost(int size, int scrollX, int scrollY) {
    Host h = {};
    CanvasWidth = CanvasHeight = size;
    SizeChosen = 1;
    ImagePending = 0;
    DiscardImage();
    h.main = CreateWindowW(L"BenchHost", L"", WS_POPUP | WS_VISIBLE, 0, 0, VIEW_WIDTH + 60,
                           VIEW_HEIGHT + 10, nullptr, nullptr, AppInstance, nullptr);
    h.view = CreateWindowW(L"BenchHost", L"", WS_CHILD | WS_VISIBLE, 0, 0, VIEW_WIDTH, VIEW_HEIGHT,
                           h.main, nullptr, AppInstance, nullptr);
    h.canvas =
        CreateWindowW(L"Canvas", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, -1 - scrollX, -1 - scrollY,
                      size * Scale + 2, size * Scale + 2, h.view, nullptr, AppInstance, nullptr);
    ImageWindows[0] = h.canvas;
    ImageWindows[1] =
        CreateWindowW(L"Monitor", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, VIEW_WIDTH + 4, 10, 36,
                      36, h.main, nullptr, AppInstance, (LPVOID)1);
    ImageWindows[2] =
        CreateWindowW(L"Monitor", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, VIEW_WIDTH + 4, 60, 20,
                      20, h.main, nullptr, AppInstance, (LPVOID)2);
    UpdateWindow(h.main);
    Pump();
    return h;
}

static void CloseHost(Host* h) {
    for (int i = 0; i < 3; i++)
        if (ImageWindows[i]) SendMessageW(ImageWindows[i], WM_CLOSE, 0, 0);
    ImageWindows[0] = nullptr;
    DestroyWindow(h->main);
    TransparencyMode = 0;
    Pump();
}

static void UseMask(HWND canvas) {
    CreateMask(canvas, 0); // replaces the mask of the case before
    TransparencyMode = 1;
    OpacityTool = 1;
}

static LPARAM Point(int x, int y) {
    return MAKELPARAM((short)x, (short)y);
}

// One stroke per tool: a press, MOVES_PER_TOOL timed moves along a circle inside the
// visible part of the canvas, a release.
static void TimeTools(const char* caseName, HWND canvas, int originX, int originY) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int tool = 0; tool < TOOL_COUNT; tool++) {
        CurrentTool = tool;
        int cx = originX + 150, cy = originY + 150;
        SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, Point(cx + 100, cy));
        std::vector<double> times;
        for (int i = 0; i < MOVES_PER_TOOL; i++) {
            double angle = 6.2831853 * i / 97.0;
            int x = cx + (int)(100 * std::cos(angle)), y = cy + (int)(100 * std::sin(angle));
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            SendMessageW(canvas, WM_MOUSEMOVE, MK_LBUTTON, Point(x, y));
            QueryPerformanceCounter(&end);
            times.push_back(Milliseconds(start, end, frequency));
        }
        SendMessageW(canvas, WM_LBUTTONUP, 0, Point(cx, cy));
        Pump();
        std::sort(times.begin(), times.end());
        printf("%-38s %-16s median %7.3f ms   p99 %7.3f ms\n", caseName, ToolNames[tool],
               times[times.size() / 2], times[times.size() * 99 / 100]);
        fflush(stdout);
    }
}

static void RunCase(const char* name, int size, int scroll, bool masked) {
    Host h = OpenHost(size, scroll, scroll);
    if (!ImageBitmap) {
        printf("%s: no image (the image store made none)\n", name);
        CloseHost(&h);
        return;
    }
    if (masked) UseMask(h.canvas);
    RedrawWindow(h.main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    TimeTools(name, h.canvas, scroll, scroll);
    CloseHost(&h);
}

int main() {
    AppInstance = GetModuleHandleW(nullptr);
    RegisterEditorClasses(AppInstance);
    InitPalette();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = AppInstance;
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = L"BenchHost";
    RegisterClassW(&wc);
    // Keep the cursor off the windows: Wine's ReleaseCapture moves the mouse to it.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Scale = 10;
    MeshOn = 1;
    LineWidth = 1;
    LineColor = RGB(255, 0, 0);
    FillColor = RGB(0, 0, 255);
    RunCase("32x32 scale 10, plain", 32, 0, false);
    RunCase("32x32 scale 10, masked", 32, 0, true);
    RunCase("1024x1024 scale 10 in 480x600, plain", 1024, 4000, false);
    RunCase("1024x1024 scale 10 in 480x600, masked", 1024, 4000, true);
    return 0;
}
