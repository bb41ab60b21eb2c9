// The line bar: the line widths as black bars, each as wide as a line of that width shows
// on the magnified canvas; a tap chooses the width.
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

#define LINE_WIDTH_COUNT 8
#define LINE_BAR_BUDGET 80 // the bar's usable width

static const int LineWidths[LINE_WIDTH_COUNT] = {1, 2, 3, 4, 5, 7, 9, 12};

// A bar's width on screen. Kept within the bar's budget so that an absurd scale cannot
// overflow the sums below.
static int BarPixels(int width) {
    long long pixels = (long long)width * Scale;
    return pixels > LINE_BAR_BUDGET ? LINE_BAR_BUDGET + 1 : (int)pixels;
}

// Two small triangles above and below the bar centred on x, pointing at it.
static void DrawWidthMarks(HDC dc, int centre) {
    for (int p = 3; p >= 0; p--) {
        int step = 3 - p;
        MoveToEx(dc, centre - p, step, nullptr);
        LineTo(dc, centre + p, step);
        MoveToEx(dc, centre - p, 29 - step, nullptr);
        LineTo(dc, centre + p, 29 - step);
    }
}

static LRESULT LineBarPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return 0;
    int x = 4;
    for (int width : LineWidths) {
        int bar = BarPixels(width);
        if (x + bar + 4 > LINE_BAR_BUDGET) break;
        RECT r = {x, 5, x + bar, 25};
        FillRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
        if (width == LineWidth) DrawWidthMarks(dc, x + bar / 2);
        x += bar + 4;
    }
    EndPaint(window, &paint);
    return 0;
}

// Each bar's tap zone reaches two pixels beyond it on either side.
static LRESULT LineBarTap(HWND window, LPARAM position) {
    int x = LOWORD(position);
    int start = 2;
    for (int width : LineWidths) {
        int end = start + BarPixels(width) + 4;
        if (end > LINE_BAR_BUDGET) break;
        if (start <= x && x < end) {
            LineWidth = width;
            InvalidateRect(window, nullptr, TRUE);
            break;
        }
        start = end;
    }
    return 0;
}

LRESULT CALLBACK LineBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_SIZE: return 0;
    case WM_PAINT: return LineBarPaint(window);
    case WM_LBUTTONDOWN: return LineBarTap(window, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
