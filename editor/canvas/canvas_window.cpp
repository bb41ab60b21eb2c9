// The canvas window: the image magnified by the scale, the mesh and the masked view.
#include "canvas/canvas.h"

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
void RepaintCanvas(HWND, HDC) {}
void DrawMaskedView(HDC, int) {}
void DrawMesh(HWND) {}
