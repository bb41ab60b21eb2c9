// Times how long the canvas takes to handle one stylus move with each tool, with the mesh on
// and both monitors open, plain and masked, for a 32 x 32 image and a 1024 x 1024 one scrolled
// inside a 480 x 600 view; and, in the same run, the floor: drawing the visible canvas once
// (one StretchDIBits), its mesh (one PolyPolyline) and both monitors straight into their
// device contexts. Every case runs twice: with the machine's other core idle, and with a
// thread spinning to keep it busy. Prints medians and 99th percentiles in milliseconds and as
// ratios of the floor, and whether the targets hold. Then, against the same floor, a fill of
// the whole picture of a 256 x 256 image of 32 bits and a 1024 x 1024 one of 4 bits.
// Run: scripts/wine-run build/wineprefix build/benchmarks/canvas_benchmark.exe
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#define MOVES_PER_TOOL 600
#define FLOOR_RUNS 600
// Every case runs this many times, the cases in turn, and the times of all runs are pooled:
// a change of the machine's load during a run then weighs on every case alike.
#define ROUNDS 3
#define VIEW_WIDTH 480
#define VIEW_HEIGHT 600

// The targets: a move's median against the floor at 32 x 32, the large image's median against
// the small one's, a move's 99th percentile against the floor's median.
#define SMALL_MEDIAN_TARGET 0.3
#define LARGE_MEDIAN_TARGET 1.2
#define P99_TARGET 1.5

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

static double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * (double)count.QuadPart / (double)frequency.QuadPart;
}

struct Stats {
    double median, p99;
};

typedef std::vector<double> Times;

static Stats Summarise(Times times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 99 / 100]};
}

// ---- The other core ----------------------------------------------------------------------
static volatile LONG Spinning;

static DWORD WINAPI Spin(void*) {
    while (Spinning) {
    }
    return 0;
}

static HANDLE StartSpinner() {
    Spinning = 1;
    return CreateThread(nullptr, 0, Spin, nullptr, 0, nullptr);
}

static void StopSpinner(HANDLE thread) {
    Spinning = 0;
    if (!thread) return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

// ---- The windows ---------------------------------------------------------------------------
struct Host {
    HWND main;
    HWND view;
    HWND canvas;
};

// The windows as the editor lays them out: the view and the monitors in a main window, the
// canvas in the view, scrolled by (scroll, scroll).
static Host OpenHost(int size, int scroll) {
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
        CreateWindowW(L"Canvas", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, -1 - scroll, -1 - scroll,
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

// ---- The floor -------------------------------------------------------------------------------
// The part of the image a window shows at `scale` pixels per image pixel (magnified) or one in
// `divisor` (reduced).
static RECT ShownPixels(HDC dc, int scale, int divisor) {
    RECT clip, image = {0, 0, CanvasWidth, CanvasHeight};
    GetClipBox(dc, &clip);
    RECT pixels = {clip.left * divisor / scale, clip.top * divisor / scale,
                   (clip.right * divisor + scale - 1) / scale,
                   (clip.bottom * divisor + scale - 1) / scale};
    IntersectRect(&pixels, &pixels, &image);
    return pixels;
}

static void Stretch(HDC dc, const RECT& src, int scale, int divisor) {
    int w = src.right - src.left, h = src.bottom - src.top;
    StretchDIBits(dc, src.left * scale / divisor, src.top * scale / divisor, w * scale / divisor,
                  h * scale / divisor, src.left, CanvasHeight - src.bottom, w, h, ImageBits,
                  ImageInfo, DIB_RGB_COLORS, SRCCOPY);
}

// One StretchDIBits of the visible canvas, its mesh in one PolyPolyline, and both monitors
// drawn straight into device contexts kept for the whole timing, as a stroke keeps them.
static void TimeFloor(const Host& h, Times* times) {
    HDC canvas = GetDC(h.canvas);
    HDC monitors[2] = {GetDC(ImageWindows[1]), GetDC(ImageWindows[2])};
    RECT cells = ShownPixels(canvas, Scale, 1);
    RECT shown[2] = {ShownPixels(monitors[0], 1, 1), ShownPixels(monitors[1], 1, 2)};
    std::vector<POINT> points;
    std::vector<DWORD> counts;
    for (int y = cells.top; y < cells.bottom && y < CanvasHeight - 1; y++) {
        points.push_back({cells.left * Scale, (y + 1) * Scale - 1});
        points.push_back({cells.right * Scale, (y + 1) * Scale - 1});
        counts.push_back(2);
    }
    for (int x = cells.left; x < cells.right && x < CanvasWidth - 1; x++) {
        points.push_back({(x + 1) * Scale - 1, cells.top * Scale});
        points.push_back({(x + 1) * Scale - 1, cells.bottom * Scale});
        counts.push_back(2);
    }
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x80, 0x80, 0x80));
    HGDIOBJ previous = SelectObject(canvas, pen);
    for (int i = 0; i < FLOOR_RUNS; i++) {
        double start = Now();
        Stretch(canvas, cells, Scale, 1);
        PolyPolyline(canvas, points.data(), counts.data(), (DWORD)counts.size());
        Stretch(monitors[0], shown[0], 1, 1);
        Stretch(monitors[1], shown[1], 1, 2);
        times->push_back(Now() - start);
    }
    SelectObject(canvas, previous);
    DeleteObject(pen);
    ReleaseDC(h.canvas, canvas);
    ReleaseDC(ImageWindows[1], monitors[0]);
    ReleaseDC(ImageWindows[2], monitors[1]);
}

// ---- The moves ---------------------------------------------------------------------------------
static LPARAM Point(int x, int y) {
    return MAKELPARAM((short)x, (short)y);
}

// One stroke: a press, MOVES_PER_TOOL timed moves along a circle inside the visible part of
// the canvas (97 moves a turn, so about a third of them stay in the cell before), a release.
static void TimeTool(HWND canvas, int tool, int origin, Times* times) {
    CurrentTool = tool;
    int cx = origin + 150, cy = origin + 150;
    SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, Point(cx + 100, cy));
    for (int i = 0; i < MOVES_PER_TOOL; i++) {
        double angle = 6.2831853 * i / 97.0;
        int x = cx + (int)(100 * std::cos(angle)), y = cy + (int)(100 * std::sin(angle));
        double start = Now();
        SendMessageW(canvas, WM_MOUSEMOVE, MK_LBUTTON, Point(x, y));
        times->push_back(Now() - start);
    }
    SendMessageW(canvas, WM_LBUTTONUP, 0, Point(cx, cy));
    Pump();
}

