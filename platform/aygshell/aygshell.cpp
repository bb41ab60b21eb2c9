// Soft-key menu bar and activation helpers standing in for the handheld shell library.
#include "aygshell.h"

BOOL WINAPI SHInitExtraControls(void) { return TRUE; }

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || info->cbSize != sizeof(SHMENUBARINFO))
        return FALSE;
    info->hwndMB = nullptr;
    return FALSE;
}

BOOL WINAPI SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO* info, DWORD) {
    return info != nullptr;
}

BOOL WINAPI SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO* info) {
    return info != nullptr;
}
