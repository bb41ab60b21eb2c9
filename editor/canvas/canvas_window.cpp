// The canvas window: its paint, the stylus messages it hands to the drawing tools, and the
// commands the main window forwards to it. Each handler reads the scale once and hands it on.
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "resources/resource_ids.h"

static LRESULT OnCreate(HWND window) {
    StrokeActive = 0;
    // A file about to be loaded brings its own size; a new image takes 32 x 32 unless the
    // Canvas Size dialog chose another.
    if (!SizeChosen && !ImagePending) {
        CanvasWidth = 32;
        CanvasHeight = 32;
    }
    CreateImage(window);
    DocumentPath[0] = 0;
    return 0;
}

static LRESULT OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return 0;
    PaintCanvas(window, dc, Scale);
    EndPaint(window, &ps);
    return 0;
}

static LRESULT SetMesh(HWND window, int on) {
    MeshOn = on;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

static LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    switch (id) {
    case CMD_SAVE_BITMAP: return SaveImageAsBitmap(window) ? 1 : 0;
    case CMD_SAVE_ICON: return SaveImageAsIcon(window) ? 1 : 0;
    case CMD_MESH_ON: return SetMesh(window, 1);
    case CMD_MESH_OFF: return SetMesh(window, 0);
    case CMD_OPEN_BITMAP:
    case CMD_OPEN_ICON: LoadSlotImage(window, id); return 0;
    case CMD_RESIZE_IMAGE: ResizeImage(window); return 0;
    }
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_PAINT: return OnPaint(window);
    case WM_CLOSE: DestroyWindow(window); return 1;
    // A double-tap is reported in place of the second press; it is a press all the same.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (PickingHotSpot)
            PlaceHotSpot(window, lParam, Scale);
        else
            StrokePress(window, lParam, Scale);
        return 0;
    case WM_MOUSEMOVE: StrokeMove(window, lParam); return 0;
    case WM_LBUTTONUP: StrokeRelease(window, lParam); return 0;
    // A stroke that loses the capture or its window ends where it stands; otherwise it
    // would stay active and refuse every later press.
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != window) AbandonStroke(window);
        break;
    case WM_DESTROY: AbandonStroke(window); break;
    case WM_RBUTTONDOWN: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ResetCanvasState() {
    StrokeActive = 0;
    PickingHotSpot = 0;
    ResetCopyPaste();
    DiscardImage();
    ImageBitCount = 4;
    MeshOn = 1;
}
