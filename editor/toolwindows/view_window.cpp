// The view window: the scrolling viewport that moves the canvas inside itself, the start
// picture shown while there is no canvas, and the rubber band drawn on its own area.
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

#define SCROLL_LINE 8
#define SAMPLE_ICON_COUNT 6
#define SAMPLE_ICON_SHOWN 64 // the start picture shows its icons at twice their size
#define START_BANDS 8

int ViewScrollX;
int ViewScrollY;
static int ViewClientWidth;
static int ViewClientHeight;
// The ranges the scroll bars show.
static int ViewMaximumX;
static int ViewMaximumY;

// The rubber band, held from press to release.
static int BandDragging;
static POINT BandStart;
static POINT BandEnd;
static HDC BandDc;
static HGDIOBJ BandOldPen;
static HGDIOBJ BandOldBrush;

static const WCHAR* const SampleIconNames[SAMPLE_ICON_COUNT] = {L"Camera", L"Key",     L"Write",
                                                                L"Coffee", L"AMosaro", L"ZVornpro"};
static HICON SampleIcons[SAMPLE_ICON_COUNT];

// ---- Scrolling -----------------------------------------------------------------------------
// The largest scroll position on an axis: the canvas's far border may reach the view's edge.
static int ScrollMaximum(int canvasPixels, int viewPixels) {
    long long extent = (long long)canvasPixels * Scale;
    long long maximum = extent + 1 - viewPixels;
    if (maximum < 0) return 0;
    return maximum > 0x7FFFFFFF ? 0x7FFFFFFF : (int)maximum;
}

static int HorizontalMaximum() {
    return ScrollMaximum(CanvasWidth, ViewClientWidth);
}
static int VerticalMaximum() {
    return ScrollMaximum(CanvasHeight, ViewClientHeight);
}

static void PlaceCanvas() {
    HWND canvas = ImageWindows[0];
    if (canvas)
        MoveWindow(canvas, -1 - ViewScrollX, -1 - ViewScrollY, CanvasWidth * Scale + 2,
                   CanvasHeight * Scale + 2, TRUE);
}

// Clamps one axis's position into 0..maximum and shows both on its bar. The position is
// stored before the bar is set: showing or hiding a bar resizes the client area, and the
// size message that arrives inside the call then sets everything again for the new size.
static void SetScrollAxis(HWND view, int bar, int maximum, int* position) {
    *(bar == SB_VERT ? &ViewMaximumY : &ViewMaximumX) = maximum;
    if (*position > maximum) *position = maximum;
    if (*position < 0) *position = 0;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMin = 0;
    info.nMax = maximum;
    info.nPos = *position;
    SetScrollInfo(view, bar, &info, TRUE);
}

static void RangeViewScrolling(HWND view) {
    SetScrollAxis(view, SB_VERT, VerticalMaximum(), &ViewScrollY);
    SetScrollAxis(view, SB_HORZ, HorizontalMaximum(), &ViewScrollX);
    PlaceCanvas();
}

static LRESULT ViewSize(HWND view, int width, int height) {
    ViewClientWidth = width;
    ViewClientHeight = height;
    RangeViewScrolling(view);
    InvalidateRect(view, nullptr, TRUE);
    UpdateWindow(view);
    return 0;
}

void UpdateViewScrolling() {
    RECT client;
    if (ViewWindow && GetClientRect(ViewWindow, &client))
        ViewSize(ViewWindow, client.right, client.bottom);
}

void ScrollViewTo(int x, int y) {
    ViewScrollX = x;
    ViewScrollY = y;
    UpdateViewScrolling();
}

static int ScrollDelta(int request, int thumb, int position, int maximum, int viewPixels,
                       int vertical) {
    int page = viewPixels > SCROLL_LINE ? viewPixels : SCROLL_LINE;
    switch (request) {
    case SB_LINEUP: return -SCROLL_LINE;
    case SB_LINEDOWN: return SCROLL_LINE;
    case SB_PAGEUP: return -page;
    case SB_PAGEDOWN: return page;
    case SB_THUMBTRACK: return thumb - position;
    // A touch scroll bar never asks for the far left or right, so only the vertical bar
    // honours these two.
    case SB_TOP: return vertical ? -position : 0;
    case SB_BOTTOM: return vertical ? maximum - position : 0;
    default: return 0;
    }
}

// Where the thumb is being dragged. The message carries 16 bits, too few for a large scale.
static int ThumbPosition(HWND view, int bar, WPARAM request, int maximum) {
    if (maximum > 0xFFFF) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(view, bar, &info)) return info.nTrackPos;
    }
    return HIWORD(request);
}

