// The About, Canvas Size and Scale dialogs: what each input does to the editor's values.
#include "editor_window.h"
#include <cstdio>
#include <string>

namespace {

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

// Opens the Scale dialog, types text into its field and presses the button.
INT_PTR RunScale(const wchar_t* typed, int button, std::wstring* shown = nullptr) {
    HandleNextDialog([=](HWND dialog) {
        if (shown) *shown = ItemText(dialog, IDC_SCALE_EDIT);
        if (typed) SetDlgItemTextW(dialog, IDC_SCALE_EDIT, typed);
        PressDialogButton(dialog, button);
    });
    return RunDialog(MainWindow, L"ScaleBox", ScaleDlgProc);
}

struct SizeDialogSeen {
    UINT checked16 = 99, checked32 = 99;
    std::wstring caption;
};

INT_PTR RunCanvasSize(int button, SizeDialogSeen* seen) {
    HandleNextDialog([=](HWND dialog) {
        seen->checked16 = IsDlgButtonChecked(dialog, IDC_SIZE_16);
        seen->checked32 = IsDlgButtonChecked(dialog, IDC_SIZE_32);
        wchar_t caption[64] = {};
        GetWindowTextW(dialog, caption, 64);
        seen->caption = caption;
        PressDialogButton(dialog, button);
    });
    return RunDialog(MainWindow, L"CanvasSize", CanvasSizeDlgProc);
}

} // namespace

TEST_F(EditorWindow, ScaleFieldShowsTheScaleAndCorrectsOddInput) {
    std::wstring shown;
    EXPECT_EQ(1, RunScale(L"7", IDOK, &shown));
    EXPECT_EQ(L"10", shown);
    EXPECT_EQ(7, Scale);
    EXPECT_EQ(10, PrevScale);

    const struct {
        const wchar_t* typed;
        int scale;
    } cases[] = {{L"0", 1}, {L"-3", 1}, {L"abc", 1}, {L"12ab", 12}, {L"12345", 1234}};
    for (auto& c : cases) {
        Scale = 10;
        EXPECT_EQ(1, RunScale(c.typed, IDOK));
        EXPECT_EQ(c.scale, Scale) << "typed " << std::string(c.typed, c.typed + wcslen(c.typed));
    }
    Scale = 6;
    EXPECT_EQ(1, RunScale(L"", IDOK));
    EXPECT_EQ(6, Scale) << "an empty field keeps the scale";
    EXPECT_EQ(0, RunScale(L"3", IDCANCEL));
    EXPECT_EQ(6, Scale) << "CLOSE changes nothing";
    ASSERT_EQ(8u, SeenBoxes().size());
    EXPECT_EQ(L"Scale Box", SeenBoxes()[0].caption);
}

TEST_F(EditorWindow, CanvasSizeChecksTheCurrentSizeAndChoosesOnATap) {
    SizeDialogSeen seen;
    CanvasWidth = CanvasHeight = 16;
    EXPECT_EQ(1, RunCanvasSize(IDOK, &seen));
    EXPECT_EQ(L"Canvas Size Box", seen.caption);
    EXPECT_EQ((UINT)BST_CHECKED, seen.checked16);
    EXPECT_EQ((UINT)BST_UNCHECKED, seen.checked32);
    EXPECT_EQ(16, CanvasWidth);
    EXPECT_EQ(16, CanvasHeight);
    EXPECT_EQ(0, CanvasSizeChoice);

    EXPECT_EQ(1, RunCanvasSize(IDC_SIZE_32, &seen)); // a tap on "32 x 32" closes at once
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ(32, CanvasHeight);
    EXPECT_EQ(1, CanvasSizeChoice);
    EXPECT_EQ(16, PrevCanvasWidth);

    EXPECT_EQ(0, RunCanvasSize(IDCANCEL, &seen));
    EXPECT_EQ((UINT)BST_CHECKED, seen.checked32);
    EXPECT_EQ(32, CanvasWidth) << "CLOSE changes nothing";
    EXPECT_EQ(32, PrevCanvasWidth);

    EXPECT_EQ(1, RunCanvasSize(IDC_SIZE_16, &seen));
    EXPECT_EQ(16, CanvasWidth);
}

