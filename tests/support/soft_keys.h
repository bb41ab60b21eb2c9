// Driving a window's soft-key menu bar as a user does: tap a key, walk its pop-up to an
// item and choose it. The chosen command reaches the window through the bar.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The soft-key bar of a window, or none.
HWND SoftKeyBarOf(HWND window);
// Rectangle of the key whose text is keyText ("File", "Menu"), in screen coordinates.
bool SoftKeyScreenRect(HWND window, const std::wstring& keyText, RECT* rect);
// Taps the key named path[0], then walks its pop-up through the sub-menus path[1..n-2] to
// the item path[n-1] (texts as in the menu, "&" included) and chooses it with the keyboard
// of the menu, as a user would; a grayed item is not carried out. Afterwards the queued
// messages are dispatched, so the command has run (its dialogs and boxes answered from the
// queue of test_support.h). False, with a test failure, when the path is not in the menu.
bool ChooseMenuItem(HWND window, const std::vector<std::wstring>& path);
// The same for the item that carries the command id anywhere under the key's pop-up (for
// items whose texts repeat, such as the two "S&ave As" of "File").
bool ChooseMenuCommand(HWND window, const std::wstring& keyText, UINT commandId);
// Whether the item at path (as above) carries a check mark.
bool MenuItemChecked(HWND window, const std::vector<std::wstring>& path);
