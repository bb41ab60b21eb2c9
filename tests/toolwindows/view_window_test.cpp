// The view window: scroll ranges and clamping, canvas placement, the start picture and the
// rubber band.
#include "test_support.h"
#include "tool_window_fixture.h"

static const COLORREF Grey = RGB(128, 128, 128);

class View : public ToolWindowTest {
  protected:
    HWND MakeView(int width, int height) {
        HWND view = MakeChild(L"View Window", width, height, WS_HSCROLL | WS_VSCROLL);
        ViewWindow = view;
        return view;
    }
    // A view holding a stand-in canvas that it places.
    HWND MakeViewWithCanvas(int width, int height, HWND* canvas) {
        HWND view = MakeView(width, height);
        *canvas = MakeStandInCanvas(view);
        ImageWindows[0] = *canvas;
        NoCanvas = 0;
        UpdateViewScrolling();
        return view;
    }
    static int Maximum(HWND view, int bar) {
        SCROLLINFO info = {sizeof info, SIF_ALL};
        GetScrollInfo(view, bar, &info);
        return info.nMax;
    }
    static int Position(HWND view, int bar) {
        SCROLLINFO info = {sizeof info, SIF_ALL};
        GetScrollInfo(view, bar, &info);
        return info.nPos;
    }
    static void Scroll(HWND view, UINT message, int request, int thumb = 0) {
        SendMessageW(view, message, MAKEWPARAM(request, thumb), 0);
    }
};

