// The monitors: the image at actual and half size, plain and through the mask, following
// every stylus move.
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>

class Monitors : public testing::Test {
  protected:
    void TearDown() override { CloseCanvas(); }
    // A red 2 x 2 square at (4, 6) and a blue pixel at (9, 1).
    static void PaintMarks() {
        for (int i = 0; i < 4; i++)
            PaintImagePixel(4 + i % 2, 6 + i / 2, COLOR_RED);
        PaintImagePixel(9, 1, COLOR_BLUE);
    }
};

TEST_F(Monitors, ShowTheImageAtActualAndHalfSize) {
    HWND canvas = OpenCanvas(32, 32, 10);
    PaintMarks();
    HWND full = OpenMonitor(1, 400, 10);
    HWND half = OpenMonitor(2, 400, 60);
    EXPECT_EQ(COLOR_RED, WindowPixel(full, 4, 6));
    EXPECT_EQ(COLOR_RED, WindowPixel(full, 5, 7));
    EXPECT_EQ(COLOR_BLUE, WindowPixel(full, 9, 1));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(full, 31, 31));
    EXPECT_EQ(COLOR_MONITOR_BACKGROUND, WindowPixel(full, 32, 32));
    EXPECT_EQ(COLOR_RED, WindowPixel(half, 2, 3));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(half, 15, 15));
    EXPECT_EQ(COLOR_MONITOR_BACKGROUND, WindowPixel(half, 16, 16));

    // Each move of a stroke reaches both monitors before the release.
    StylusDown(canvas, 205, 205);
    StylusMove(canvas, 245, 205);
    EXPECT_EQ(COLOR_BLACK, WindowPixel(full, 20, 20));
    EXPECT_EQ(COLOR_BLACK, WindowPixel(full, 23, 20));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(full, 24, 20));
    StylusUp(canvas, 245, 205);
    PumpMessages();

    EXPECT_EQ(0, SendMessageW(full, WM_CLOSE, 0, 0));
    EXPECT_EQ(nullptr, ImageWindows[1]);
    EXPECT_EQ(half, ImageWindows[2]);
}

TEST_F(Monitors, HalfSizeMonitorOfA16x16ImageShows8x8) {
    OpenCanvas(16, 16, 10);
    PaintMarks();
    HWND half = OpenMonitor(2, 400, 60);
    EXPECT_EQ(COLOR_RED, WindowPixel(half, 2, 3));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(half, 7, 7));
    EXPECT_EQ(COLOR_MONITOR_BACKGROUND, WindowPixel(half, 8, 8));
    EXPECT_EQ(COLOR_MONITOR_BACKGROUND, WindowPixel(half, 3, 9));
}

TEST_F(Monitors, TransparentPixelsShowTheMonitorBackground) {
    for (int size = 16; size <= 32; size += 16) {
        HWND canvas = OpenCanvas(size, size, 10);
        PaintMarks();
        UseFreshMask();
        HWND full = size == 32 ? OpenMonitor(1, 400, 10) : nullptr;
        HWND half = OpenMonitor(2, 400, 60);
        OpacityTool = 1;
        // Make the red square transparent, and (9, 1) too.
        CurrentTool = TOOL_FILLRECT;
        StylusDrag(canvas, 45, 65, 65, 85);
        CurrentTool = TOOL_PEN;
        StylusDown(canvas, 95, 15);
        StylusUp(canvas, 95, 15);
        PumpMessages();
        for (HWND monitor : {full, half})
            if (monitor) FullRepaint(monitor);
        if (full) {
            EXPECT_EQ(COLOR_MONITOR_BACKGROUND, WindowPixel(full, 4, 6));
            EXPECT_EQ(COLOR_MONITOR_BACKGROUND, WindowPixel(full, 9, 1));
            EXPECT_EQ(COLOR_WHITE, WindowPixel(full, 6, 6));
        }
        EXPECT_EQ(COLOR_MONITOR_BACKGROUND, WindowPixel(half, 2, 3)) << size;
        EXPECT_EQ(COLOR_WHITE, WindowPixel(half, 3, 3)) << size;
        CloseCanvas();
    }
}

TEST_F(Monitors, ShowTheTopLeftCornerOfAnImageLargerThanThemselves) {
    OpenCanvas(64, 64, 10);
    for (int i = 0; i < 4; i++) {
        PaintImagePixel(6 + i % 2, 10 + i / 2, COLOR_RED);
        PaintImagePixel(36 + i % 2, 2 + i / 2, COLOR_BLUE); // right of the half monitor
    }
    PaintImagePixel(20, 21, COLOR_BLUE);
    HWND full = OpenMonitor(1, 400, 10);
    HWND half = OpenMonitor(2, 400, 60);
    EXPECT_EQ(COLOR_RED, WindowPixel(full, 7, 11));
    EXPECT_EQ(COLOR_BLUE, WindowPixel(full, 20, 21));
    EXPECT_EQ(COLOR_RED, WindowPixel(half, 3, 5));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(half, 4, 5));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(half, 17, 1));
    UseFreshMask();
    FullRepaint(half);
    EXPECT_EQ(COLOR_RED, WindowPixel(half, 3, 5));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(half, 17, 17));
}
