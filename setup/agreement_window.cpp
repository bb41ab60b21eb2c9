// The agreement window: the end-user agreement from the program's resources (Japanese on a
// Japanese device, English elsewhere) as plain text, scrolled by its bars or by dragging.
#include "setup.h"
#include <algorithm>

using std::max;
using std::min;

int AgreementLineHeight = 1, AgreementCharWidth = 1;
WCHAR* AgreementText;
int AgreementLineCount;
int AgreementClientWidth, AgreementClientHeight;
int AgreementScrollX, AgreementMaxX;
int AgreementScrollY, AgreementMaxY;
int PressX, PressY;

namespace {

// Lines are at most this many average characters wide.
const int TextColumns = 100;
// Stylus travel, in pixels either way, that a drag must exceed before the text moves.
const int DragSlack = 4;
// Set while a drag's own thumb-track requests are handled: they carry pixels, whereas the
// vertical bar's own thumb reports lines.
bool DragInPixels;

void ForgetText() {
    if (AgreementText) {
        LocalFree(AgreementText);
        AgreementText = nullptr;
    }
}

// Finds the text resource for the device language; none when it is missing.
const WCHAR* LoadAgreementResource(size_t* length) {
    WCHAR name[61] = {};
    UINT id = SetupLanguage == LANGUAGE_JAPANESE ? IDS_AGREEMENT_JP : IDS_AGREEMENT_EN;
    if (!LoadStringW(SetupInstance, id, name, 61)) return nullptr;
    HRSRC found = FindResourceW(SetupInstance, name, L"TEXT");
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(SetupInstance, found);
    const WCHAR* text = loaded ? (const WCHAR*)LockResource(loaded) : nullptr;
    *length = SizeofResource(SetupInstance, found) / sizeof(WCHAR);
    return text;
}

LRESULT OnCreate(HWND window, LPARAM lParam) {
    const CREATESTRUCTW* create = (const CREATESTRUCTW*)lParam;
    SetWindowLongW(window, 0, (LONG)(LONG_PTR)create->lpCreateParams);
    HDC dc = GetDC(window);
    if (dc) {
        TEXTMETRICW metrics = {};
        if (GetTextMetricsW(dc, &metrics)) {
            AgreementLineHeight = metrics.tmHeight + metrics.tmExternalLeading;
            AgreementCharWidth = metrics.tmAveCharWidth;
        }
        ReleaseDC(window, dc);
    }
    // Every division by these must stay defined.
    if (AgreementLineHeight < 1) AgreementLineHeight = 1;
    if (AgreementCharWidth < 1) AgreementCharWidth = 1;
    ForgetText();
    AgreementLineCount = 0;
    AgreementScrollX = AgreementScrollY = 0;
    size_t length = 0;
    const WCHAR* text = LoadAgreementResource(&length);
    if (!text) {
        MessageBoxW(nullptr, L"could not load resource", L"Message", MB_OK);
        return 1;
    }
    AgreementText = PrepareAgreementText(text, length, &AgreementLineCount);
    if (!AgreementText) {
        MessageBoxW(window, L"could not allocate any memory", L"Message", MB_OK);
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return 0;
}

// Range without redrawing, then the (clamped) position with redrawing.
void SetBar(HWND window, int bar, int maximum, int* position) {
    if (*position >= maximum) *position = maximum;
    SCROLLINFO info = {sizeof(info), SIF_RANGE, 0, maximum};
    SetScrollInfo(window, bar, &info, FALSE);
    info.fMask = SIF_POS;
    info.nPos = *position;
    SetScrollInfo(window, bar, &info, TRUE);
}

LRESULT OnSize(HWND window, LPARAM size) {
    AgreementClientWidth = LOWORD(size);
    AgreementClientHeight = HIWORD(size);
    AgreementMaxX = max(0, TextColumns * AgreementCharWidth - AgreementClientWidth);
    SetBar(window, SB_HORZ, AgreementMaxX, &AgreementScrollX);
    AgreementMaxY = max(0, AgreementLineCount - AgreementClientHeight / AgreementLineHeight + 2);
    SetBar(window, SB_VERT, AgreementMaxY, &AgreementScrollY);
    return 0;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return 0;
    if (AgreementText) {
        RECT text;
        text.left = AgreementCharWidth - AgreementScrollX;
        text.top = (1 - AgreementScrollY) * AgreementLineHeight;
        text.right = text.left + TextColumns * AgreementCharWidth;
        text.bottom = text.top + (AgreementLineCount + 1) * AgreementLineHeight;
        DrawTextW(dc, AgreementText, -1, &text,
                  DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXTERNALLEADING);
    }
    EndPaint(window, &paint);
    return 0;
}

// Moves one bar's position by delta (clamped to its range) and the text with it.
void ScrollBy(HWND window, int bar, int delta) {
    int* position = bar == SB_HORZ ? &AgreementScrollX : &AgreementScrollY;
    int maximum = bar == SB_HORZ ? AgreementMaxX : AgreementMaxY;
    delta = max(-*position, min(delta, maximum - *position));
    if (delta == 0) return;
    *position += delta;
    if (bar == SB_HORZ)
        ScrollWindowEx(window, -delta, 0, nullptr, nullptr, nullptr, nullptr,
                       SW_ERASE | SW_INVALIDATE);
    else
        ScrollWindowEx(window, 0, -delta * AgreementLineHeight, nullptr, nullptr, nullptr, nullptr,
                       SW_ERASE | SW_INVALIDATE);
    SCROLLINFO info = {sizeof(info), SIF_POS};
    info.nPos = *position;
    SetScrollInfo(window, bar, &info, TRUE);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT OnHorizontalScroll(HWND window, WPARAM wParam) {
    int delta = 0;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: delta = -8; break;
    case SB_LINERIGHT: delta = 8; break;
    case SB_PAGELEFT: delta = -max(AgreementClientWidth, 8); break;
    case SB_PAGERIGHT: delta = max(AgreementClientWidth, 8); break;
    case SB_THUMBTRACK: delta = (short)HIWORD(wParam) - AgreementScrollX; break;
    default: break;
    }
    ScrollBy(window, SB_HORZ, delta);
    return 0;
}

LRESULT OnVerticalScroll(HWND window, WPARAM wParam) {
    int page = max(AgreementClientHeight / AgreementLineHeight, 1);
    int delta = 0;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: delta = -1; break;
    case SB_LINEDOWN: delta = 1; break;
    case SB_PAGEUP: delta = -page; break;
    case SB_PAGEDOWN: delta = page; break;
    case SB_THUMBTRACK: {
        int position = (short)HIWORD(wParam);
        // A drag moves by whole lines of its own travel, the same amount up or down.
        delta = DragInPixels
                    ? (position - AgreementScrollY * AgreementLineHeight) / AgreementLineHeight
                    : position - AgreementScrollY;
        break;
    }
    case SB_TOP: delta = -AgreementScrollY; break;
    case SB_BOTTOM: delta = AgreementLineCount - AgreementScrollY; break;
    default: break;
    }
    ScrollBy(window, SB_VERT, delta);
    return 0;
}

LRESULT OnStylusDown(LPARAM point) {
    PressX = LOWORD(point);
    PressY = HIWORD(point);
    return 0;
}

// While the stylus is held away from the press point, each move scrolls by the whole
// distance again, so the text runs faster the farther the stylus is held.
LRESULT OnStylusMove(HWND window, WPARAM keys, LPARAM point) {
    if (!(keys & MK_LBUTTON)) return 0; // a hovering mouse on the desktop is no drag
    int dx = PressX - (int)LOWORD(point);
    if (dx < -DragSlack || dx > DragSlack)
        SendMessageW(window, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, (WORD)(dx + AgreementScrollX)),
                     0);
    int dy = PressY - (int)HIWORD(point);
    if (dy < -DragSlack || dy > DragSlack) {
        DragInPixels = true;
        SendMessageW(window, WM_VSCROLL,
                     MAKEWPARAM(SB_THUMBTRACK, (WORD)(AgreementScrollY * AgreementLineHeight + dy)),
                     0);
        DragInPixels = false;
    }
    return 0;
}

