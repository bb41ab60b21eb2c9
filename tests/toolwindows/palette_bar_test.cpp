// The palette bar: the colour cells and the indicator on screen, and what each tap sets.
#include "test_support.h"
#include "tool_window_fixture.h"

static const COLORREF Black = RGB(0, 0, 0);

// How many pixels of the inner indicator rectangle's top edge, (5,163) to (24,163), show
// the colour: its dashes.
static int DashPixels(HWND bar, COLORREF color) {
    int n = 0;
    for (int x = 5; x < 25; x++)
        n += WindowPixel(bar, x, 163) == color;
    return n;
}

class PaletteBar : public ToolWindowTest {
  protected:
    // A client area 31 x 170 gives cells of 10 pixels: the colour column is x 0 to 29.
    HWND MakeBar() { return MakeChild(L"Palette", 31, 170); }
};

TEST_F(PaletteBar, ShowsEachEntryInItsRowRuledByBlackLines) {
    HWND bar = MakeBar();
    EXPECT_EQ(10, PaletteCell);
    for (int row = 0; row < PALETTE_SIZE; row++) {
        EXPECT_EQ(PaletteColors[row], WindowPixel(bar, 15, row * 10 + 5)) << row;
        EXPECT_EQ(Black, WindowPixel(bar, 15, row * 10)) << "rule above row " << row;
        EXPECT_EQ(Black, WindowPixel(bar, 0, row * 10 + 5));
        EXPECT_EQ(Black, WindowPixel(bar, 30, row * 10 + 5)) << "right edge of the column";
    }
}

TEST_F(PaletteBar, IndicatorShowsLineColourOutsideAndFillColourInside) {
    LineColor = RGB(255, 0, 0);
    FillColor = RGB(0, 0, 255);
    HWND bar = MakeBar();
    // Outer rectangle (1,160)-(31,170), inner (5,163)-(25,167).
    EXPECT_EQ(Black, WindowPixel(bar, 0, 165)) << "the white background's border";
    EXPECT_EQ(LineColor, WindowPixel(bar, 1, 165)) << "no visible frame while taps set the fill";
    EXPECT_EQ(LineColor, WindowPixel(bar, 2, 161));
    EXPECT_EQ(LineColor, WindowPixel(bar, 27, 168));
    EXPECT_EQ(FillColor, WindowPixel(bar, 6, 164));
    EXPECT_EQ(FillColor, WindowPixel(bar, 23, 165));
    int dashes = DashPixels(bar, Black);
    EXPECT_GT(dashes, 5) << "dashed frame in palette entry 0";
    EXPECT_LT(dashes, 20);

    // Taking the outer part frames it with dashes, drawn at once.
    StylusDown(bar, 27, 165);
    EXPECT_EQ(1, PaletteTarget);
    EXPECT_FALSE(HasUpdateRegion(bar));
    EXPECT_EQ(Black, WindowPixel(bar, 1, 160)) << "first dash";
    EXPECT_EQ(LineColor, WindowPixel(bar, 2, 161));
    StylusDown(bar, 15, 165);
    EXPECT_EQ(0, PaletteTarget);
}

TEST_F(PaletteBar, PrimaryTapSetsTheTargetColourSecondaryTheLineColour) {
    HWND bar = MakeBar();
    PaletteTarget = 0;
    StylusDown(bar, 25, 35);
    EXPECT_EQ(0x808000u, FillColor) << "row 3";
    EXPECT_EQ(0u, LineColor);
    EXPECT_TRUE(HasUpdateRegion(bar));

    for (int x : {0, 29}) {
        StylusDown(bar, x, 125);
        EXPECT_EQ(PaletteColors[12], FillColor) << x;
    }
    FillColor = 7;
    StylusDown(bar, 30, 125); // right of the colour column
    StylusDown(bar, 15, 170); // below the indicator row
    StylusDown(bar, 15, 200);
    EXPECT_EQ(7u, FillColor);
    EXPECT_EQ(0u, LineColor);

    SendMessageW(bar, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 95));
    EXPECT_EQ(PaletteColors[9], LineColor);
    EXPECT_EQ(7u, FillColor);
    EXPECT_EQ(0, PaletteTarget);
    SendMessageW(bar, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 165)); // indicator: nothing
    EXPECT_EQ(PaletteColors[9], LineColor);
    EXPECT_EQ(0, PaletteTarget);

    PaletteTarget = 1;
    StylusDown(bar, 10, 5);
    EXPECT_EQ(0u, LineColor);
    EXPECT_EQ(7u, FillColor);
}

TEST_F(PaletteBar, IndicatorZonesChooseWhatATapSets) {
    HWND bar = MakeBar();
    const int taps[][2] = {{5, 1}, {6, 0}, {24, 0}, {25, 1}, {0, 1}, {29, 1}};
    for (auto& tap : taps) {
        PaletteTarget = 1 - tap[1];
        StylusDown(bar, tap[0], 161);
        EXPECT_EQ(tap[1], PaletteTarget) << "x " << tap[0];
    }
}

TEST_F(PaletteBar, ShowsAReplacedPaletteAndKeepsTheChosenColours) {
    HWND bar = MakeBar();
    LineColor = PaletteColors[4];
    FillColor = PaletteColors[9];
    PaletteColors[0] = RGB(0, 128, 0);
    PaletteColors[3] = 0x123456;
    InvalidateRect(bar, nullptr, TRUE);
    UpdateWindow(bar);
    EXPECT_EQ(0x123456u, WindowPixel(bar, 15, 35));
    EXPECT_GT(DashPixels(bar, RGB(0, 128, 0)), 5) << "dashes take entry 0's colour";
    EXPECT_EQ(0x000080u, LineColor);
    EXPECT_EQ(0xFF0000u, FillColor);
}

TEST_F(PaletteBar, TooSmallForCellsIgnoresTaps) {
    HWND bar = MakeBar();
    SetClientSize(bar, 31, 12);
    EXPECT_EQ(0, PaletteCell);
    StylusDown(bar, 5, 5);
    SendMessageW(bar, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(0u, FillColor);
    EXPECT_EQ(0u, LineColor);
}
