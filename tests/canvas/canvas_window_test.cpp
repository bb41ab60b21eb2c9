// The canvas window: the magnified picture, the mesh, the masked view and the commands.
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <vector>

class CanvasWindow : public testing::Test {
  protected:
    void TearDown() override { CloseCanvas(); }
};

// Rows y (0 <= y < limit) of screen column x that show the mesh colour.
static std::vector<int> MeshRowsInColumn(HWND canvas, int x, int limit) {
    std::vector<int> rows;
    for (int y = 0; y < limit; y++)
        if (WindowPixel(canvas, x, y) == COLOR_MESH) rows.push_back(y);
    return rows;
}

static std::vector<int> MeshColumnsInRow(HWND canvas, int y, int limit) {
    std::vector<int> columns;
    for (int x = 0; x < limit; x++)
        if (WindowPixel(canvas, x, y) == COLOR_MESH) columns.push_back(x);
    return columns;
}

static std::vector<int> EveryTenth(int first, int count) {
    std::vector<int> v;
    for (int i = 0; i < count; i++)
        v.push_back(first + 10 * i);
    return v;
}

TEST_F(CanvasWindow, MeshLiesOnTheLastRowAndColumnOfEachCellAtScale10) {
    HWND canvas = OpenCanvas(32, 32, 10);
    // Column 5 crosses only horizontal lines; row 5 only vertical ones.
    EXPECT_EQ(EveryTenth(9, 31), MeshRowsInColumn(canvas, 5, 320));
    EXPECT_EQ(EveryTenth(9, 31), MeshColumnsInRow(canvas, 5, 320));
    // The lines run the whole width and height, and none follows the last cells.
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 0, 309));
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 319, 9));
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 309, 319));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(canvas, 319, 318));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(canvas, 318, 319));

    SendMessageW(canvas, WM_COMMAND, 18, 0);
    UpdateWindow(canvas);
    EXPECT_EQ(0, MeshOn);
    EXPECT_TRUE(MeshRowsInColumn(canvas, 5, 320).empty());
    SendMessageW(canvas, WM_COMMAND, 17, 0);
    UpdateWindow(canvas);
    EXPECT_EQ(1, MeshOn);
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 5, 9));
}

TEST_F(CanvasWindow, MeshAtScale1LeavesOnlyTheBottomRightPixel) {
    HWND canvas = OpenCanvas(8, 6, 1);
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 8; x++)
            EXPECT_EQ((x == 7 && y == 5) ? COLOR_WHITE : COLOR_MESH, WindowPixel(canvas, x, y))
                << x << "," << y;

    // A paint while a stroke holds the image (the window resized under the stylus) still
    // shows the picture.
    SendMessageW(canvas, WM_COMMAND, 18, 0);
    LineColor = COLOR_RED;
    StylusDown(canvas, 2, 1);
    StylusMove(canvas, 5, 1);
    FullRepaint(canvas);
    EXPECT_EQ(COLOR_WHITE, WindowPixel(canvas, 0, 0));
    EXPECT_EQ(COLOR_RED, WindowPixel(canvas, 3, 1));
    StylusUp(canvas, 5, 1);
}

TEST_F(CanvasWindow, TinyImagesDrawOnlyTheLinesBetweenTheirCells) {
    HWND canvas = OpenCanvas(1, 1, 10);
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(COLOR_WHITE, WindowPixel(canvas, i, 9 - i));
    CloseCanvas();

    canvas = OpenCanvas(1, 4, 10);
    EXPECT_EQ(EveryTenth(9, 3), MeshRowsInColumn(canvas, 5, 40));
    EXPECT_TRUE(MeshColumnsInRow(canvas, 5, 10).empty());
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 9, 9));
}

TEST_F(CanvasWindow, ShowsEachPixelAsAMagnifiedCell) {
    HWND canvas = OpenCanvas(32, 32, 10);
    PaintImagePixel(3, 4, COLOR_RED);
    PaintImagePixel(31, 31, COLOR_BLUE);
    FullRepaint(canvas);
    for (int y = 40; y < 49; y++)
        for (int x = 30; x < 39; x++)
            ASSERT_EQ(COLOR_RED, WindowPixel(canvas, x, y)) << x << "," << y;
    EXPECT_EQ(COLOR_WHITE, WindowPixel(canvas, 28, 44));
    EXPECT_EQ(COLOR_WHITE, WindowPixel(canvas, 34, 50));
    EXPECT_EQ(COLOR_BLUE, WindowPixel(canvas, 319, 319));
    EXPECT_EQ(COLOR_BLUE, WindowPixel(canvas, 310, 310));
}