TEST_F(EditorWindow, CanvasSizeOnAnOddImageChecksNothingAndOkTakesTheLastChoice) {
    SizeDialogSeen seen;
    CanvasWidth = CanvasHeight = 48;
    CanvasSizeChoice = 0;
    EXPECT_EQ(1, RunCanvasSize(IDOK, &seen));
    EXPECT_EQ((UINT)BST_UNCHECKED, seen.checked16);
    EXPECT_EQ((UINT)BST_UNCHECKED, seen.checked32);
    EXPECT_EQ(16, CanvasWidth);
    EXPECT_EQ(16, CanvasHeight);
    EXPECT_EQ(48, PrevCanvasWidth);
}

TEST_F(EditorWindow, AboutNamesTheProgramAndEndsWithOk) {
    std::wstring title, version;
    bool barEnabled = true;
    HandleNextDialog([&](HWND dialog) {
        barEnabled = IsWindowEnabled(MenuBarWindow);
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t text[128] = {};
            GetWindowTextW(c, text, 128);
            if (!wcscmp(text, L"Pixmora")) title = text;
            if (wcsstr(text, L"version 1.02")) version = text;
        }
        PressDialogButton(dialog, IDOK);
    });
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"Help", L"A&bout"}));
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"About Box", SeenBoxes()[0].caption);
    EXPECT_EQ(L"Pixmora", title);
    EXPECT_EQ(L"Pixmora version 1.02 for ", version);
    EXPECT_FALSE(barEnabled) << "the soft keys rest while a dialog is open";
    EXPECT_TRUE(IsWindowEnabled(MenuBarWindow));
    EXPECT_EQ(0, RunDialog(MainWindow, L"NoSuchBox", AboutDlgProc));
}

// Each dialog on the handheld's screens, upright and turned, at full and at quarter size: the
// editor fills the work area as on the device, and each dialog must lie wholly in it with all
// of its controls. Where it fits, it keeps its size.
TEST_F(EditorWindow, EveryDialogLiesWhollyOnTheScreenWithItsControls) {
    const struct {
        const wchar_t* name;
        DLGPROC procedure;
        int width, height; // of the template, in dialog units
    } dialogs[] = {{L"AboutBox", AboutDlgProc, 160, 140},
                   {L"CanvasSize", CanvasSizeDlgProc, 72, 66},
                   {L"ScaleBox", ScaleDlgProc, 84, 46},
                   {L"IconImages", IconImagesDlgProc, 160, 162},
                   {L"MakeAllSizes", MakeAllSizesDlgProc, 120, 104}};
    // Away from the screen's corner, so the screen's own edge hides no fault.
    const RECT screens[] = {
        {60, 40, 540, 680}, {60, 40, 700, 520}, {60, 40, 300, 360}, {60, 40, 380, 280}};
    for (const RECT& work : screens) {
        WorkAreaForTest area(work);
        SendMessageW(MainWindow, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
        const bool full = work.right - work.left >= 480;
        for (auto& d : dialogs) {
            char what[96];
            snprintf(what, sizeof what, "%ls on %ld x %ld", d.name, work.right - work.left,
                     work.bottom - work.top);
            RECT client = {}, planned = {0, 0, d.width, d.height};
            HandleNextDialog([&](HWND dialog) {
                ExpectDialogOnWorkArea(dialog, work, what);
                GetClientRect(dialog, &client);
                MapDialogRect(dialog, &planned);
                EndDialog(dialog, 0);
            });
            RunDialog(MainWindow, d.name, d.procedure);
            if (full) {
                EXPECT_TRUE(EqualRect(&client, &planned)) << what << " keeps its size";
            }
        }
    }
}
