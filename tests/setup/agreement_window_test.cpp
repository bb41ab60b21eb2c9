// Tests of the agreement window: the text chosen by the device language and prepared from
// the resource, the scroll ranges, the bars' requests and drag scrolling.
#include "setup_fixture.h"
#include <cwctype>
#include <string>

namespace {

class AgreementTest : public SetupWindowTest {
  protected:
    HWND agreement = nullptr;
    void Open(LANGID language) {
        SetupLanguage = language;
        SendMessageW(main, WM_COMMAND, CMD_SHOW_AGREEMENT, 0);
        agreement = AgreementWindow;
        ASSERT_NE(agreement, nullptr);
        PumpMessages();
    }
    // The example device: line height 16 in 200 pixels, character width 6 in 236.
    // The window is made small first, so that both bars stay shown throughout.
    void UseExampleMetrics() {
        DialogUnitX = 8;
        DialogUnitY = 16;
        Resize(320, 240);
        AgreementLineHeight = 16;
        AgreementCharWidth = 6;
        SendMessageW(agreement, WM_SIZE, 0, MAKELPARAM(236, 200));
    }
    void Horizontal(int request, int position = 0) {
        SendMessageW(agreement, WM_HSCROLL, MAKEWPARAM(request, position), 0);
    }
    void Vertical(int request, int position = 0) {
        SendMessageW(agreement, WM_VSCROLL, MAKEWPARAM(request, position), 0);
    }
    int BarPosition(int bar) {
        SCROLLINFO info = {sizeof(info), SIF_ALL};
        GetScrollInfo(agreement, bar, &info);
        return info.nPos;
    }
    int BarMaximum(int bar) {
        SCROLLINFO info = {sizeof(info), SIF_ALL};
        GetScrollInfo(agreement, bar, &info);
        return info.nMax;
    }
    bool NeedsRepaint() {
        RECT rect;
        return GetUpdateRect(agreement, &rect, FALSE) != FALSE;
    }
};

TEST_F(AgreementTest, EnglishEverywhereButOnAJapaneseDevice) {
    Open(0x0409);
    std::wstring text = AgreementText;
    EXPECT_EQ(AgreementLineCount, 74);
    EXPECT_EQ(text.substr(0, 18), L"PIXMORA ver. 1.X\r\n"); // no byte-order mark drawn
    EXPECT_NE(text.find(L"END USER LICENSE AGREEMENT"), std::wstring::npos);
    EXPECT_EQ(text.substr(text.size() - 30), L"Thank you for using PIXMORA.\r\n");
    SendMessageW(agreement, WM_CLOSE, 0, 0);
    EXPECT_EQ(AgreementText, nullptr);
    EXPECT_EQ(AgreementWindow, nullptr);

    Open(0x0411);
    text = AgreementText;
    EXPECT_EQ(AgreementLineCount, 68);
    EXPECT_NE(text.find(L"使用許諾契約書"), std::wstring::npos);
    EXPECT_EQ(text.back(), L'\n');
    SendMessageW(agreement, WM_CLOSE, 0, 0);

    Open(0x0407);
    EXPECT_EQ(AgreementLineCount, 74);
    EXPECT_TRUE(SeenBoxes().empty());
}

TEST_F(AgreementTest, TextKeepsAMarginOfOneLineAndOneCharacter) {
    Open(0x0409);
    RedrawWindow(agreement, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    auto darkIn = [&](int top, int bottom, int left, int right) {
        int dark = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++)
                dark += WindowPixel(agreement, x, y) == RGB(0, 0, 0);
        return dark;
    };
    int lh = AgreementLineHeight, cw = AgreementCharWidth;
    EXPECT_EQ(darkIn(0, lh, 0, 200), 0);
    EXPECT_EQ(darkIn(lh, 3 * lh, 0, cw), 0);
    EXPECT_GT(darkIn(lh, 2 * lh, cw, 200), 10); // "PIXMORA ver. 1.X"
    // One line down, the title moves into the margin line.
    Vertical(SB_LINEDOWN);
    UpdateWindow(agreement);
    EXPECT_GT(darkIn(0, lh, cw, 200), 10);
}

TEST_F(AgreementTest, RangesForTheExampleDevice) {
    Open(0x0409);
    UseExampleMetrics();
    EXPECT_EQ(AgreementMaxY, 74 - 12 + 2);
    EXPECT_EQ(AgreementMaxX, 600 - 236);
    EXPECT_EQ(BarMaximum(SB_VERT), 64);
    EXPECT_EQ(BarMaximum(SB_HORZ), 364);
    // A narrower or taller client: a position beyond the new maximum is pulled back.
    Vertical(SB_BOTTOM);
    EXPECT_EQ(AgreementScrollY, 64);
    SendMessageW(agreement, WM_SIZE, 0, MAKELPARAM(236, 400));
    EXPECT_EQ(AgreementMaxY, 74 - 25 + 2);
    EXPECT_EQ(AgreementScrollY, 51);
    EXPECT_EQ(BarPosition(SB_VERT), 51);
}

TEST_F(AgreementTest, HorizontalRequestsMoveByPixels) {
    Open(0x0409);
    UseExampleMetrics();
    Horizontal(SB_LINERIGHT);
    EXPECT_EQ(AgreementScrollX, 8);
    Horizontal(SB_LINELEFT);
    EXPECT_EQ(AgreementScrollX, 0);
    Horizontal(SB_THUMBTRACK, 300);
    EXPECT_EQ(AgreementScrollX, 300);
    Horizontal(SB_PAGERIGHT);
    EXPECT_EQ(AgreementScrollX, 364);
    EXPECT_EQ(BarPosition(SB_HORZ), 364);
    Horizontal(SB_PAGELEFT);
    EXPECT_EQ(AgreementScrollX, 128);
    Horizontal(SB_PAGELEFT);
    EXPECT_EQ(AgreementScrollX, 0);
    Horizontal(SB_ENDSCROLL);
    EXPECT_EQ(AgreementScrollX, 0);
}

TEST_F(AgreementTest, VerticalRequestsMoveByLines) {
    Open(0x0409);
    UseExampleMetrics();
    Vertical(SB_LINEDOWN);
    EXPECT_EQ(AgreementScrollY, 1);
    Vertical(SB_PAGEDOWN);
    EXPECT_EQ(AgreementScrollY, 13);
    Vertical(SB_THUMBTRACK, 40); // the bar's own thumb reports lines
    EXPECT_EQ(AgreementScrollY, 40);
    Vertical(SB_PAGEUP);
    EXPECT_EQ(AgreementScrollY, 28);
    Vertical(SB_BOTTOM);
    EXPECT_EQ(AgreementScrollY, 64);
    EXPECT_EQ(BarPosition(SB_VERT), 64);
    Vertical(SB_LINEDOWN);
    EXPECT_EQ(AgreementScrollY, 64);
    Vertical(SB_TOP);
    EXPECT_EQ(AgreementScrollY, 0);

    // Line up at the top changes nothing and repaints nothing.
    UpdateWindow(agreement);
    ASSERT_FALSE(NeedsRepaint());
    Vertical(SB_LINEUP);
    EXPECT_EQ(AgreementScrollY, 0);
    EXPECT_FALSE(NeedsRepaint());
    Vertical(SB_LINEDOWN);
    EXPECT_TRUE(NeedsRepaint());
}

TEST_F(AgreementTest, DragsBeyondFourPixelsScrollAgainOnEveryMove) {
    Open(0x0409);
    UseExampleMetrics();
    // Each move from the press point at (100, 100), and the positions after it.
    struct Step {
        int x, y, scrollX, scrollY;
    };
    const Step steps[] = {
        {104, 96, 0, 0},
        {96, 104, 0, 0},  // 4 pixels either way: nothing
        {95, 100, 5, 0},  // 5 left: the view goes 5 right...
        {95, 100, 10, 0}, // ...and again on every move
        {110, 100, 0, 0},
        // Vertically the drag moves by whole lines of its travel, alike up and down.
        {100, 95, 0, 0},
        {100, 67, 0, 2},
        {100, 67, 0, 4},
        {100, 105, 0, 4},
        {100, 120, 0, 3}};
    StylusDown(agreement, 100, 100);
    for (const Step& step : steps) {
        StylusMove(agreement, step.x, step.y);
        EXPECT_EQ(AgreementScrollX, step.scrollX) << step.x << "," << step.y;
        EXPECT_EQ(AgreementScrollY, step.scrollY) << step.x << "," << step.y;
    }
    StylusUp(agreement, 100, 120);
    // A mouse hovering with no button down is no drag.
    SendMessageW(agreement, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(AgreementScrollX, 0);
    EXPECT_EQ(AgreementScrollY, 3);
}

TEST_F(AgreementTest, MissingTextIsReportedAndLeavesAnEmptyWindow) {
    // A module without the agreement texts, where the classes are known too.
    SetupInstance = GetModuleHandleW(L"kernel32.dll");
    RegisterSetupClasses(SetupInstance);
    AnswerNextBox(IDOK);
    SendMessageW(main, WM_COMMAND, CMD_SHOW_AGREEMENT, 0);
    SetupInstance = GetModuleHandleW(nullptr);
    ASSERT_EQ(SeenBoxes().size(), 1u);
    EXPECT_EQ(SeenBoxes()[0].caption, L"Message");
    EXPECT_EQ(SeenBoxes()[0].text, L"could not load resource");
    ASSERT_NE(AgreementWindow, nullptr);
    EXPECT_EQ(AgreementText, nullptr);
    EXPECT_EQ(AgreementLineCount, 0);
    agreement = AgreementWindow;
    UpdateWindow(agreement);
    EXPECT_EQ(WindowPixel(agreement, 20, 20), RGB(255, 255, 255));
    // The buttons still work.
    SendMessageW(main, WM_COMMAND, IDC_EXIT, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(main));
}

// A text resource whole, its byte-order mark included; empty when it is missing.
std::wstring ResourceText(const wchar_t* name) {
    HRSRC found = FindResourceW(SetupInstance, name, L"TEXT");
    if (!found) return L"";
    const wchar_t* text = (const wchar_t*)LockResource(LoadResource(SetupInstance, found));
    return text ? std::wstring(text, SizeofResource(SetupInstance, found) / 2) : L"";
}

// The words of a text, one space between each.
std::wstring Words(const std::wstring& text) {
    std::wstring words;
    for (size_t i = 0; i < text.size(); i++) {
        if (!iswspace(text[i]))
            words += text[i];
        else if (!words.empty() && words.back() != L' ')
            words += L' ';
    }
    return words;
}

TEST(AgreementText, ResourcesAreUtf16WithMarkCrLfAndEndMark) {
    for (const wchar_t* name : {L"AGREEMENT_EN", L"agreement_jp"}) {
        std::wstring text = ResourceText(name);
        ASSERT_GT(text.size(), 2u) << name;
        EXPECT_EQ(text[0], 0xFEFF);
        EXPECT_EQ(text.substr(text.size() - 3), L"\r\n%");
        EXPECT_EQ(text.find(L'%'), text.size() - 1);
        size_t lineFeeds = 0, crLf = 0;
        for (size_t i = 1; i < text.size(); i++) {
            lineFeeds += text[i] == L'\n';
            crLf += text[i] == L'\n' && text[i - 1] == L'\r';
        }
        EXPECT_EQ(crLf, lineFeeds);
    }
    // The icons the program file and both window classes show.
    EXPECT_NE(LoadIconW(SetupInstance, L"VORN"), nullptr);
    EXPECT_NE(LoadIconW(SetupInstance, L"Setup"), nullptr);
}

// One licence everywhere: the English agreement holds the LICENSE file word for word, the
// Japanese one names it with the same copyright line.
TEST(AgreementText, BothStateTheLicenceOfTheLicenseFile) {
    std::vector<BYTE> bytes = ReadWholeFile(LICENSE_FILE);
    ASSERT_FALSE(bytes.empty());
    std::wstring licence(bytes.begin(), bytes.end());
    ASSERT_EQ(licence.rfind(L"MIT License", 0), 0u);
    EXPECT_NE(Words(ResourceText(L"AGREEMENT_EN")).find(Words(licence)), std::wstring::npos);
    size_t copyright = licence.find(L"Copyright (c)");
    ASSERT_NE(copyright, std::wstring::npos);
    std::wstring copyrightLine =
        licence.substr(copyright, licence.find(L'\n', copyright) - copyright);
    std::wstring japanese = ResourceText(L"AGREEMENT_JP");
    EXPECT_NE(japanese.find(L"MIT ライセンス"), std::wstring::npos);
    EXPECT_NE(japanese.find(copyrightLine + L"\r\n"), std::wstring::npos);
}

TEST(AgreementText, StopsAtTheEndMarkOrTheEndOfTheResource) {
    int lines = -1;
    const wchar_t marked[] = L"\xFEFF"
                             L"one\r\ntwo\r\n%ignored\r\n";
    WCHAR* text = PrepareAgreementText(marked, wcslen(marked), &lines);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, L"one\r\ntwo\r\n");
    EXPECT_EQ(lines, 2);
    LocalFree(text);
    // No end mark and no NUL: the walk ends with the resource.
    const wchar_t unmarked[3] = {L'a', L'\n', L'b'};
    text = PrepareAgreementText(unmarked, 3, &lines);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, L"a\nb");
    EXPECT_EQ(lines, 1);
    LocalFree(text);
}

} // namespace
