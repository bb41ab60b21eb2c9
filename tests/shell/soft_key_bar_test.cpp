// The handheld shell library's menu bar on a window of its own: the record it accepts, a
// key without a pop-up, an empty bar, and items a user cannot choose.
#include "editor_window.h"

namespace {

std::vector<WPARAM> Received;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) Received.push_back(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

class SoftKeyBarTest : public testing::Test {
  protected:
    void SetUp() override {
        owner = MakeTestWindow(L"SoftKeyOwner", WS_VISIBLE, 200, 200, OwnerProc);
        Received.clear();
    }
    void TearDown() override {
        DestroyWindow(owner);
        if (menu) DestroyMenu(menu);
        PumpMessages();
    }
    HWND MakeBar(DWORD flags) {
        SHMENUBARINFO info = {};
        info.cbSize = sizeof info;
        info.hwndParent = owner;
        info.dwFlags = flags;
        info.nToolBarId = (UINT)(UINT_PTR)menu;
        return SHCreateMenuBar(&info) ? info.hwndMB : nullptr;
    }
    HWND owner = nullptr;
    HMENU menu = nullptr;
};

} // namespace

TEST_F(SoftKeyBarTest, RefusesABadRecordOrMenu) {
    SHMENUBARINFO info = {};
    info.cbSize = sizeof info - 4;
    info.hwndParent = owner;
    info.dwFlags = SHCMBF_HMENU;
    info.hwndMB = (HWND)1;
    EXPECT_FALSE(SHCreateMenuBar(&info)); // a record of another size is not touched
    info.cbSize = sizeof info;            // no menu handle
    EXPECT_FALSE(SHCreateMenuBar(&info));
    EXPECT_EQ(nullptr, info.hwndMB);
    EXPECT_FALSE(SHCreateMenuBar(nullptr));
    EXPECT_EQ(nullptr, SHFindMenuBar(owner));
}

TEST_F(SoftKeyBarTest, KeyWithoutPopupSendsItsCommandAndAnEmptyBarHasNoKeys) {
    menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 501, L"Done");
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 502, L"First");
    AppendMenuW(popup, MF_STRING | MF_GRAYED, 503, L"Grayed");
    AppendMenuW(menu, MF_POPUP, (UINT_PTR)popup, L"More");
    HWND bar = MakeBar(SHCMBF_HMENU);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(bar, SHFindMenuBar(owner));
    RECT owned, barRect;
    GetWindowRect(owner, &owned);
    GetWindowRect(bar, &barRect);
    EXPECT_EQ(owned.bottom, barRect.bottom) << "the bar lies along the screen's bottom";

    EXPECT_TRUE(ChooseMenuItem(owner, {L"Done"}));
    EXPECT_TRUE(ChooseMenuItem(owner, {L"More", L"First"}));
    EXPECT_EQ((std::vector<WPARAM>{501, 502}), Received);
    // A grayed item stays closed to the user; the menu is left without a command.
    EXPECT_TRUE(ChooseMenuItem(owner, {L"More", L"Grayed"}));
    EXPECT_EQ(2u, Received.size());
    DestroyWindow(bar);
    EXPECT_EQ(nullptr, SHFindMenuBar(owner));

    HWND empty = MakeBar(SHCMBF_EMPTYBAR);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0, SendMessageW(empty, SKBM_GETKEYCOUNT, 0, 0));
    RECT key;
    EXPECT_FALSE(SendMessageW(empty, SKBM_GETKEYRECT, 0, (LPARAM)&key));
}

namespace {
std::wstring OpenedItem;
void CALLBACK NoteOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND popup = FindWindowW(L"#32768", nullptr);
    HMENU menu = popup ? (HMENU)SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0) : nullptr;
    wchar_t text[64] = {};
    if (menu) GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    OpenedItem = text;
    EndMenu();
}
} // namespace

TEST_F(EditorWindow, SoftKeyButtonsOpenTheirPopups) {
    for (auto [key, first] : {std::pair{VK_F1, L"&New Create"}, std::pair{VK_F2, L"&Edit"}}) {
        OpenedItem.clear();
        SetTimer(nullptr, 0, 0, NoteOpenMenu);
        SendMessageW(MainWindow, WM_KEYDOWN, key, 0);
        EXPECT_EQ(first, OpenedItem);
    }
}
