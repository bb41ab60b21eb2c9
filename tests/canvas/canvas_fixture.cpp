// A canvas hosted the way the view window hosts it, for the canvas and tool window tests.
#include "canvas_fixture.h"
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "test_support.h"

static HWND Parent;
static HWND Canvas;

// The state a canvas starts from, with the line width the main window gives at creation.
static void StartFromFreshState() {
    ResetEditorState();
    ResetCanvasState();
    LineWidth = 1;
}

HWND OpenCanvas(int width, int height, int scale, int parentWidth, int parentHeight) {
    StartFromFreshState();
    Scale = scale;
    CanvasWidth = width;
    CanvasHeight = height;
    SizeChosen = 1;
    Parent = MakeTestWindow(L"CanvasTestParent", WS_POPUP | WS_VISIBLE, parentWidth, parentHeight,
                            nullptr, (HBRUSH)GetStockObject(GRAY_BRUSH));
    Canvas =
        CreateWindowW(L"Canvas", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, width * scale + 2,
                      height * scale + 2, Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    ImageWindows[0] = Canvas;
    NoCanvas = 0;
    FullRepaint(Canvas);
    return Canvas;
}

void CloseCanvas() {
    for (int i = 1; i <= 2; i++)
        if (ImageWindows[i]) SendMessageW(ImageWindows[i], WM_CLOSE, 0, 0);
    if (Canvas) SendMessageW(Canvas, WM_CLOSE, 0, 0);
    if (Parent) DestroyWindow(Parent);
    Canvas = Parent = nullptr;
    ImageWindows[0] = nullptr;
    NoCanvas = 1;
    TransparencyMode = 0;
    PumpMessages();
}

HWND CanvasParent() {
    return Parent;
}

void UseFreshMask() {
    CreateMask(Canvas, 0); // replaces the mask of an earlier test
    TransparencyMode = 1;
}

HWND OpenMonitor(int divisor, int x, int y) {
    int size = divisor == 1 ? 36 : 20;
    HWND monitor =
        CreateWindowW(L"Monitor", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, x, y, size, size, Parent,
                      nullptr, GetModuleHandleW(nullptr), (LPVOID)(INT_PTR)divisor);
    ImageWindows[divisor] = monitor;
    FullRepaint(monitor);
    return monitor;
}

void FullRepaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void PaintImagePixel(int x, int y, COLORREF color) {
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, ImageBitmap);
    SetPixel(memory, x, y, color);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

int ImageIndex(int x, int y) {
    GdiFlush();
    return DibPixelIndex(ImageInfo, ImageBits, x, y);
}

int MaskIndex(int x, int y) {
    GdiFlush();
    return DibPixelIndex(MaskInfo, MaskBits, x, y);
}

COLORREF CellColor(HWND canvas, int x, int y) {
    return WindowPixel(canvas, x * Scale + Scale / 2 - (Scale > 2 ? 1 : 0),
                       y * Scale + Scale / 2 - (Scale > 2 ? 1 : 0));
}

std::string Picture(int x0, int y0, int x1, int y1, bool mask) {
    std::string s;
    for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++)
            s += "0123456789ABCDEF"[mask ? MaskIndex(x, y) : ImageIndex(x, y)];
        s += '\n';
    }
    return s;
}

void DragCells(HWND canvas, int x0, int y0, int x1, int y1, int steps) {
    StylusDrag(canvas, At(x0), At(y0), At(x1), At(y1), steps);
    PumpMessages();
}

void TapCell(HWND canvas, int x, int y) {
    StylusDown(canvas, At(x), At(y));
    StylusUp(canvas, At(x), At(y));
    PumpMessages();
}
