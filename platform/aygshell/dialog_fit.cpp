// SHInitDialog of the stand-in shell library: a dialog kept wholly on the work area, and
// shrunk, controls and font alike, where the work area is smaller than the dialog.
#include "soft_key_bar.h"

namespace SoftKeys {

namespace {

// A shrunk dialog's controls use a font made for it, which goes with the dialog.
struct ShrunkDialog {
    HWND dialog;
    WNDPROC procedure;
    HFONT font;
};
ShrunkDialog Shrunk[MaxBars];

LRESULT CALLBACK ShrunkDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ShrunkDialog* entry = nullptr;
    for (ShrunkDialog& d : Shrunk)
        if (d.dialog == window) entry = &d;
    if (!entry) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC own = entry->procedure;
    if (message != WM_NCDESTROY) return CallWindowProcW(own, window, message, wParam, lParam);
    // The controls are gone by now: nothing uses the font any more.
    HFONT font = entry->font;
    *entry = ShrunkDialog{};
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)own);
    LRESULT result = CallWindowProcW(own, window, message, wParam, lParam);
    DeleteObject(font);
    return result;
}

// The dialog's font made num/den as high. A raster font keeps its one size whatever is
// asked of it, so a shrunk dialog takes the handheld's own face instead.
HFONT ShrunkFont(HWND dialog, int num, int den) {
    HFONT current = (HFONT)SendMessageW(dialog, WM_GETFONT, 0, 0);
    if (!current) current = (HFONT)GetStockObject(SYSTEM_FONT);
    LOGFONTW font = {};
    if (!GetObjectW(current, sizeof font, &font)) return nullptr;
    TEXTMETRICW metrics = {};
    HDC dc = GetDC(dialog);
    if (dc) {
        HGDIOBJ old = SelectObject(dc, current);
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(dialog, dc);
    }
    if (!(metrics.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR))) {
        if (!font.lfHeight) font.lfHeight = metrics.tmHeight;
        font.lfWidth = 0;
        lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
        font.lfOutPrecision = OUT_TT_PRECIS;
    }
    font.lfHeight = MulDiv(font.lfHeight, num, den);
    font.lfWidth = MulDiv(font.lfWidth, num, den);
    if (!font.lfHeight) font.lfHeight = -1;
    return CreateFontIndirectW(&font);
}

int Scaled(int value, int num, int den) {
    return (int)((long long)value * num / den);
}

// Moves and sizes a control to num/den of its place. A combo box's height is its dropped
// list's; its own field follows the font.
void ShrinkControl(HWND control, HWND dialog, HFONT font, int num, int den) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, (POINT*)&place, 2);
    int height = place.bottom - place.top;
    WCHAR className[16] = {};
    RECT dropped;
    if (GetClassNameW(control, className, 16) && !lstrcmpiW(className, L"ComboBox") &&
        SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&dropped))
        height = dropped.bottom - dropped.top;
    SendMessageW(control, WM_SETFONT, (WPARAM)font, FALSE);
    MoveWindow(control, Scaled(place.left, num, den), Scaled(place.top, num, den),
               Scaled(place.right - place.left, num, den), Scaled(height, num, den), TRUE);
}

// Shrinks the dialog's client area to num/den, the controls and their font with it; false
// when it cannot keep the font for the dialog's life.
bool ShrinkDialog(HWND dialog, int num, int den) {
    ShrunkDialog* entry = nullptr;
    for (ShrunkDialog& d : Shrunk)
        if (!d.dialog || !IsWindow(d.dialog)) entry = &d;
    if (!entry) return false;
    HFONT font = ShrunkFont(dialog, num, den);
    if (!font) return false;
    WNDPROC own = (WNDPROC)SetWindowLongPtrW(dialog, GWLP_WNDPROC, (LONG_PTR)ShrunkDialogProc);
    if (!own) {
        DeleteObject(font);
        return false;
    }
    *entry = ShrunkDialog{dialog, own, font};
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        ShrinkControl(c, dialog, font, num, den);
    return true;
}

// Keeps the dialog on the work area: shrunk where it is larger, then moved in as little as
// it takes.
void FitDialog(HWND dialog) {
    RECT work = WorkArea(dialog), outer, client;
    if (!GetWindowRect(dialog, &outer) || !GetClientRect(dialog, &client)) return;
    const int frameX = outer.right - outer.left - client.right;
    const int frameY = outer.bottom - outer.top - client.bottom;
    const int roomX = work.right - work.left - frameX, roomY = work.bottom - work.top - frameY;
    if ((client.right > roomX || client.bottom > roomY) && roomX > 0 && roomY > 0 &&
        client.right > 0 && client.bottom > 0) {
        // The side that has the least room sets the scale for both.
        bool byWidth = (long long)roomX * client.bottom <= (long long)roomY * client.right;
        int num = byWidth ? roomX : roomY, den = byWidth ? client.right : client.bottom;
        if (ShrinkDialog(dialog, num, den)) {
            outer.right = outer.left + frameX + Scaled(client.right, num, den);
            outer.bottom = outer.top + frameY + Scaled(client.bottom, num, den);
        }
    }
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(dialog, nullptr, Clamp(outer.left, work.left, work.right - width),
                 Clamp(outer.top, work.top, work.bottom - height), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

} // namespace SoftKeys

BOOL WINAPI SHInitDialog(SHINITDLGINFO* info) {
    if (!info || !IsWindow(info->hDlg)) return FALSE;
    const DWORD sizing = SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR;
    if ((info->dwMask & SHIDIM_FLAGS) && (info->dwFlags & sizing)) SoftKeys::FitDialog(info->hDlg);
    return TRUE;
}
