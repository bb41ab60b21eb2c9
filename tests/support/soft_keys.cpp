// Soft-key bar driving for the tests: finds keys by their text, taps them with stylus
// messages and steers the open pop-up with the keyboard from inside its menu loop.
#include "soft_keys.h"
#include "test_support.h"
#include <aygshell.h>
#include <gtest/gtest.h>

namespace {

std::vector<std::pair<UINT, WPARAM>> PendingKeys; // message and key, posted into the menu
bool MenuWasOpen;

int KeyIndex(HWND bar, const std::wstring& keyText) {
    HMENU menu = (HMENU)SendMessageW(bar, SHCMBM_GETMENU, 0, 0);
    int count = (int)SendMessageW(bar, SKBM_GETKEYCOUNT, 0, 0);
    for (int i = 0; menu && i < count; i++) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        if (keyText == text) return i;
    }
    return -1;
}

// Position of the item with that text, and how many selectable items (not separators)
// come before it, which is how far the keyboard moves down from the first item.
int FindItem(HMENU menu, const std::wstring& text, int* stepsDown) {
    *stepsDown = 0;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        wchar_t itemText[128] = {};
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        if (state & MF_SEPARATOR) continue;
        GetMenuStringW(menu, i, itemText, 128, MF_BYPOSITION);
        if (text == itemText) return i;
        ++*stepsDown;
    }
    return -1;
}

// Resolves path[1..] under the pop-up; the keys that walk there and choose the item.
bool KeysFor(HMENU popup, const std::vector<std::wstring>& path, HMENU* last, int* lastPos,
             std::vector<std::pair<UINT, WPARAM>>* keys) {
    HMENU menu = popup;
    for (size_t level = 1; level < path.size(); level++) {
        int steps = 0;
        int pos = FindItem(menu, path[level], &steps);
        if (pos < 0) return false;
        if (keys) {
            keys->push_back({WM_KEYDOWN, VK_HOME});
            for (int s = 0; s < steps; s++)
                keys->push_back({WM_KEYDOWN, VK_DOWN});
        }
        HMENU sub = GetSubMenu(menu, pos);
        bool lastLevel = level + 1 == path.size();
        if (lastLevel) {
            if (sub) return false;
            if (keys) keys->push_back({WM_CHAR, L'\r'});
            *last = menu;
            *lastPos = pos;
            return true;
        }
        if (!sub) return false;
        if (keys) keys->push_back({WM_KEYDOWN, VK_RIGHT});
        menu = sub;
    }
    return false;
}

// Runs inside the pop-up's menu loop: the keys go to the thread's queue, where the loop
// reads them as it reads a user's keys.
void CALLBACK SteerMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND popup = FindWindowW(L"#32768", nullptr);
    MenuWasOpen = popup != nullptr;
    for (auto& key : PendingKeys)
        PostMessageW(popup, key.first, key.second, 0);
    PendingKeys.clear();
}

// A menu that is still open long after the keys went in (a grayed item, say) is closed.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

} // namespace

HWND SoftKeyBarOf(HWND window) {
    return SHFindMenuBar(window);
}

bool SoftKeyScreenRect(HWND window, const std::wstring& keyText, RECT* rect) {
    HWND bar = SoftKeyBarOf(window);
    int index = bar ? KeyIndex(bar, keyText) : -1;
    if (index < 0 || !SendMessageW(bar, SKBM_GETKEYRECT, index, (LPARAM)rect)) return false;
    MapWindowPoints(bar, nullptr, (POINT*)rect, 2);
    return true;
}

bool ChooseMenuItem(HWND window, const std::vector<std::wstring>& path) {
    HWND bar = SoftKeyBarOf(window);
    int index = (bar && !path.empty()) ? KeyIndex(bar, path[0]) : -1;
    if (index < 0) {
        ADD_FAILURE() << "no soft key for the menu path";
        return false;
    }
    HMENU menu = (HMENU)SendMessageW(bar, SHCMBM_GETMENU, 0, 0);
    HMENU popup = GetSubMenu(menu, index);
    PendingKeys.clear();
    HMENU last = nullptr;
    int lastPos = 0;
    if (popup && !KeysFor(popup, path, &last, &lastPos, &PendingKeys)) {
        ADD_FAILURE() << "menu path not found under its soft key";
        return false;
    }
    RECT key;
    SendMessageW(bar, SKBM_GETKEYRECT, index, (LPARAM)&key);
    MenuWasOpen = false;
    UINT_PTR steer = popup ? SetTimer(nullptr, 0, 0, SteerMenu) : 0;
    UINT_PTR watchdog = popup ? SetTimer(nullptr, 0, 3000, Watchdog) : 0;
    int x = (key.left + key.right) / 2, y = (key.top + key.bottom) / 2;
    StylusDown(bar, x, y);
    StylusUp(bar, x, y); // the pop-up's menu loop runs inside this tap
    if (watchdog) KillTimer(nullptr, watchdog);
    if (steer && !MenuWasOpen) {
        KillTimer(nullptr, steer);
        ADD_FAILURE() << "the soft key opened no pop-up";
        return false;
    }
    PumpMessages();
    return true;
}

bool MenuItemChecked(HWND window, const std::vector<std::wstring>& path) {
    HWND bar = SoftKeyBarOf(window);
    int index = (bar && !path.empty()) ? KeyIndex(bar, path[0]) : -1;
    if (index < 0) return false;
    HMENU popup = GetSubMenu((HMENU)SendMessageW(bar, SHCMBM_GETMENU, 0, 0), index);
    HMENU last = nullptr;
    int pos = 0;
    if (!popup || !KeysFor(popup, path, &last, &pos, nullptr)) return false;
    return (GetMenuState(last, pos, MF_BYPOSITION) & MF_CHECKED) != 0;
}
