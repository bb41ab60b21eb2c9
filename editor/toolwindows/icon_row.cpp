// Drawing shared by the tool windows: the rows of icons with the mark of the chosen one,
// and rectangles drawn with a pen and brush of their own.
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"

// An inversion reads at a glance on a small screen; a dotted one-pixel frame gets lost in
// the icons' own outlines.
void DrawChoiceMark(HDC dc, const RECT* rect) {
    InvertRect(dc, rect);
}

int LoadIconRow(const WCHAR* const* names, int count, HICON* icons) {
    int all = 1;
    for (int i = 0; i < count; i++) {
        // Asked for at their own size: a high-resolution device would otherwise hand out
        // 64-pixel system-size icons that no longer fit the 31-pixel cells.
        if (!icons[i])
            icons[i] =
                (HICON)LoadImageW(AppInstance, names[i], IMAGE_ICON, ICON_SIZE, ICON_SIZE, 0);
        if (!icons[i]) all = 0;
    }
    return all;
}

void PaintIconRow(HWND window, const HICON* icons, int count, int chosen) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return;
    // The row is repainted without an erase after every tap; the old mark would stay in
    // the icons' transparent pixels unless the background is laid first.
    FillRect(dc, &paint.rcPaint, (HBRUSH)GetStockObject(WHITE_BRUSH));
    for (int i = 0; i < count; i++) {
        if (icons[i]) DrawIconEx(dc, ICON_CELL * i, 0, icons[i], 0, 0, 0, nullptr, DI_NORMAL);
        if (i == chosen) {
            RECT mark = {ICON_CELL * i + 1, 1, ICON_CELL * i + ICON_CELL, ICON_CELL};
            DrawChoiceMark(dc, &mark);
        }
    }
    EndPaint(window, &paint);
}

int DrawFilledRectangle(HDC dc, int penStyle, int penWidth, COLORREF penColor, COLORREF fill,
                        int left, int top, int right, int bottom) {
    HPEN pen = CreatePen(penStyle, penWidth, penColor);
    HBRUSH brush = CreateSolidBrush(fill);
    int drawn = 0;
    if (pen && brush) {
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        drawn = Rectangle(dc, left, top, right, bottom) ? 1 : 0;
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
    }
    if (brush) DeleteObject(brush);
    if (pen) DeleteObject(pen);
    return drawn;
}
