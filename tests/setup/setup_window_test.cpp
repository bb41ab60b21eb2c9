// Tests of setup's main window: button layout in both orientations, the painted screen,
// the welcome dialog and the step machine, and the cabinet hand-over.
#include "setup_fixture.h"
#include <algorithm>
#include <string>

namespace {

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

TEST_F(SetupWindowTest, ButtonsStandBelowInPortraitAndRightInLandscape) {
    DialogUnitX = 8;
    DialogUnitY = 16;
    Resize(240, 294);
    RECT next = ChildRect(GetDlgItem(main, IDC_NEXT));
    RECT exit = ChildRect(GetDlgItem(main, IDC_EXIT));
    EXPECT_EQ(next.left, 37);
    EXPECT_EQ(next.top, 258);
    EXPECT_EQ(next.right - next.left, 64);
    EXPECT_EQ(next.bottom - next.top, 28);
    EXPECT_EQ(exit.left, 138);
    EXPECT_EQ(exit.top, 258);

    Resize(320, 240);
    next = ChildRect(GetDlgItem(main, IDC_NEXT));
    exit = ChildRect(GetDlgItem(main, IDC_EXIT));
    EXPECT_EQ(next.left, 248);
    EXPECT_EQ(next.top, 61);
    EXPECT_EQ(exit.left, 248);
    EXPECT_EQ(exit.top, 150);
    EXPECT_EQ(exit.right - exit.left, 64);
}

TEST_F(SetupWindowTest, MaximisedMeansTheHandheldScreenUprightAndTurned) {
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    // As created (upright), then turned and turned back.
    for (int landscape : {-1, 1, 0}) {
        SCOPED_TRACE(landscape == 1 ? "turned" : "upright");
        if (landscape >= 0) SHSetDeviceOrientation(landscape);
        PumpMessages();
        // The screen is centred in the work area and never larger than it.
        int width = std::min<int>(landscape == 1 ? 640 : 480, work.right - work.left);
        int height = std::min<int>(landscape == 1 ? 480 : 640, work.bottom - work.top);
        int left = work.left + (work.right - work.left - width) / 2;
        int top = work.top + (work.bottom - work.top - height) / 2;
        RECT window = {};
        GetWindowRect(main, &window);
        EXPECT_TRUE(IsZoomed(main));
        EXPECT_EQ(window.left, left);
        EXPECT_EQ(window.top, top);
        EXPECT_EQ(window.right, left + width);
        EXPECT_EQ(window.bottom, top + height);
        // The buttons follow: below upright, at the right edge turned.
        RECT client = {}, exit = ChildRect(GetDlgItem(main, IDC_EXIT));
        GetClientRect(main, &client);
        EXPECT_EQ(ClientWidth, client.right);
        EXPECT_EQ(ClientHeight, client.bottom);
        if (landscape == 1)
            EXPECT_EQ(exit.right, client.right - 8);
        else
            EXPECT_EQ(exit.bottom, client.bottom - 8);
    }
    // Restored (as Wine's X11 driver does without a window manager), it keeps the size.
    ShowWindow(main, SW_RESTORE);
    RECT window = {};
    GetWindowRect(main, &window);
    EXPECT_EQ(window.right - window.left, std::min<int>(480, work.right - work.left));
    EXPECT_EQ(window.bottom - window.top, std::min<int>(640, work.bottom - work.top));
}

TEST_F(SetupWindowTest, AgreementWindowFollowsTheTurnOfTheDevice) {
    ShowAgreement();
    ASSERT_NE(AgreementWindow, nullptr);
    DialogUnitX = 8;
    DialogUnitY = 16;
    Resize(240, 294);
    RECT place = ChildRect(AgreementWindow);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.top, 0);
    EXPECT_EQ(place.right, 240);
    EXPECT_EQ(place.bottom, 294 - 28 - 16);
    Resize(320, 240);
    place = ChildRect(AgreementWindow);
    EXPECT_EQ(place.right, 320 - 64 - 16);
    EXPECT_EQ(place.bottom, 240);
}

