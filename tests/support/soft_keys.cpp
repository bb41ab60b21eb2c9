// Soft-key bar driving for the tests: finds keys by their text, taps them with stylus
// messages and steers the open pop-up with the keyboard from inside its menu loop.
#include "soft_keys.h"
#include "test_support.h"
#include <aygshell.h>
#include <gtest/gtest.h>

namespace {

std::vector<std::pair<UINT, WPARAM>> PendingKeys; // message and key, posted into the menu
bool MenuWasOpen;

HMENU BarMenu(HWND bar) {
    return (HMENU)SendMessageW(bar, SHCMBM_GETMENU, 0, 0);
}

std::wstring ItemText(HMENU menu, int pos) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, pos, text, 128, MF_BYPOSITION);
    return text;
}

int KeyIndex(HWND bar, const std::wstring& keyText) {
    int count = (int)SendMessageW(bar, SKBM_GETKEYCOUNT, 0, 0);
    for (int i = 0; BarMenu(bar) && i < count; i++)
        if (ItemText(BarMenu(bar), i) == keyText) return i;
    return -1;
}

// Positions, level by level, of the items named by path[1..] under the pop-up.
bool PositionsOfTexts(HMENU popup, const std::vector<std::wstring>& path, std::vector<int>* out) {
    HMENU menu = popup;
    for (size_t level = 1; level < path.size() && menu; level++) {
        int found = -1;
        for (int i = 0; i < GetMenuItemCount(menu) && found < 0; i++)
            if (!(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) &&
                ItemText(menu, i) == path[level])
                found = i;
        if (found < 0) return false;
        out->push_back(found);
        menu = GetSubMenu(menu, found);
    }
    return out->size() + 1 == path.size() && path.size() > 1;
}

// Positions of the item that carries the command id, searched through the sub-menus.
bool PositionsOfCommand(HMENU menu, UINT id, std::vector<int>* out) {
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        out->push_back(i);
        HMENU sub = GetSubMenu(menu, i);
        if (sub ? PositionsOfCommand(sub, id, out) : GetMenuItemID(menu, i) == id) return true;
        out->pop_back();
    }
    return false;
}

// The keys that walk from the pop-up to the item and choose it: at each level Home, then
// Down once for every selectable item (not a separator) before it, then Right into a
// sub-menu or Enter on the item itself.
bool KeysFor(HMENU popup, const std::vector<int>& positions,
             std::vector<std::pair<UINT, WPARAM>>* keys) {
    HMENU menu = popup;
    for (size_t level = 0; level < positions.size(); level++) {
        keys->push_back({WM_KEYDOWN, VK_HOME});
        for (int i = 0; i < positions[level]; i++)
            if (!(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR))
                keys->push_back({WM_KEYDOWN, VK_DOWN});
        HMENU sub = GetSubMenu(menu, positions[level]);
        if (level + 1 == positions.size()) {
            keys->push_back({WM_CHAR, L'\r'});
            return sub == nullptr;
        }
        if (!sub) return false;
        keys->push_back({WM_KEYDOWN, VK_RIGHT});
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

void TapKey(HWND bar, int index) {
    RECT key;
    SendMessageW(bar, SKBM_GETKEYRECT, index, (LPARAM)&key);
    int x = (key.left + key.right) / 2, y = (key.top + key.bottom) / 2;
    StylusDown(bar, x, y);
    StylusUp(bar, x, y);
}

// Taps the key and, when it has a pop-up, walks it to the item at positions.
bool ChooseAt(HWND bar, int index, const std::vector<int>& positions) {
    HMENU popup = GetSubMenu(BarMenu(bar), index);
    PendingKeys.clear();
    if (popup && !KeysFor(popup, positions, &PendingKeys)) {
        ADD_FAILURE() << "the menu path ends in a sub-menu";
        return false;
    }
    MenuWasOpen = false;
    UINT_PTR steer = popup ? SetTimer(nullptr, 0, 0, SteerMenu) : 0;
    UINT_PTR watchdog = popup ? SetTimer(nullptr, 0, 3000, Watchdog) : 0;
    TapKey(bar, index); // the pop-up's menu loop runs inside this tap
    if (watchdog) KillTimer(nullptr, watchdog);
    if (steer && !MenuWasOpen) {
        KillTimer(nullptr, steer);
        ADD_FAILURE() << "the soft key opened no pop-up";
        return false;
    }
    PumpMessages();
    return true;
}

int KeyOrFail(HWND window, const std::wstring& keyText, HWND* bar) {
    *bar = SoftKeyBarOf(window);
    int index = *bar ? KeyIndex(*bar, keyText) : -1;
    if (index < 0) ADD_FAILURE() << "no soft key with that text";
    return index;
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
    HWND bar;
    int index = path.empty() ? -1 : KeyOrFail(window, path[0], &bar);
    if (index < 0) return false;
    std::vector<int> positions;
    HMENU popup = GetSubMenu(BarMenu(bar), index);
    if (popup && !PositionsOfTexts(popup, path, &positions)) {
        ADD_FAILURE() << "menu path not found under its soft key";
        return false;
    }
    return ChooseAt(bar, index, positions);
}

bool ChooseMenuCommand(HWND window, const std::wstring& keyText, UINT commandId) {
    HWND bar;
    int index = KeyOrFail(window, keyText, &bar);
    if (index < 0) return false;
    std::vector<int> positions;
    HMENU popup = GetSubMenu(BarMenu(bar), index);
    if (!popup || !PositionsOfCommand(popup, commandId, &positions)) {
        ADD_FAILURE() << "command " << commandId << " not found under its soft key";
        return false;
    }
    return ChooseAt(bar, index, positions);
}

bool MenuItemChecked(HWND window, const std::vector<std::wstring>& path) {
    HWND bar = SoftKeyBarOf(window);
    int index = (bar && !path.empty()) ? KeyIndex(bar, path[0]) : -1;
    HMENU menu = index >= 0 ? GetSubMenu(BarMenu(bar), index) : nullptr;
    std::vector<int> positions;
    if (!menu || !PositionsOfTexts(menu, path, &positions)) return false;
    for (size_t level = 0; level + 1 < positions.size(); level++)
        menu = GetSubMenu(menu, positions[level]);
    return (GetMenuState(menu, positions.back(), MF_BYPOSITION) & MF_CHECKED) != 0;
}
