// The stroke: each tool's pixels in the image and the mask, clamping, the rubber band,
// the snapshot per press and what a stroke leaves behind.
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>

class DrawingTools : public testing::Test {
  protected:
    HWND canvas = nullptr;
    void SetUp() override { canvas = OpenCanvas(16, 16, 10); }
    void TearDown() override { CloseCanvas(); }
};

TEST_F(DrawingTools, PenSegmentsLeaveTheirEndPointOut) {
    StylusDown(canvas, At(0), At(0));
    for (int x = 1; x <= 5; x++)
        StylusMove(canvas, At(x), At(0));
    StylusUp(canvas, At(5), At(0));
    PumpMessages();
    EXPECT_EQ("00000FF\n", Picture(0, 0, 7, 1));
    EXPECT_EQ(1, Modified);
    // The screen shows it after the full paint.
    EXPECT_EQ(COLOR_BLACK, CellColor(canvas, 4, 0));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 5, 0));
}

TEST_F(DrawingTools, PenTapsSetTheirPixelAlsoWhenTheStrokeComesBack) {
    LineColor = COLOR_RED;
    TapCell(canvas, 3, 3);
    EXPECT_EQ(9, ImageIndex(3, 3));
    // Moves that stay inside the cell still make a tap.
    StylusDown(canvas, At(6) - 3, At(6) - 3);
    StylusMove(canvas, At(6) + 2, At(6) + 1);
    StylusUp(canvas, At(6) + 3, At(6));
    PumpMessages();
    EXPECT_EQ(9, ImageIndex(6, 6));
    // Out to (10, 8) and back: the line back ends before (8, 8), the tap rule sets it.
    StylusDown(canvas, At(8), At(8));
    StylusMove(canvas, At(10), At(8));
    StylusUp(canvas, At(8), At(8));
    PumpMessages();
    EXPECT_EQ("999F\n", Picture(8, 8, 12, 9));
}

TEST_F(DrawingTools, HollowAndFilledRectanglesLeaveTheReleaseRowAndColumnOut) {
    CurrentTool = TOOL_RECT;
    DragCells(canvas, 2, 3, 5, 7);
    EXPECT_EQ("FFFFF\n"
              "F000F\n"
              "F0F0F\n"
              "F0F0F\n"
              "F000F\n"
              "FFFFF\n",
              Picture(1, 2, 6, 8));
    CurrentTool = TOOL_FILLRECT;
    LineColor = COLOR_BLUE;
    FillColor = COLOR_RED;
    DragCells(canvas, 12, 12, 8, 9); // corners in the other order
    EXPECT_EQ("CCCC\n"
              "C99C\n"
              "CCCC\n"
              "FFFF\n",
              Picture(8, 9, 12, 13));
}

TEST_F(DrawingTools, RubberBandKeepsOnlyTheLastFigure) {
    CurrentTool = TOOL_RECT;
    StylusDown(canvas, At(1), At(1));
    StylusMove(canvas, At(12), At(12));
    StylusMove(canvas, At(4), At(4));
    // Between moves the screen shows the figure of the latest move only.
    EXPECT_EQ(COLOR_BLACK, CellColor(canvas, 3, 1));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 11, 1));
    StylusUp(canvas, At(4), At(4));
    PumpMessages();
    EXPECT_EQ("000F\n0F0F\n000F\nFFFF\n", Picture(1, 1, 5, 5));
    EXPECT_EQ(15, ImageIndex(11, 1));
    EXPECT_EQ(15, ImageIndex(11, 11));
}

TEST_F(DrawingTools, EllipsesStayInsideTheirRectangle) {
    CurrentTool = TOOL_ELLIPSE;
    DragCells(canvas, 2, 2, 11, 11);
    EXPECT_EQ(0, ImageIndex(6, 2));   // top of the outline
    EXPECT_EQ(0, ImageIndex(2, 6));   // left
    EXPECT_EQ(15, ImageIndex(6, 6));  // hollow
    EXPECT_EQ(15, ImageIndex(2, 2));  // corners stay out
    EXPECT_EQ(15, ImageIndex(11, 6)); // release column stays out
    CurrentTool = TOOL_FILLELLIPSE;
    FillColor = COLOR_RED;
    DragCells(canvas, 2, 2, 11, 11);
    EXPECT_EQ(9, ImageIndex(6, 6));
    EXPECT_EQ(0, ImageIndex(6, 2));
    EXPECT_EQ(15, ImageIndex(11, 6));
}

TEST_F(DrawingTools, ShapeTapDrawsNothingButCountsAsAnEdit) {
    for (int tool = TOOL_RECT; tool <= TOOL_FILLELLIPSE; tool++) {
        CurrentTool = tool;
        Modified = 0;
        TapCell(canvas, 5, 5);
        EXPECT_EQ(1, Modified);
        EXPECT_EQ("FFF\nFFF\nFFF\n", Picture(4, 4, 7, 7)) << tool;
    }
}

TEST_F(DrawingTools, WidePensDrawAroundTheLine) {
    LineWidth = 3;
    DragCells(canvas, 2, 8, 12, 8);
    for (int y = 7; y <= 9; y++)
        EXPECT_EQ(0, ImageIndex(6, y)) << y;
    EXPECT_EQ(15, ImageIndex(6, 6));
    EXPECT_EQ(15, ImageIndex(6, 10));
    CurrentTool = TOOL_RECT;
    DragCells(canvas, 2, 1, 12, 6);
    EXPECT_EQ(0, ImageIndex(6, 1));
    EXPECT_EQ(0, ImageIndex(6, 2));
    EXPECT_EQ(15, ImageIndex(6, 3));
}

