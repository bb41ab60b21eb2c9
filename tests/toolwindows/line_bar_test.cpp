// The line bar: which bars show at a scale, where their marks stand, and which taps pick.
#include "test_support.h"
#include "tool_window_fixture.h"

static const COLORREF White = RGB(255, 255, 255);
static const COLORREF Black = RGB(0, 0, 0);

class LineBar : public ToolWindowTest {
  protected:
    HWND MakeBar() { return MakeChild(L"LineBar", 81, 32); }
    // The bar columns painted black along row 15, as left..right ranges.
    std::vector<std::pair<int, int>> Bars(HWND bar) {
        std::vector<std::pair<int, int>> found;
        for (int x = 0; x < 81; x++) {
            if (WindowPixel(bar, x, 15) != Black) continue;
            if (!found.empty() && found.back().second == x - 1)
                found.back().second = x;
            else
                found.push_back({x, x});
        }
        return found;
    }
    // Which width a tap at x selects, 0 for none.
    int TapPicks(HWND bar, int x) {
        LineWidth = 0;
        StylusDown(bar, x, 16);
        return LineWidth;
    }
};

using Ranges = std::vector<std::pair<int, int>>;

TEST_F(LineBar, AtTheStartScaleThreeBarsWithTheirTapZones) {
    HWND bar = MakeBar();
    EXPECT_EQ((Ranges{{4, 13}, {18, 37}, {42, 71}}), Bars(bar));
    EXPECT_EQ(White, WindowPixel(bar, 8, 4)) << "bars are 20 pixels high: 5 to 24";
    EXPECT_EQ(Black, WindowPixel(bar, 8, 5));
    EXPECT_EQ(Black, WindowPixel(bar, 8, 24));
    EXPECT_EQ(White, WindowPixel(bar, 8, 25));
    for (int x : {0, 1, 74, 79, 80})
        EXPECT_EQ(0, TapPicks(bar, x)) << x;
    for (int x : {2, 15})
        EXPECT_EQ(1, TapPicks(bar, x)) << x;
    for (int x : {16, 39})
        EXPECT_EQ(2, TapPicks(bar, x)) << x;
    for (int x : {40, 73})
        EXPECT_EQ(3, TapPicks(bar, x)) << x;
}

TEST_F(LineBar, TrianglesPointAtTheChosenBar) {
    LineWidth = 2; // bar 18..37, centre 28
    HWND bar = MakeBar();
    for (int y : {0, 29}) {
        EXPECT_EQ(White, WindowPixel(bar, 24, y));
        for (int x = 25; x <= 30; x++)
            EXPECT_EQ(Black, WindowPixel(bar, x, y)) << x << "," << y;
        EXPECT_EQ(White, WindowPixel(bar, 31, y));
    }
    for (int y : {2, 27}) {
        EXPECT_EQ(White, WindowPixel(bar, 26, y));
        EXPECT_EQ(Black, WindowPixel(bar, 27, y));
        EXPECT_EQ(Black, WindowPixel(bar, 28, y));
        EXPECT_EQ(White, WindowPixel(bar, 29, y));
    }
    EXPECT_EQ(White, WindowPixel(bar, 28, 3)) << "the tip line is empty";
    EXPECT_EQ(White, WindowPixel(bar, 9, 0)) << "width 1 is not marked";

    // A tap moves the mark.
    StylusDown(bar, 5, 16);
    UpdateWindow(bar);
    EXPECT_EQ(1, LineWidth);
    EXPECT_EQ(Black, WindowPixel(bar, 9, 0));
    EXPECT_EQ(White, WindowPixel(bar, 28, 0));
}

TEST_F(LineBar, AtScaleOneAllEightBarsShow) {
    Scale = 1;
    LineWidth = 12;
    HWND bar = MakeBar();
    EXPECT_EQ((Ranges{{4, 4}, {9, 10}, {15, 17}, {22, 25}, {30, 34}, {39, 45}, {50, 58}, {63, 74}}),
              Bars(bar));
    EXPECT_EQ(Black, WindowPixel(bar, 63 + 6, 0)) << "width 12 marked at its centre";
    EXPECT_EQ(9, TapPicks(bar, 60));
    EXPECT_EQ(12, TapPicks(bar, 61));
    EXPECT_EQ(12, TapPicks(bar, 76)) << "picked beyond the bar's right edge";
    EXPECT_EQ(0, TapPicks(bar, 77));
}

TEST_F(LineBar, AtScaleElevenAHiddenBarCanStillBePicked) {
    Scale = 11;
    LineWidth = 3;
    HWND bar = MakeBar();
    EXPECT_EQ((Ranges{{4, 14}, {19, 40}}), Bars(bar));
    for (int x = 0; x < 81; x++)
        EXPECT_EQ(White, WindowPixel(bar, x, 0)) << "no bar carries the mark, x " << x;
    EXPECT_EQ(2, TapPicks(bar, 42));
    EXPECT_EQ(3, TapPicks(bar, 43));
    EXPECT_EQ(3, TapPicks(bar, 79));
}

TEST_F(LineBar, FromScaleSeventyThreeNoBarShows) {
    for (int scale : {73, 74, 75}) {
        Scale = scale;
        HWND bar = MakeBar();
        EXPECT_TRUE(Bars(bar).empty()) << scale;
        EXPECT_EQ(0, TapPicks(bar, 1)) << scale;
        EXPECT_EQ(scale < 75 ? 1 : 0, TapPicks(bar, 2)) << scale;
        EXPECT_EQ(scale < 75 ? 1 : 0, TapPicks(bar, 78)) << scale;
        EXPECT_EQ(scale == 74 ? 1 : 0, TapPicks(bar, 79)) << scale;
        DestroyWindow(bar);
    }
    Scale = 100000000; // absurd: still nothing, no overflow into a pick
    HWND bar = MakeBar();
    EXPECT_EQ(0, TapPicks(bar, 40));
    LineWidth = 3;
    StylusDown(bar, 40, 16);
    EXPECT_EQ(3, LineWidth) << "an unpicked tap keeps the width";
}