LRESULT OnDestroy(HWND window) {
    // Going with the main window skips the close message; the text goes here too.
    ForgetText();
    if (AgreementWindow == window) AgreementWindow = nullptr;
    return 0;
}

} // namespace

WCHAR* PrepareAgreementText(const WCHAR* text, size_t length, int* lineCount) {
    size_t walked = 0;
    int lines = 0;
    while (walked < length && text[walked] != L'%' && text[walked] != 0) {
        if (text[walked] == L'\n') lines++;
        walked++;
    }
    // The byte-order mark only tells the encoding; drawn, it would show as a box.
    size_t skip = walked > 0 && text[0] == 0xFEFF ? 1 : 0;
    WCHAR* copy = (WCHAR*)LocalAlloc(LPTR, (walked - skip) * sizeof(WCHAR) + 2);
    if (!copy) return nullptr;
    memcpy(copy, text + skip, (walked - skip) * sizeof(WCHAR));
    copy[walked - skip] = 0;
    *lineCount = lines;
    return copy;
}

LRESULT CALLBACK ChildWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window, lParam);
    case WM_DESTROY: return OnDestroy(window);
    case WM_SIZE: return OnSize(window, lParam);
    case WM_PAINT: return OnPaint(window);
    case WM_CLOSE:
        ForgetText();
        DestroyWindow(window);
        return 0;
    case WM_HSCROLL: return OnHorizontalScroll(window, wParam);
    case WM_VSCROLL: return OnVerticalScroll(window, wParam);
    case WM_MOUSEMOVE: return OnStylusMove(window, wParam, lParam);
    case WM_LBUTTONDOWN: return OnStylusDown(lParam);
    case WM_LBUTTONUP: return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