struct CaseTimes {
    Times floor;
    Times tools[TOOL_COUNT];
};

static void RunCase(int size, int scroll, bool masked, CaseTimes* times) {
    Host h = OpenHost(size, scroll);
    if (!ImageBitmap) {
        printf("%d x %d: no image (the image store made none)\n", size, size);
        CloseHost(&h);
        return;
    }
    if (masked) UseMask(h.canvas);
    RedrawWindow(h.main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    TimeFloor(h, &times->floor);
    for (int tool = 0; tool < TOOL_COUNT; tool++)
        TimeTool(h.canvas, tool, scroll, &times->tools[tool]);
    CloseHost(&h);
}

struct CaseResult {
    Stats floor;
    Stats tools[TOOL_COUNT];
};

static const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

static void RunLoad(const char* load) {
    // [size][masked]
    static CaseTimes times[2][2];
    const char* sizes[2] = {"32 x 32", "1024 x 1024 in 480 x 600"};
    for (int round = 0; round < ROUNDS; round++)
        for (int s = 0; s < 2; s++)
            for (int masked = 0; masked < 2; masked++)
                RunCase(s ? 1024 : 32, s ? 4000 : 0, masked, &times[s][masked]);
    CaseResult results[2][2] = {};
    for (int s = 0; s < 2; s++)
        for (int masked = 0; masked < 2; masked++) {
            CaseTimes& t = times[s][masked];
            if (t.floor.empty()) return;
            results[s][masked].floor = Summarise(t.floor);
            for (int tool = 0; tool < TOOL_COUNT; tool++)
                results[s][masked].tools[tool] = Summarise(t.tools[tool]);
            t = CaseTimes{};
        }
    printf("\nOther core %s. Floor (canvas, mesh and both monitors drawn once), median / p99:\n",
           load);
    for (int s = 0; s < 2; s++)
        printf("  %-26s %7.3f / %7.3f ms\n", sizes[s], results[s][0].floor.median,
               results[s][0].floor.p99);
    printf("  %-26s %-9s %-16s %8s %8s %8s %8s %9s\n", "case", "view", "tool", "median", "p99",
           "med/fl", "p99/fl", "vs 32x32");
    bool smallMet = true, largeMet = true, p99Met = true;
    double smallFloor = results[0][0].floor.median;
    for (int s = 0; s < 2; s++)
        for (int masked = 0; masked < 2; masked++)
            for (int tool = 0; tool < TOOL_COUNT; tool++) {
                const Stats& t = results[s][masked].tools[tool];
                double floor = results[s][0].floor.median;
                double small = results[0][masked].tools[tool].median;
                printf("  %-26s %-9s %-16s %8.4f %8.4f %8.3f %8.3f", sizes[s],
                       masked ? "masked" : "plain", ToolNames[tool], t.median, t.p99,
                       t.median / floor, t.p99 / floor);
                if (s)
                    printf(" %9.2f\n", t.median / small);
                else
                    printf("\n");
                if (!s) smallMet = smallMet && t.median <= SMALL_MEDIAN_TARGET * smallFloor;
                if (s) largeMet = largeMet && t.median <= LARGE_MEDIAN_TARGET * small;
                p99Met = p99Met && t.p99 <= P99_TARGET * floor;
            }
    printf("  Targets, other core %s: median <= %.1f x floor at 32 x 32: %s; 1024 x 1024 median "
           "<= %.1f x the 32 x 32 one: %s; p99 <= %.1f x floor median: %s\n",
           load, SMALL_MEDIAN_TARGET, Verdict(smallMet), LARGE_MEDIAN_TARGET, Verdict(largeMet),
           P99_TARGET, Verdict(p99Met));
    fflush(stdout);
}

// ---- The fill ----------------------------------------------------------------------------
// A fill of the whole picture, against the same floor (one repaint of what the canvas and
// the monitors show) timed in the same run: at most this many times it.
#define FILL_TARGET 1.0
#define FILLS_PER_CASE 40

// Fills of the whole picture, each in the other of two colours so that every fill changes
// every pixel. The press is timed from its send to its return: the undo snapshot, the fill,
// the repaint it asks for; the repaint itself then happens untimed.
static void TimeFills(HWND canvas, int origin, Times* times) {
    CurrentTool = TOOL_FILL;
    for (int i = 0; i < FILLS_PER_CASE; i++) {
        FillColor = i % 2 ? RGB(0, 0, 255) : RGB(255, 0, 0);
        double start = Now();
        SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, Point(origin + 5, origin + 5));
        times->push_back(Now() - start);
        SendMessageW(canvas, WM_LBUTTONUP, 0, Point(origin + 5, origin + 5));
        Pump();
    }
}

