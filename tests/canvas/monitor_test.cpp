// The monitors: the image at actual and half size, plain and through the mask, following
// every stylus move.
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "file_builders.h"
#include "files/files.h"
#include "resources/resource_ids.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <vector>

#define BACKGROUND COLOR_MONITOR_BACKGROUND

class Monitors : public testing::Test {
  protected:
    void TearDown() override { CloseCanvas(); }
};

// A square of side x side image pixels at (x, y), painted in a colour.
struct Mark {
    int x, y, side;
    COLORREF color;
};

// A colour a monitor shows at (x, y); the monitors are kept in these image window slots.
enum { FULL = 1, HALF = 2 };
struct Shown {
    int monitor, x, y;
    COLORREF color;
};

static void ExpectShown(const std::vector<Shown>& pixels) {
    for (const Shown& p : pixels)
        EXPECT_EQ(p.color, WindowPixel(ImageWindows[p.monitor], p.x, p.y))
            << "monitor " << p.monitor << " at " << p.x << ", " << p.y;
}

// Each image size with its marks: what the monitors show as painted, and once the mode
// shows the mask, with the square at (4, 6) and the pixel (9, 1) made transparent.
// Only images 32 or more pixels wide have a full-size monitor.
struct MonitorCase {
    int size;
    std::vector<Mark> marks;
    std::vector<Shown> painted, masked;
};

static const MonitorCase MonitorCases[] = {
    {16,
     {Mark(4, 6, 2, COLOR_RED), Mark(9, 1, 1, COLOR_BLUE)},
     {Shown(HALF, 2, 3, COLOR_RED), Shown(HALF, 7, 7, COLOR_WHITE), Shown(HALF, 8, 8, BACKGROUND),
      Shown(HALF, 3, 9, BACKGROUND)},
     {Shown(HALF, 2, 3, BACKGROUND), Shown(HALF, 3, 3, COLOR_WHITE)}},
    {32,
     {Mark(4, 6, 2, COLOR_RED), Mark(9, 1, 1, COLOR_BLUE)},
     {Shown(FULL, 4, 6, COLOR_RED), Shown(FULL, 5, 7, COLOR_RED), Shown(FULL, 9, 1, COLOR_BLUE),
      Shown(FULL, 31, 31, COLOR_WHITE), Shown(FULL, 32, 32, BACKGROUND),
      Shown(HALF, 2, 3, COLOR_RED), Shown(HALF, 15, 15, COLOR_WHITE),
      Shown(HALF, 16, 16, BACKGROUND)},
     {Shown(FULL, 4, 6, BACKGROUND), Shown(FULL, 9, 1, BACKGROUND), Shown(FULL, 6, 6, COLOR_WHITE),
      Shown(HALF, 2, 3, BACKGROUND), Shown(HALF, 3, 3, COLOR_WHITE)}},
    // The monitors show the top-left corner of an image larger than themselves; the blue
    // square at (36, 2) lies right of what the half-size one shows.
    {64,
     {Mark(6, 10, 2, COLOR_RED), Mark(36, 2, 2, COLOR_BLUE), Mark(20, 21, 1, COLOR_BLUE)},
     {Shown(FULL, 7, 11, COLOR_RED), Shown(FULL, 20, 21, COLOR_BLUE), Shown(HALF, 3, 5, COLOR_RED),
      Shown(HALF, 4, 5, COLOR_WHITE), Shown(HALF, 17, 1, COLOR_WHITE)},
     {Shown(HALF, 3, 5, COLOR_RED), Shown(HALF, 17, 17, COLOR_WHITE)}},
};

