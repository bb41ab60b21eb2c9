// The canvas scale after start-up: the Scale dialog, the keys and the wheel all hand their
// new scale to SetScale, the one place that applies it.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "canvas/canvas.h"
#include "resources/resource_ids.h"

// The system keeps a window within 32767 pixels and reports stylus points in 16 bits: a
// canvas any wider would show and draw only its first part, so the scale stops short of it.
int LargestScale() {
    const int side = CanvasWidth > CanvasHeight ? CanvasWidth : CanvasHeight;
    const int largest = side > 0 ? (0x7FFF - 2) / side : LARGEST_SCALE; // 2: the border
    if (largest < 1) return 1;
    return largest < LARGEST_SCALE ? largest : LARGEST_SCALE;
}

void SetScale(HWND window, int scale) {
    if (scale < 1) scale = 1;
    if (scale > LargestScale()) scale = LargestScale();
    if (scale == Scale) return;
    // A stroke maps its points at the scale it began with: one under way (the wheel turned
    // while the stylus is down) ends first, so the rest of it cannot land off the pointer.
    AbandonStroke(ImageWindows[0]);
    Scale = scale;
    // The line bar draws its bars at the canvas scale and reads it only when it paints.
    if (LineBarWindow) InvalidateRect(LineBarWindow, nullptr, TRUE);
    if (ImageWindows[0]) {
        LayOutAgain(window);
        InvalidateRect(ImageWindows[0], nullptr, TRUE);
    }
}

LRESULT ScaleCommand(HWND window) {
    if (!RunDialog(window, L"ScaleBox", ScaleDlgProc)) return 0;
    // The dialog has stored the scale typed; it takes effect as every other new scale does.
    const int chosen = Scale;
    Scale = PrevScale;
    SetScale(window, chosen);
    return 0;
}

LRESULT ScaleStepCommand(HWND window, int command) {
    switch (command) {
    case CMD_SCALE_UP: SetScale(window, Scale + 1); break;
    case CMD_SCALE_DOWN: SetScale(window, Scale - 1); break;
    case CMD_SCALE_START: SetScale(window, START_SCALE); break;
    }
    return 0;
}