TEST_F(DrawingTools, PointsAboveAndLeftCountAsRowAndColumnZero) {
    StylusDown(canvas, At(3), At(3));
    StylusMove(canvas, -40, At(3));
    StylusMove(canvas, -40, -70);
    StylusUp(canvas, At(3), -5);
    PumpMessages();
    EXPECT_EQ("000F\n" // (0, 0) to (3, 0): the release pixel stays out
              "0FFF\n"
              "0FFF\n"
              "0000\n",
              Picture(0, 0, 4, 4));
}

TEST_F(DrawingTools, StrokesOutsideTheImageAreClipped) {
    StylusDown(canvas, At(14), At(14));
    StylusMove(canvas, 30000, 30000);
    StylusMove(canvas, 30000, At(14));
    StylusUp(canvas, 30000, At(14));
    PumpMessages();
    EXPECT_EQ(0, ImageIndex(14, 14));
    EXPECT_EQ(0, ImageIndex(15, 15));
    CurrentTool = TOOL_FILLRECT;
    DragCells(canvas, 12, 1, 40, 40);
    EXPECT_EQ(0, ImageIndex(15, 15));
    EXPECT_EQ(0, ImageIndex(12, 1));
}

TEST_F(DrawingTools, SecondPressDuringAStrokeIsIgnored) {
    StylusDown(canvas, At(1), At(1));
    StylusMove(canvas, At(4), At(1));
    SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(At(9), At(9)));
    StylusUp(canvas, At(4), At(1));
    PumpMessages();
    EXPECT_EQ(15, ImageIndex(9, 9));
    EXPECT_EQ(0, ImageIndex(1, 1));
    EXPECT_EQ(0, StrokeActive);
    // Only the first press took a snapshot: Undo goes back to before it.
    UndoCommand();
    EXPECT_EQ(15, ImageIndex(1, 1));
}

TEST_F(DrawingTools, DoubleTapsDrawEveryDot) {
    StylusDown(canvas, At(2), At(2));
    StylusUp(canvas, At(2), At(2));
    SendMessageW(canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(At(4), At(2)));
    StylusUp(canvas, At(4), At(2));
    PumpMessages();
    EXPECT_EQ("0F0\n", Picture(2, 2, 5, 3));
}

TEST_F(DrawingTools, EachPressIsOneUndoStep) {
    DragCells(canvas, 1, 1, 6, 1);
    DragCells(canvas, 1, 3, 6, 3);
    UndoCommand();
    EXPECT_EQ(0, ImageIndex(2, 1));
    EXPECT_EQ(15, ImageIndex(2, 3));
    RedoCommand();
    EXPECT_EQ(0, ImageIndex(2, 3));
}

TEST_F(DrawingTools, MaskStrokesEditTheMaskAndUndoLikeAnyOther) {
    UseFreshMask();
    OpacityTool = 1;
    DragCells(canvas, 1, 1, 5, 1);
    EXPECT_EQ("11110\n", Picture(1, 1, 6, 2, true));
    EXPECT_EQ(15, ImageIndex(2, 1));
    TapCell(canvas, 8, 8);
    EXPECT_EQ(1, MaskIndex(8, 8));
    UndoCommand();
    EXPECT_EQ(0, MaskIndex(8, 8));
    EXPECT_EQ(1, MaskIndex(2, 1));
    RedoCommand();
    EXPECT_EQ(1, MaskIndex(8, 8));

    // A shape used on the mask: the rubber band restores the mask of the press.
    OpacityTool = 0;
    CurrentTool = TOOL_FILLRECT;
    StylusDown(canvas, At(0), At(0));
    StylusMove(canvas, At(15), At(15));
    StylusMove(canvas, At(2), At(3));
    StylusUp(canvas, At(2), At(3));
    PumpMessages();
    EXPECT_EQ("00\n00\n00\n", Picture(0, 0, 2, 3, true));
    EXPECT_EQ("1110\n", Picture(2, 1, 6, 2, true));
    EXPECT_EQ(1, MaskIndex(8, 8));
}

TEST_F(DrawingTools, StrokesUnderAFloatingBlockLeaveItFloating) {
    CurrentTool = TOOL_COPYRECT;
    DragCells(canvas, 0, 0, 2, 2);
    CopyCommand(canvas);
    PasteCommand(canvas);
    PumpMessages();
    CurrentTool = TOOL_PEN;
    TapCell(canvas, 1, 1);
    EXPECT_EQ(1, Floating);
    EXPECT_EQ(0, PastePos.x);
    EXPECT_EQ(0, PastePos.y);
    EXPECT_EQ(0, ImageIndex(1, 1));
}

TEST_F(DrawingTools, AStrokeThatLosesTheStylusEndsWhereItStands) {
    StylusDown(canvas, At(1), At(1));
    StylusMove(canvas, At(4), At(1));
    SetCapture(CanvasParent());
    ReleaseCapture();
    PumpMessages();
    EXPECT_EQ(0, StrokeActive);
    EXPECT_EQ(1, Modified);
    EXPECT_EQ("000F\n", Picture(1, 1, 5, 2));
    TapCell(canvas, 8, 8); // the next press starts a stroke again
    EXPECT_EQ(0, ImageIndex(8, 8));
}