TEST_F(View, WideImageScrollsToItsMaximumAndNoFurther) {
    HWND canvas;
    HWND view = MakeViewWithCanvas(180, 180, &canvas);
    EXPECT_EQ(141, Maximum(view, SB_HORZ)) << "320 + 1 - 180";
    EXPECT_EQ(141, Maximum(view, SB_VERT));

    Scroll(view, WM_HSCROLL, SB_THUMBTRACK, 130);
    EXPECT_EQ(130, ViewScrollX);
    for (int i = 0; i < 6; i++)
        Scroll(view, WM_HSCROLL, SB_LINEDOWN);
    EXPECT_EQ(141, ViewScrollX);
    EXPECT_EQ(141, Position(view, SB_HORZ));
    POINT at = PositionInParent(canvas);
    EXPECT_EQ(-142, at.x);
    EXPECT_EQ(-1, at.y);
    RECT r;
    GetWindowRect(canvas, &r);
    EXPECT_EQ(322, r.right - r.left);
    EXPECT_EQ(322, r.bottom - r.top);

    Scroll(view, WM_HSCROLL, SB_PAGEUP);
    EXPECT_EQ(0, ViewScrollX) << "a page is the view's width";
    Scroll(view, WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(141, ViewScrollY);
    Scroll(view, WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(133, ViewScrollY);
    Scroll(view, WM_VSCROLL, SB_TOP);
    EXPECT_EQ(0, ViewScrollY);
    Scroll(view, WM_HSCROLL, SB_BOTTOM); // the horizontal bar ignores far left and right
    EXPECT_EQ(0, ViewScrollX);
    Scroll(view, WM_HSCROLL, SB_THUMBTRACK, 500);
    EXPECT_EQ(141, ViewScrollX);
    Scroll(view, WM_HSCROLL, SB_BOTTOM + 1);
    EXPECT_EQ(141, ViewScrollX);
    EXPECT_EQ(-142, PositionInParent(canvas).x);
}

TEST_F(View, ImageNarrowerThanTheViewDoesNotScroll) {
    CanvasWidth = CanvasHeight = 16;
    HWND canvas;
    HWND view = MakeViewWithCanvas(180, 180, &canvas);
    EXPECT_EQ(0, Maximum(view, SB_HORZ));
    MoveWindow(canvas, 40, 40, 10, 10, FALSE);
    ValidateRect(view, nullptr);
    Scroll(view, WM_HSCROLL, SB_LINEDOWN);
    EXPECT_EQ(0, ViewScrollX);
    POINT at = PositionInParent(canvas);
    EXPECT_EQ(-1, at.x) << "re-placed all the same";
    EXPECT_EQ(-1, at.y);
}

TEST_F(View, PageDownInATinyViewMovesEightPixels) {
    HWND view = MakeView(180, 5);
    EXPECT_EQ(316, Maximum(view, SB_VERT));
    Scroll(view, WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(8, ViewScrollY);
    Scroll(view, WM_VSCROLL, SB_THUMBTRACK, 312);
    Scroll(view, WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(316, ViewScrollY) << "less where the maximum is nearer";
}

TEST_F(View, GrowingTheViewPullsTheCanvasBackIntoRange) {
    HWND canvas;
    HWND view = MakeViewWithCanvas(180, 180, &canvas);
    Scroll(view, WM_HSCROLL, SB_THUMBTRACK, 141);
    Scroll(view, WM_VSCROLL, SB_THUMBTRACK, 100);
    SetClientSize(view, 300, 250);
    EXPECT_EQ(21, Maximum(view, SB_HORZ));
    EXPECT_EQ(21, ViewScrollX);
    EXPECT_EQ(71, ViewScrollY);
    POINT at = PositionInParent(canvas);
    EXPECT_EQ(-22, at.x);
    EXPECT_EQ(-72, at.y);
}

TEST_F(View, ScaleAndImageChangesReRangeTheView) {
    HWND canvas;
    HWND view = MakeViewWithCanvas(180, 180, &canvas);
    Scroll(view, WM_HSCROLL, SB_THUMBTRACK, 141);
    Scroll(view, WM_VSCROLL, SB_THUMBTRACK, 141);

    Scale = 5; // the view's size stays the same, so the main window tells it
    UpdateViewScrolling();
    EXPECT_EQ(0, ViewScrollX);
    EXPECT_EQ(0, Maximum(view, SB_HORZ));
    POINT at = PositionInParent(canvas);
    EXPECT_EQ(-1, at.x);
    RECT r;
    GetWindowRect(canvas, &r);
    EXPECT_EQ(162, r.right - r.left);

    Scale = 20;
    UpdateViewScrolling();
    RECT client;
    GetClientRect(view, &client);
    EXPECT_EQ(641 - client.right, Maximum(view, SB_HORZ));
    Scroll(view, WM_HSCROLL, SB_THUMBTRACK, 400);
    EXPECT_EQ(400, ViewScrollX);

    // Nobody told the view this time: a scroll still keeps the canvas in range.
    CanvasWidth = CanvasHeight = 16;
    Scroll(view, WM_HSCROLL, SB_LINEUP);
    EXPECT_EQ(321 - client.right - 8, ViewScrollX);
    EXPECT_EQ(321 - client.right, Maximum(view, SB_HORZ));
    EXPECT_EQ(-1 - ViewScrollX, PositionInParent(canvas).x);
}

class StartPicture : public View {
  protected:
    // Expects the six sample icons in a grid, each shown at 64 x 64 from the given origins.
    void ExpectIcons(HWND view, const std::vector<int>& xs, const std::vector<int>& ys) {
        // One pixel of each icon that is plainly its own, in icon pixels, and its colour.
        struct Sample {
            int x, y;
            COLORREF color;
        };
        static const Sample samples[6] = {
            {5, 25, RGB(192, 192, 192)}, // camera body
            {20, 14, RGB(255, 255, 0)},  // key shaft
            {5, 4, RGB(255, 255, 255)},  // sheet of paper
            {8, 20, RGB(255, 255, 255)}, // cup
            {2, 2, RGB(255, 0, 0)},      // the emblem's first tile
            {16, 5, RGB(0, 0, 128)},     // badge
        };
        int columns = (int)xs.size();
        for (int k = 0; k < 6; k++) {
            int left = xs[k % columns], top = ys[k / columns];
            EXPECT_EQ(samples[k].color,
                      WindowPixel(view, left + 2 * samples[k].x + 1, top + 2 * samples[k].y + 1))
                << "icon " << k;
        }
    }
};

TEST_F(StartPicture, TallViewHasBandsAndTwoColumns) {
    HWND view = MakeView(180, 228);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(RGB(0, 0, 255 - 24 * i), WindowPixel(view, 2, i * 28)) << "band " << i;
        EXPECT_EQ(RGB(0, 0, 255 - 24 * i), WindowPixel(view, 179, i * 28 + 27)) << "band " << i;
    }
    for (int y = 224; y < 228; y++)
        EXPECT_EQ(Grey, WindowPixel(view, 2, y)) << y;
    ExpectIcons(view, {17, 98}, {9, 82, 155});
    // Left of the first icon and between the columns the bands show.
    EXPECT_EQ(RGB(0, 0, 255), WindowPixel(view, 16, 20));
    EXPECT_EQ(RGB(0, 0, 255), WindowPixel(view, 17 + 64, 20));
}

TEST_F(StartPicture, WideViewHasThreeColumns) {
    HWND view = MakeView(300, 180);
    ExpectIcons(view, {27, 118, 209}, {17, 98});
}

TEST_F(StartPicture, ShownOnlyWithoutACanvas) {
    NoCanvas = 0;
    HWND view = MakeView(180, 228);
    EXPECT_EQ(Grey, WindowPixel(view, 2, 2));
    EXPECT_EQ(Grey, WindowPixel(view, 17 + 11, 9 + 51));
}

TEST_F(View, RubberBandDraggedUpAndLeftAndGoneOnRelease) {
    NoCanvas = 0;
    HWND view = MakeView(180, 180);
    const COLORREF Inverted = RGB(127, 127, 127);
    StylusDown(view, 100, 50);
    StylusMove(view, 60, 30);
    EXPECT_EQ(Inverted, WindowPixel(view, 60, 40)) << "intermediate outline";
    StylusMove(view, 20, 10);
    EXPECT_EQ(Grey, WindowPixel(view, 60, 40)) << "intermediate outline taken away";
    for (POINT p : {POINT{20, 10}, POINT{99, 10}, POINT{20, 49}, POINT{99, 49}, POINT{60, 10},
                    POINT{20, 30}, POINT{99, 30}, POINT{60, 49}})
        EXPECT_EQ(Inverted, WindowPixel(view, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(Grey, WindowPixel(view, 60, 30)) << "hollow";
    EXPECT_EQ(Grey, WindowPixel(view, 19, 10));
    EXPECT_EQ(Grey, WindowPixel(view, 100, 50));
    StylusUp(view, 20, 10);
    PumpMessages();
    for (POINT p : {POINT{20, 10}, POINT{99, 49}, POINT{60, 10}})
        EXPECT_EQ(Grey, WindowPixel(view, p.x, p.y)) << p.x << "," << p.y;

    // A second drag starts afresh.
    StylusDown(view, 10, 10);
    StylusMove(view, 30, 30);
    EXPECT_EQ(Inverted, WindowPixel(view, 10, 20));
    StylusUp(view, 30, 30);
    EXPECT_EQ(Grey, WindowPixel(view, 10, 20));
}

TEST_F(View, RubberBandEndsWhenTheViewLosesTheStylus) {
    NoCanvas = 0;
    HWND view = MakeView(180, 180);
    HWND other = MakeStandInCanvas(nullptr);
    StylusDown(view, 10, 10);
    StylusMove(view, 30, 30);
    EXPECT_EQ(view, GetCapture()) << "the band follows the stylus outside the view";
    EXPECT_EQ(RGB(127, 127, 127), WindowPixel(view, 10, 20));
    SetCapture(other);
    ReleaseCapture();
    EXPECT_EQ(Grey, WindowPixel(view, 10, 20)) << "taken away";
    StylusMove(view, 50, 50);
    EXPECT_EQ(Grey, WindowPixel(view, 10, 40)) << "no drag left to follow";
    StylusUp(view, 50, 50);
}

namespace {
std::vector<UINT> ParentWheels;
LRESULT CALLBACK WheelRecordingParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEWHEEL) ParentWheels.push_back(GET_KEYSTATE_WPARAM(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}
void Wheel(HWND view, int turn, int keys = 0, UINT message = WM_MOUSEWHEEL) {
    SendMessageW(view, message, MAKEWPARAM(keys, turn), 0);
}
} // namespace

// A notch is a line request (8 pixels): down toward the user, left with Shift; turns short of
// a notch add up; Ctrl+wheel is the main window's (the scale) and scrolls nothing here.
TEST_F(View, WheelScrollsALineANotchAndAddsUpSmallTurns) {
    HWND canvas;
    HWND view = MakeViewWithCanvas(180, 180, &canvas);
    SetWindowLongPtrW(GetParent(view), GWLP_WNDPROC, (LONG_PTR)WheelRecordingParent);
    ParentWheels.clear();
    Scroll(view, WM_VSCROLL, SB_THUMBTRACK, 50);
    Scroll(view, WM_HSCROLL, SB_THUMBTRACK, 40);

    Wheel(view, -WHEEL_DELTA);
    EXPECT_EQ(58, ViewScrollY);
    Wheel(view, 2 * WHEEL_DELTA);
    EXPECT_EQ(42, ViewScrollY);
    for (int i = 0; i < 2; i++)
        Wheel(view, -WHEEL_DELTA / 3);
    EXPECT_EQ(42, ViewScrollY) << "two thirds of a notch";
    Wheel(view, -WHEEL_DELTA / 3);
    EXPECT_EQ(50, ViewScrollY);
    EXPECT_EQ(-51, PositionInParent(canvas).y);
    EXPECT_EQ(50, Position(view, SB_VERT));

    Wheel(view, -WHEEL_DELTA, MK_SHIFT);
    EXPECT_EQ(48, ViewScrollX);
    Wheel(view, WHEEL_DELTA, MK_SHIFT);
    EXPECT_EQ(40, ViewScrollX);
    Wheel(view, WHEEL_DELTA, 0, WM_MOUSEHWHEEL); // tilted right
    EXPECT_EQ(48, ViewScrollX);
    EXPECT_EQ(-49, PositionInParent(canvas).x);
    EXPECT_EQ(50, ViewScrollY);
    for (int i = 0; i < 30; i++)
        Wheel(view, -WHEEL_DELTA);
    EXPECT_EQ(141, ViewScrollY) << "no further than the scroll bar goes";

    Wheel(view, WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(141, ViewScrollY);
    EXPECT_EQ(48, ViewScrollX);
    EXPECT_EQ(std::vector<UINT>{MK_CONTROL}, ParentWheels);
}
