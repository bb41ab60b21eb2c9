// The main window's layout: where every child goes at a client size. The rules live in
// ComputeLayout alone; the layout pass and the commands that create a child at its place
// all take the rectangles from it. The canvas's place inside the view follows the view's
// scroll position, so the view places it (UpdateViewScrolling), told by every layout pass.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

static RECT At(int x, int y, int width, int height) {
    RECT r = {x, y, x + width, y + height};
    return r;
}

void ComputeLayout(int w, int h, MainLayout* layout) {
    const int p = ((h - 8) / 17) * 3 + 1; // the palette's width: three columns per row height
    layout->WideMinWidth = p + 411;
    const bool wide = w >= layout->WideMinWidth;
    layout->Mode = wide ? 1 : 2;
    // Narrow: the tool bar has a row of its own above the line bar and the opacity tool.
    layout->ToolBar = At(p + 8, h - (wide ? 38 : 72), 187, 32);
    layout->LineBar = At(wide ? p + 203 : p + 8, h - 38, 81, 32);
    layout->TransparentTool = At(wide ? p + 286 : p + 91, h - 38, 63, 32);
    layout->Palette = At(4, 4, p, h - 8);
    layout->View = At(p + 8, 4, w - p - 12, h - (wide ? 40 : 80));
    layout->FullMonitor = At(w - 40, h - 38, 34, 34);
    layout->HalfMonitor = At(wide ? w - 60 : w - 20, h - (wide ? 38 : 72), 18, 18);
}

static void Place(HWND child, const RECT& r) {
    if (child) MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

LRESULT LayoutChildren(HWND, LPARAM size) {
    const int w = LOWORD(size), h = HIWORD(size);
    MainLayout layout;
    ComputeLayout(w, h, &layout);
    ClientWidth = w;
    ClientHeight = h;
    PaletteWidth = layout.Palette.right - layout.Palette.left;
    WideLayoutMinWidth = layout.WideMinWidth;
    LayoutMode = layout.Mode;
    ViewWidth = layout.View.right - layout.View.left;
    ViewHeight = layout.View.bottom - layout.View.top;
    Place(ToolBarWindow, layout.ToolBar);
    Place(LineBarWindow, layout.LineBar);
    Place(TransparentToolWindow, layout.TransparentTool);
    Place(PaletteWindow, layout.Palette);
    Place(ViewWindow, layout.View);
    // The full-size monitor shows a 32-pixel-wide image only; it keeps its place otherwise.
    if (CanvasWidth == 32) Place(ImageWindows[1], layout.FullMonitor);
    Place(ImageWindows[2], layout.HalfMonitor);
    // A new scale or image size leaves the view's own size alone, so the view would not
    // hear of it: it re-ranges its scroll bars and places the canvas here.
    UpdateViewScrolling();
    return 0;
}

void LayOutAgain(HWND window) {
    // A larger image may not fit at the scale in use: SetScale lowers it and lays out.
    if (Scale > LargestScale() && ImageWindows[0]) {
        SetScale(window, Scale);
        return;
    }
    SendMessageW(window, WM_SIZE, 0, MAKELPARAM(ClientWidth, ClientHeight));
}