TEST_F(SetupWindowTest, PaintsBlueBandsTheLogoAndTheWelcomeLine) {
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    int band = ClientHeight / 8;
    EXPECT_EQ(WindowPixel(main, 2, band / 2), RGB(0, 0, 255));
    EXPECT_EQ(WindowPixel(main, 2, 3 * band + band / 2), RGB(0, 0, 183));
    EXPECT_EQ(WindowPixel(main, 2, 7 * band + band / 2), RGB(0, 0, 87));
    // The logo, unscaled and centred: its dark frame, then its white inside.
    ASSERT_EQ(LogoWidth, 175);
    ASSERT_EQ(LogoHeight, 189);
    int left = ClientWidth / 2 - 87, top = ClientHeight / 2 - 94;
    EXPECT_EQ(WindowPixel(main, left, top), RGB(0, 0, 96));
    EXPECT_EQ(WindowPixel(main, left + 174, top + 188), RGB(0, 0, 96));
    EXPECT_EQ(WindowPixel(main, left + 5, top + 5), RGB(255, 255, 255));
    EXPECT_NE(WindowPixel(main, left - 1, top - 1), RGB(0, 0, 96));
    // The welcome line: red on cyan at the top centre, nothing at the left edge.
    int red = 0, cyan = 0;
    for (int y = 0; y < 16; y++)
        for (int x = ClientWidth / 2 - 60; x < ClientWidth / 2 + 60; x++) {
            COLORREF pixel = WindowPixel(main, x, y);
            red += pixel == RGB(255, 0, 0);
            cyan += pixel == RGB(0, 255, 255);
        }
    EXPECT_GT(red, 20);
    EXPECT_GT(cyan, 200);
    EXPECT_EQ(WindowPixel(main, 2, 2), RGB(0, 0, 255));
}

TEST_F(SetupWindowTest, NextRunsTheCentredWelcomeDialogAndOkShowsTheAgreement) {
    RECT dialogRect = {}, mainRect = {};
    std::wstring caption;
    bool buttonsHidden = false;
    HandleNextDialog([&](HWND dialog) {
        GetWindowRect(dialog, &dialogRect);
        GetWindowRect(main, &mainRect);
        caption = Text(dialog);
        buttonsHidden = !IsWindowVisible(GetDlgItem(main, IDC_NEXT)) &&
                        !IsWindowVisible(GetDlgItem(main, IDC_EXIT));
        PressDialogButton(dialog, IDOK);
    });
    SendMessageW(main, WM_COMMAND, IDC_NEXT, 0);
    EXPECT_EQ(SetupStep, 1);
    PumpMessages();
    EXPECT_EQ(caption, L"Welcome to PIXMORA ver. 1.X");
    EXPECT_TRUE(buttonsHidden);
    int width = dialogRect.right - dialogRect.left, height = dialogRect.bottom - dialogRect.top;
    EXPECT_EQ(dialogRect.left, (mainRect.left + mainRect.right) / 2 - width / 2);
    EXPECT_EQ(dialogRect.top, (mainRect.top + mainRect.bottom) / 2 - height / 2);

    ASSERT_NE(AgreementWindow, nullptr);
    EXPECT_EQ(Text(AgreementWindow), L"End User License Agreement");
    EXPECT_EQ(GetParent(AgreementWindow), main);
    EXPECT_EQ(Text(GetDlgItem(main, IDC_NEXT)), L"I Agree");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, IDC_NEXT)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, IDC_EXIT)));
    EXPECT_EQ(SetupStep, 1);
    EXPECT_TRUE(SeenBoxes().size() == 1); // the dialog only
}

// The handheld's screens upright and turned, at full and quarter size, with setup's screen
// filling each, and dragged half off it as a desktop allows: the welcome box lies wholly on
// the screen, every line and button inside the box.
TEST_F(SetupWindowTest, TheWelcomeDialogLiesWhollyOnEveryScreen) {
    const RECT screens[] = {
        {60, 40, 540, 680}, {60, 40, 700, 520}, {60, 40, 300, 360}, {60, 40, 380, 280}};
    for (const RECT& work : screens) {
        WorkAreaForTest area(work);
        const int width = work.right - work.left, height = work.bottom - work.top;
        for (int away : {0, 1}) {
            MoveWindow(main, work.left - away * width * 3 / 4, work.top + away * height / 2, width,
                       height, TRUE);
            std::string what = "on " + std::to_string(width) + " x " + std::to_string(height) +
                               (away ? ", setup dragged away" : "");
            HandleNextDialog([&](HWND dialog) {
                ExpectDialogOnWorkArea(dialog, work, what);
                EndDialog(dialog, 0);
            });
            SendMessageW(main, WM_COMMAND, CMD_SHOW_WELCOME, 0);
            EXPECT_EQ(1u, SeenBoxes().size()) << what;
            ClearSeenBoxes();
        }
    }
}

