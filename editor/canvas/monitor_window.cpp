// The monitors: the image at actual size (divisor 1) and at half size (divisor 2), kept in
// step with the canvas. A full paint goes through WM_PAINT; a stroke draws the pixels each
// move changed straight into the monitors' own device contexts, which it keeps from its
// first move to its release, so that a move costs no round trip to the window manager.
#include "canvas/canvas.h"
#include "base/editor_state.h"

int MonitorBackground[3];

static HDC LiveDC[3];
static HWND LiveWindow[3]; // the monitor LiveDC[i] belongs to

static int Divisor(HWND window) {
    return GetWindowLongW(window, 0) == 2 ? 2 : 1;
}

// What a monitor shows behind transparent pixels: its class background (the window colour),
// white, black, or a checkerboard of 4-pixel squares, white and light grey, laid from the
// window's corner so that a part drawn alone matches the whole.
#define CHECKER 4
static void EraseMonitor(HWND window, HDC dc, const RECT* area) {
    int d = Divisor(window);
    switch (MonitorBackground[d]) {
    case MONITOR_WHITE: FillRect(dc, area, (HBRUSH)GetStockObject(WHITE_BRUSH)); return;
    case MONITOR_BLACK: FillRect(dc, area, (HBRUSH)GetStockObject(BLACK_BRUSH)); return;
    case MONITOR_CHECKERBOARD: {
        FillRect(dc, area, (HBRUSH)GetStockObject(WHITE_BRUSH));
        HBRUSH grey = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
        for (int y = area->top / CHECKER * CHECKER; y < area->bottom; y += CHECKER)
            for (int x = area->left / CHECKER * CHECKER; x < area->right; x += CHECKER) {
                if (((x + y) / CHECKER & 1) == 0) continue;
                RECT square = {x, y, x + CHECKER, y + CHECKER}, part;
                if (IntersectRect(&part, &square, area)) FillRect(dc, &part, grey);
            }
        return;
    }
    default: FillRect(dc, area, (HBRUSH)GetClassLongPtrW(window, GCLP_HBRBACKGROUND));
    }
}

// A reduced part of one row or column comes out unlike the same pixels of the whole
// reduction when a raster operation combines it with the screen (the masked view): parts
// are grown to two pixels each way, inside `area`.
static void GrowToTwo(LONG* low, LONG* high, LONG areaLow, LONG areaHigh) {
    if (*high - *low >= 2) return;
    if (*high < areaHigh)
        (*high)++;
    else if (*low > areaLow)
        (*low)--;
}

// Draws the monitor's picture of the image pixels `cells` (all of them when none) into dc;
// `erase` fills first what the masked view leaves showing, as the erase before a full paint
// does. A monitor shows only a corner of a large image: the part outside the window is left
// out, so the reduction and the masked view work on the visible pixels alone.
static void DrawMonitor(HWND window, HDC dc, const RECT* cells, bool erase) {
    int d = Divisor(window);
    RECT full = {0, 0, CanvasWidth / d, CanvasHeight / d}, limit, shown;
    if (GetClipBox(dc, &limit) == ERROR) limit = full;
    // What a full paint draws: the whole picture, or the part the window shows.
    RECT dst = full;
    if (IntersectRect(&shown, &limit, &full) && !EqualRect(&shown, &full)) dst = shown;
    // A part reduces exactly as in the whole only when the image's sides divide evenly;
    // else the whole is drawn.
    if (cells && CanvasWidth % d == 0 && CanvasHeight % d == 0) {
        RECT part = {cells->left / d, cells->top / d, (cells->right + d - 1) / d,
                     (cells->bottom + d - 1) / d};
        RECT area = dst;
        if (!IntersectRect(&dst, &part, &area)) return;
        if (d > 1) {
            GrowToTwo(&dst.left, &dst.right, area.left, area.right);
            GrowToTwo(&dst.top, &dst.bottom, area.top, area.bottom);
        }
    }
    if (IsRectEmpty(&dst)) return;
    RECT src = {0, 0, CanvasWidth, CanvasHeight};
    if (!EqualRect(&dst, &full))
        SetRect(&src, dst.left * d, dst.top * d, dst.right * d, dst.bottom * d);
    if (erase && TransparencyMode) EraseMonitor(window, dc, &dst);
    DrawImagePart(dc, &dst, &src, TransparencyMode);
}

static void ReleaseLiveDC(int i) {
    if (LiveDC[i]) ReleaseDC(LiveWindow[i], LiveDC[i]);
    LiveDC[i] = nullptr;
    LiveWindow[i] = nullptr;
}

void RepaintMonitors(const RECT* cells) {
    for (int i = 1; i <= 2; i++) {
        HWND window = ImageWindows[i];
        if (LiveWindow[i] != window) {
            ReleaseLiveDC(i);
            LiveWindow[i] = window;
            if (window) LiveDC[i] = GetDC(window);
        }
        if (LiveDC[i]) DrawMonitor(window, LiveDC[i], cells, true);
    }
}

void ReleaseMonitorDCs() {
    for (int i = 1; i <= 2; i++)
        ReleaseLiveDC(i);
}

static LRESULT OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return 0;
    DrawMonitor(window, dc, nullptr, false);
    EndPaint(window, &ps);
    return 0;
}

static LRESULT OnEraseBackground(HWND window, HDC dc) {
    RECT client;
    if (!GetClientRect(window, &client)) return 0;
    EraseMonitor(window, dc, &client);
    return 1;
}

// A tap shows the next background.
static LRESULT OnTap(HWND window) {
    int d = Divisor(window);
    MonitorBackground[d] = (MonitorBackground[d] + 1) % MONITOR_BACKGROUNDS;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

static LRESULT OnClose(HWND window) {
    int d = GetWindowLongW(window, 0);
    if ((d == 1 || d == 2) && ImageWindows[d] == window) ImageWindows[d] = nullptr;
    DestroyWindow(window);
    return 0;
}

// A device context kept for a stroke must not outlive its window.
static LRESULT OnDestroy(HWND window) {
    for (int i = 1; i <= 2; i++)
        if (LiveWindow[i] == window) ReleaseLiveDC(i);
    return 0;
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetWindowLongW(window, 0, (LONG)(INT_PTR)((CREATESTRUCTW*)lParam)->lpCreateParams);
        return 0;
    case WM_DESTROY: return OnDestroy(window);
    case WM_PAINT: return OnPaint(window);
    case WM_ERASEBKGND: return OnEraseBackground(window, (HDC)wParam);
    case WM_LBUTTONDOWN: return OnTap(window);
    case WM_CLOSE: return OnClose(window);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