static LRESULT ViewScroll(HWND view, int bar, WPARAM request) {
    int vertical = bar == SB_VERT;
    int* position = vertical ? &ViewScrollY : &ViewScrollX;
    // The scale or the image may have changed since the bars were last set; a scroll must
    // never take the canvas out of the range that holds now.
    if (HorizontalMaximum() != ViewMaximumX || VerticalMaximum() != ViewMaximumY)
        RangeViewScrolling(view);
    int maximum = vertical ? ViewMaximumY : ViewMaximumX;
    int delta = ScrollDelta(LOWORD(request), ThumbPosition(view, bar, request, maximum), *position,
                            maximum, vertical ? ViewClientHeight : ViewClientWidth, vertical);
    if (delta > maximum - *position) delta = maximum - *position;
    if (delta < -*position) delta = -*position;
    if (delta != 0) {
        *position += delta;
        ScrollWindowEx(view, vertical ? 0 : -delta, vertical ? -delta : 0, nullptr, nullptr,
                       nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_POS;
        info.nPos = *position;
        SetScrollInfo(view, bar, &info, TRUE);
    }
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
    PlaceCanvas();
    return 0;
}

// ---- Start picture ---------------------------------------------------------------------------
static void DrawStartPicture(HWND view, HDC dc) {
    RECT client;
    if (!GetClientRect(view, &client)) return;
    int width = client.right, height = client.bottom;
    LoadIconRow(SampleIconNames, SAMPLE_ICON_COUNT, SampleIcons);

    // Blue bands, darker downwards; rows below the last whole band keep the grey background.
    int band = height / START_BANDS;
    for (int i = 0; i < START_BANDS; i++) {
        COLORREF blue = RGB(0, 0, 255 - 24 * i);
        DrawFilledRectangle(dc, PS_SOLID, 1, blue, blue, 0, i * band, width, (i + 1) * band);
    }

    int columns = width > height ? 3 : 2;
    int rows = SAMPLE_ICON_COUNT / columns;
    int gapX = (width - columns * SAMPLE_ICON_SHOWN) / (columns + 1);
    int gapY = (height - rows * SAMPLE_ICON_SHOWN) / (rows + 1);
    for (int j = 0; j < rows; j++) {
        for (int i = 0; i < columns; i++) {
            HICON icon = SampleIcons[columns * j + i];
            if (icon)
                DrawIconEx(dc, (i + 1) * gapX + i * SAMPLE_ICON_SHOWN,
                           (j + 1) * gapY + j * SAMPLE_ICON_SHOWN, icon, SAMPLE_ICON_SHOWN,
                           SAMPLE_ICON_SHOWN, 0, nullptr, DI_NORMAL);
        }
    }
}

static LRESULT ViewPaint(HWND view) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(view, &paint);
    if (!dc) return 0;
    if (NoCanvas) DrawStartPicture(view, dc);
    EndPaint(view, &paint);
    return 0;
}

// ---- Rubber band ----------------------------------------------------------------------------
static void DrawBand() {
    Rectangle(BandDc, BandStart.x, BandStart.y, BandEnd.x, BandEnd.y);
}

// The band follows the stylus even outside the view (the view holds the capture), where
// positions are negative; they are read signed.
static POINT StylusPoint(LPARAM position) {
    POINT p = {(short)LOWORD(position), (short)HIWORD(position)};
    return p;
}

static LRESULT BandPress(HWND view, LPARAM position) {
    if (BandDragging) return 0;
    BandDc = GetDC(view);
    if (!BandDc) return 0;
    BandStart = BandEnd = StylusPoint(position);
    BandDragging = 1;
    SetCapture(view);
    BandOldPen = SelectObject(BandDc, GetStockObject(BLACK_PEN));
    BandOldBrush = SelectObject(BandDc, GetStockObject(NULL_BRUSH));
    SetROP2(BandDc, R2_NOT);
    DrawBand();
    return 0;
}

static LRESULT BandMove(LPARAM position) {
    if (!BandDragging) return 0;
    DrawBand(); // inverting again takes the old outline away
    BandEnd = StylusPoint(position);
    DrawBand();
    return 0;
}

// Ends the drag on release, or when the view loses the stylus or goes away mid-drag.
static void EndBand(HWND view) {
    if (!BandDragging) return;
    BandDragging = 0;
    DrawBand();
    SetROP2(BandDc, R2_COPYPEN);
    DrawBand();
    SelectObject(BandDc, BandOldBrush);
    SelectObject(BandDc, BandOldPen);
    ReleaseDC(view, BandDc);
    BandDc = nullptr;
    if (GetCapture() == view) ReleaseCapture();
    InvalidateRect(view, nullptr, TRUE);
    UpdateWindow(view);
}

// ---- Window procedure -------------------------------------------------------------------------
static LRESULT ViewCreate(HWND view) {
    BandDragging = 0;
    RECT client;
    if (GetClientRect(view, &client)) {
        ViewClientWidth = client.right;
        ViewClientHeight = client.bottom;
    }
    ViewScrollX = ViewScrollY = 0;
    return 0;
}

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return ViewCreate(window);
    case WM_DESTROY: EndBand(window); return 0;
    case WM_SIZE: return ViewSize(window, LOWORD(lParam), HIWORD(lParam));
    case WM_PAINT: return ViewPaint(window);
    case WM_HSCROLL: return ViewScroll(window, SB_HORZ, wParam);
    case WM_VSCROLL: return ViewScroll(window, SB_VERT, wParam);
    case WM_LBUTTONDOWN: return BandPress(window, lParam);
    case WM_MOUSEMOVE: return BandMove(lParam);
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: EndBand(window); return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: return ViewWheel(window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ResetToolWindowsState() {
    PreviousTool = 0;
    PaletteCell = 0;
    PaletteTarget = 0;
    ViewScrollX = ViewScrollY = 0;
    ViewWheelTurnX = ViewWheelTurnY = 0;
}