TEST_F(Monitors, ShowTheImageAtActualAndHalfSizeFollowingStrokesAndThroughTheMask) {
    for (const MonitorCase& c : MonitorCases) {
        SCOPED_TRACE(testing::Message() << c.size << " x " << c.size << " image");
        HWND canvas = OpenCanvas(c.size, c.size, 10);
        for (const Mark& m : c.marks)
            for (int i = 0; i < m.side * m.side; i++)
                PaintImagePixel(m.x + i % m.side, m.y + i / m.side, m.color);
        HWND full = c.size >= 32 ? OpenMonitor(FULL, 400, 10) : nullptr;
        HWND half = OpenMonitor(HALF, 400, 60);
        ExpectShown(c.painted);
        if (full) { // each move of a stroke reaches the monitor before the release
            StylusDown(canvas, 205, 205);
            StylusMove(canvas, 245, 205);
            ExpectShown({Shown(FULL, 20, 20, COLOR_BLACK), Shown(FULL, 23, 20, COLOR_BLACK),
                         Shown(FULL, 24, 20, COLOR_WHITE)});
            StylusUp(canvas, 245, 205);
            PumpMessages();
        }

        UseFreshMask();
        OpacityTool = 1;
        CurrentTool = TOOL_FILLRECT;
        StylusDrag(canvas, 45, 65, 65, 85);
        CurrentTool = TOOL_PEN;
        StylusDown(canvas, 95, 15);
        StylusUp(canvas, 95, 15);
        PumpMessages();
        for (HWND monitor : {full, half})
            if (monitor) FullRepaint(monitor);
        ExpectShown(c.masked);
        if (full) { // closing one monitor leaves the other
            EXPECT_EQ(0, SendMessageW(full, WM_CLOSE, 0, 0));
            EXPECT_EQ(nullptr, ImageWindows[FULL]);
            EXPECT_EQ(half, ImageWindows[HALF]);
        }
        CloseCanvas();
    }
}

// Images of odd sizes opened from files: the half-size monitor shows the picture reduced to
// half its sides rounded down, the full-size one at its own size, and past either the
// background, in the plain view and through the mask (whose top-left 4 x 4 pixels are
// transparent).
TEST_F(Monitors, ShowImagesOfOddSizesOpenedFromFiles) {
    const std::wstring folder = MakeTestFolder(L"pixmora-monitors");
    for (SIZE size : {SIZE{15, 15}, SIZE{17, 17}, SIZE{33, 31}}) {
        const int w = size.cx, h = size.cy;
        SCOPED_TRACE(testing::Message() << w << " x " << h << " image");
        IconImage image;
        image.width = w;
        image.height = h;
        image.table = StandardTable16();
        image.pixel = [](int, int) -> DWORD { return 12; }; // shows blue
        image.transparent = [](int x, int y) { return x < 4 && y < 4; };
        const std::wstring path = folder + L"\\odd.ico";
        ASSERT_TRUE(WriteWholeFile(path, MakeIconFile({image})));
        HWND canvas = OpenCanvas(16, 16, 10);
        lstrcpyW(ImageSlots[CurrentSlot].Path, path.c_str());
        ASSERT_TRUE(OpenIconIntoSlot(nullptr, CurrentSlot));
        ASSERT_EQ(1, LoadSlotImage(canvas, CMD_OPEN_ICON));
        ASSERT_EQ(w, CanvasWidth);
        OpenMonitor(FULL, 400, 10);
        OpenMonitor(HALF, 400, 60);
        for (bool masked : {false, true}) {
            SCOPED_TRACE(masked ? "through the mask" : "plain");
            if (masked) {
                ASSERT_EQ(1, CreateMask(canvas, 1));
                for (HWND monitor : {ImageWindows[FULL], ImageWindows[HALF]})
                    FullRepaint(monitor);
            }
            const COLORREF corner = masked ? BACKGROUND : COLOR_BLUE;
            ExpectShown({Shown(FULL, 0, 0, corner), Shown(FULL, w - 1, h - 1, COLOR_BLUE),
                         Shown(FULL, w, 0, BACKGROUND), Shown(FULL, 0, h, BACKGROUND),
                         Shown(HALF, 1, 1, corner), Shown(HALF, w / 2 - 1, h / 2 - 1, COLOR_BLUE),
                         Shown(HALF, w / 2, 2, BACKGROUND), Shown(HALF, 2, h / 2, BACKGROUND),
                         Shown(HALF, w / 2, h / 2, BACKGROUND)});
        }
        CloseCanvas();
        ReleaseHeldIcon();
        ReleaseSlot(CurrentSlot);
        DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}