TEST_F(CanvasWindow, DrawsOnlyWhatTheParentShowsAndDrawsItRight) {
    // 64 x 64 at scale 10 in a 200 x 200 view, scrolled to show cells 30 to 49.
    HWND canvas = OpenCanvas(64, 64, 10, 200, 200);
    SetWindowPos(canvas, nullptr, -301, -301, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PaintImagePixel(35, 40, COLOR_RED);
    PaintImagePixel(49, 30, COLOR_BLUE);
    FullRepaint(canvas);
    EXPECT_EQ(COLOR_RED, CellColor(canvas, 35, 40));
    EXPECT_EQ(COLOR_BLUE, CellColor(canvas, 49, 30));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 36, 40));
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 355, 409));
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 359, 405));
    // A live repaint after a move shows the same picture.
    StylusDown(canvas, 405, 405);
    StylusMove(canvas, 425, 405);
    EXPECT_EQ(COLOR_BLACK, WindowPixel(canvas, 405, 405));
    EXPECT_EQ(COLOR_BLACK, WindowPixel(canvas, 415, 405));
    EXPECT_EQ(COLOR_MESH, WindowPixel(canvas, 409, 405));
    EXPECT_EQ(COLOR_RED, CellColor(canvas, 35, 40));
    StylusUp(canvas, 425, 405);
    PumpMessages();
    EXPECT_EQ(COLOR_BLACK, CellColor(canvas, 41, 40));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 42, 40));
    // A selection that starts out of view is framed right where it shows.
    CurrentTool = TOOL_COPYRECT;
    StylusDown(canvas, 105, 335);
    StylusMove(canvas, 455, 365);
    StylusUp(canvas, 455, 365);
    PumpMessages();
    EXPECT_EQ(COLOR_BLACK, CellColor(canvas, 30, 33));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 31, 33));
    EXPECT_EQ(COLOR_BLACK, CellColor(canvas, 44, 33));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 44, 34));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 43, 34));
}

TEST_F(CanvasWindow, MaskedViewShowsTheBackgroundWhereTransparent) {
    HWND canvas = OpenCanvas(16, 16, 10);
    PaintImagePixel(2, 2, COLOR_RED);
    PaintImagePixel(3, 2, COLOR_RED);
    UseFreshMask();
    OpacityTool = 1;
    StylusDown(canvas, 25, 25); // a tap makes pixel (2, 2) transparent
    StylusUp(canvas, 25, 25);
    PumpMessages();
    EXPECT_EQ(1, MaskIndex(2, 2));
    EXPECT_EQ(0, MaskIndex(3, 2));
    EXPECT_EQ(9, ImageIndex(2, 2)); // the colour image is not touched
    EXPECT_EQ(COLOR_CANVAS_BACKGROUND, CellColor(canvas, 2, 2));
    EXPECT_EQ(COLOR_RED, CellColor(canvas, 3, 2));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 4, 2));

    // At scale 1 the full paint shows the image plain, the live repaint through the mask.
    Scale = 1;
    MeshOn = 0;
    FullRepaint(canvas);
    EXPECT_EQ(COLOR_RED, WindowPixel(canvas, 2, 2));
    // A move repaints the cells of its segment, (1, 2) to (3, 2): transparent (2, 2) keeps
    // its old colour on screen, opaque (3, 2) shows the change.
    PaintImagePixel(2, 2, COLOR_BLUE);
    PaintImagePixel(3, 2, COLOR_BLUE);
    StylusDown(canvas, 1, 2);
    StylusMove(canvas, 3, 2);
    EXPECT_EQ(COLOR_RED, WindowPixel(canvas, 2, 2));
    EXPECT_EQ(COLOR_BLUE, WindowPixel(canvas, 3, 2));
    StylusUp(canvas, 3, 2);
    PumpMessages();
}

TEST_F(CanvasWindow, ResizeKeepsTheTopLeftOfTheImage) {
    HWND canvas = OpenCanvas(32, 32, 10);
    PaintImagePixel(3, 3, COLOR_RED);
    CanvasWidth = CanvasHeight = 16;
    EXPECT_EQ(0, SendMessageW(canvas, WM_COMMAND, 85, 0));
    UpdateWindow(canvas);
    EXPECT_EQ(16, ImageInfo->bmiHeader.biWidth);
    EXPECT_EQ(COLOR_RED, CellColor(canvas, 3, 3));
    // The window is still sized for 32 x 32: beyond the image lies the class background.
    EXPECT_EQ(COLOR_CANVAS_BACKGROUND, CellColor(canvas, 20, 3));
}

TEST_F(CanvasWindow, MakesA32x32ImageUnlessASizeWasChosen) {
    SizeChosen = 0;
    CanvasWidth = CanvasHeight = 16;
    HWND parent = CreateWindowW(L"Static", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    HWND canvas = CreateWindowW(L"Canvas", L"", WS_CHILD | WS_BORDER, 0, 0, 322, 322, parent,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ(32, CanvasHeight);
    // Unknown commands and a close.
    EXPECT_EQ(0, SendMessageW(canvas, WM_COMMAND, 4242, 0));
    EXPECT_EQ(1, SendMessageW(canvas, WM_CLOSE, 0, 0));
    EXPECT_FALSE(IsWindow(canvas));
    DestroyWindow(parent);
}
