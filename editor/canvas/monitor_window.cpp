// The monitors: the image at actual size (divisor 1) and at half size (divisor 2), kept in
// step with the canvas, which repaints them on every stylus message.
#include "canvas/canvas.h"
#include "base/editor_state.h"

static int Divisor(HWND window) {
    return GetWindowLongW(window, 0) == 2 ? 2 : 1;
}

static LRESULT OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return 0;
    int d = Divisor(window);
    RECT src, dst, clip;
    SetRect(&src, 0, 0, CanvasWidth, CanvasHeight);
    SetRect(&dst, 0, 0, CanvasWidth / d, CanvasHeight / d);
    // A monitor shows only a corner of a large image: the part outside the window is left
    // out, so the reduction and the masked view work on the visible pixels alone.
    if (GetClipBox(dc, &clip) != ERROR && IntersectRect(&clip, &clip, &dst) &&
        !EqualRect(&clip, &dst)) {
        dst = clip;
        SetRect(&src, dst.left * d, dst.top * d, dst.right * d, dst.bottom * d);
    }
    if (!IsRectEmpty(&dst)) DrawImagePart(dc, &dst, &src, TransparencyMode);
    EndPaint(window, &ps);
    return 0;
}

static LRESULT OnClose(HWND window) {
    int d = GetWindowLongW(window, 0);
    if ((d == 1 || d == 2) && ImageWindows[d] == window) ImageWindows[d] = nullptr;
    DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetWindowLongW(window, 0, (LONG)(INT_PTR)((CREATESTRUCTW*)lParam)->lpCreateParams);
        return 0;
    case WM_DESTROY: return 0;
    case WM_PAINT: return OnPaint(window);
    case WM_CLOSE: return OnClose(window);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