TEST_F(SetupWindowTest, CancelThenNoKeepsTheDialogAndCancelThenYesEndsSetup) {
    bool stillOpen = false;
    HandleNextDialog([&](HWND dialog) {
        AnswerNextBox(IDNO);
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        stillOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        AnswerNextBox(IDYES);
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageW(main, WM_COMMAND, IDC_NEXT, 0);
    PumpMessages();
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(SeenBoxes().size(), 3u);
    for (int i = 1; i <= 2; i++) {
        const SeenBox& box = SeenBoxes()[i];
        EXPECT_EQ(box.caption, L"Attention");
        EXPECT_EQ(box.text, L"Installation incomplete! Do you quit?");
        EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    }
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(AgreementWindow, nullptr);
}

TEST_F(SetupWindowTest, IAgreeClosesTheAgreementAndEndsSetupQuietlyWithoutACabinet) {
    ShowAgreement();
    ASSERT_NE(AgreementWindow, nullptr);
    HWND agreement = AgreementWindow;
    SendMessageW(main, WM_COMMAND, IDC_NEXT, 0);
    EXPECT_FALSE(IsWindow(agreement)); // at once, before the installation starts
    EXPECT_EQ(AgreementWindow, nullptr);
    EXPECT_EQ(SetupStep, 2);
    EXPECT_TRUE(IsWindow(main));
    PumpMessages();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(SeenBoxes().size(), 1u); // the welcome dialog, no message about the cabinet

    // The cabinet was looked for beside the program file.
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring expected = program;
    expected = expected.substr(0, expected.find_last_of(L'\\') + 1) + L"Pixmora.CAB";
    EXPECT_EQ(std::wstring(CabinetPath), expected);
}

TEST_F(SetupWindowTest, ExitLeavesAtEveryStepWithoutInstalling) {
    SendMessageW(main, WM_COMMAND, IDC_EXIT, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(main));

    SetUp();
    ShowAgreement();
    SendMessageW(main, WM_COMMAND, IDC_EXIT, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(SetupStep, 1);
    EXPECT_EQ(CabinetPath[0], 0); // no installation was started
    EXPECT_EQ(SeenBoxes().size(), 1u);
}

TEST_F(SetupWindowTest, NextDoesNothingOnceTheInstallationHasStarted) {
    SetupStep = 2;
    SendMessageW(main, WM_COMMAND, IDC_NEXT, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(SeenBoxes().empty());
    EXPECT_EQ(CabinetPath[0], 0);
}

TEST_F(SetupWindowTest, WithoutItsWelcomeDialogSetupOffersItsButtonsAgain) {
    // A module without the dialog template, where the classes are known too.
    SetupInstance = GetModuleHandleW(L"kernel32.dll");
    RegisterSetupClasses(SetupInstance);
    SendMessageW(main, WM_COMMAND, IDC_NEXT, 0);
    PumpMessages();
    SetupInstance = GetModuleHandleW(nullptr);
    EXPECT_EQ(SetupStep, 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, IDC_NEXT)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, IDC_EXIT)));
    EXPECT_EQ(AgreementWindow, nullptr);
}

TEST(SetupStart, ReadsTheDeviceLanguageOnce) {
    QueryDeviceLanguage = []() -> LANGID { return 0x0411; };
    HWND main = StartSetup(GetModuleHandleW(nullptr));
    QueryDeviceLanguage = GetUserDefaultLangID;
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(SetupLanguage, 0x0411);
    EXPECT_EQ(SetupStep, 0);
    EXPECT_TRUE(IsWindowVisible(main));
    DestroyWindow(main);
    PumpMessages();
    SetupLanguage = 0x0409;
}

} // namespace