static const struct FillCase {
    const char* name;
    int size, bitCount, scroll;
} FillCases[] = {
    {"256 x 256, 32 bits", 256, 32, 0},
    {"1024 x 1024, 4 bits", 1024, 4, 4000},
};
#define FILL_CASES (int)(sizeof FillCases / sizeof FillCases[0])

static void RunFills(const char* load) {
    static Times floors[FILL_CASES], fills[FILL_CASES];
    for (int round = 0; round < ROUNDS; round++)
        for (int c = 0; c < FILL_CASES; c++) {
            ImageBitCount = FillCases[c].bitCount;
            Host h = OpenHost(FillCases[c].size, FillCases[c].scroll);
            ImageBitCount = 4;
            if (!ImageBitmap) {
                printf("%s: no image (the image store made none)\n", FillCases[c].name);
                CloseHost(&h);
                return;
            }
            RedrawWindow(h.main, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            TimeFloor(h, &floors[c]);
            TimeFills(h.canvas, FillCases[c].scroll, &fills[c]);
            CloseHost(&h);
        }
    printf("\nFill of the whole picture, other core %s, median / p99 ms and median / floor:\n",
           load);
    bool met = true;
    for (int c = 0; c < FILL_CASES; c++) {
        Stats floor = Summarise(floors[c]), fill = Summarise(fills[c]);
        printf("  %-22s floor %7.3f / %7.3f   fill %7.3f / %7.3f   %6.2f x floor\n",
               FillCases[c].name, floor.median, floor.p99, fill.median, fill.p99,
               fill.median / floor.median);
        met = met && fill.median <= FILL_TARGET * floor.median;
        floors[c].clear();
        fills[c].clear();
    }
    printf("  Target, other core %s: fill median <= %.1f x floor: %s\n", load, FILL_TARGET,
           Verdict(met));
    fflush(stdout);
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
    RunLoad("idle");
    RunFills("idle");
    HANDLE spinner = StartSpinner();
    RunLoad("busy (a thread spinning)");
    RunFills("busy (a thread spinning)");
    StopSpinner(spinner);
    return 0;
}
