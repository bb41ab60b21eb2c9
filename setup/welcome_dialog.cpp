// The welcome dialog: centred on the main window, "&OK" moves on to the agreement and a
// cancel asks before it ends the installer.
#include "setup.h"

namespace {

BOOL OnInitDialog(HWND dialog) {
    RECT parent = {}, box = {};
    HWND owner = GetParent(dialog);
    if (owner && GetWindowRect(owner, &parent) && GetWindowRect(dialog, &box)) {
        int width = box.right - box.left, height = box.bottom - box.top;
        MoveWindow(dialog, (parent.left + parent.right) / 2 - width / 2,
                   (parent.top + parent.bottom) / 2 - height / 2, width, height, TRUE);
    }
    // A main window larger than the screen would centre the box off it.
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&info);
    return TRUE;
}

BOOL OnCancel(HWND dialog) {
    int answer = MessageBoxW(nullptr, L"Installation incomplete! Do you quit?", L"Attention",
                             MB_YESNOCANCEL);
    if (answer != IDYES) return FALSE;
    HWND owner = GetParent(dialog);
    if (owner) SendMessageW(owner, WM_CLOSE, 0, 0);
    // Closing the owner may already have taken the dialog with it.
    if (IsWindow(dialog)) EndDialog(dialog, 0);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK InitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND:
        if (wParam == IDOK) {
            HWND owner = GetParent(dialog);
            if (owner) SendMessageW(owner, WM_COMMAND, CMD_SHOW_AGREEMENT, 0);
            EndDialog(dialog, 0);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) return OnCancel(dialog);
        return FALSE;
    default: return FALSE;
    }
}
