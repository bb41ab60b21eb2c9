// The stroke: each tool's pixels in the image and the mask, clamping, the rubber band,
// the snapshot per press and what a stroke leaves behind.
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class DrawingTools : public CanvasTest<16, 16> {};

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

// A stroke dragged with a tool, line width and colours from cell (x0, y0) to cell (x1, y1),
// in that many moves.
struct Drag {
    int tool, width;
    COLORREF line, fill;
    int x0, y0, x1, y1, moves = 8;
};

// The colour the screen shows for an image index (a hex digit) of the start palette.
static COLORREF Shown(char index) {
    return index == '0'   ? COLOR_BLACK
           : index == '9' ? COLOR_RED
           : index == 'C' ? COLOR_BLUE
                          : COLOR_WHITE;
}

// A part of the image: the picture whose top-left pixel is (x, y), a row per line.
struct Part {
    int x, y;
    const char* rows;
};

// Figures, each dragged on a fresh image, and parts of what they leave in the image and, after
// the full paint, on the screen.
static const struct {
    Drag drag;
    std::vector<Part> parts;
} Figures[] = {
    // A move to each cell: every pen segment leaves its end point out, the next one sets it.
    {Drag(TOOL_PEN, 1, COLOR_BLACK, COLOR_BLACK, 0, 0, 5, 0, 5), {Part(0, 0, "00000FF\n")}},
    // Rectangles leave the release row and column out; the corners may come in any order.
    {Drag(TOOL_RECT, 1, COLOR_BLACK, COLOR_BLACK, 2, 3, 5, 7),
     {Part(1, 2, "FFFFF\nF000F\nF0F0F\nF0F0F\nF000F\nFFFFF\n")}},
    {Drag(TOOL_FILLRECT, 1, COLOR_BLUE, COLOR_RED, 12, 12, 8, 9),
     {Part(8, 9, "CCCC\nC99C\nCCCC\nFFFF\n")}},
    // Ellipses stay inside their rectangle: the outline's top and left, the hollow or filled
    // inside, a corner, the release column.
    {Drag(TOOL_ELLIPSE, 1, COLOR_BLACK, COLOR_BLACK, 2, 2, 11, 11),
     {Part(6, 2, "0\n"), Part(2, 6, "0\n"), Part(6, 6, "F\n"), Part(2, 2, "F\n"),
      Part(11, 6, "F\n")}},
    {Drag(TOOL_FILLELLIPSE, 1, COLOR_BLACK, COLOR_RED, 2, 2, 11, 11),
     {Part(6, 6, "9\n"), Part(6, 2, "0\n"), Part(11, 6, "F\n")}},
    // Wide pens draw around the line, and a wide rectangle's edge grows inwards.
    {Drag(TOOL_PEN, 3, COLOR_BLACK, COLOR_BLACK, 2, 8, 12, 8), {Part(6, 6, "F\n0\n0\n0\nF\n")}},
    {Drag(TOOL_RECT, 3, COLOR_BLACK, COLOR_BLACK, 2, 1, 12, 6), {Part(6, 1, "0\n0\nF\n")}},
    // A figure dragged beyond the image is clipped to it.
    {Drag(TOOL_FILLRECT, 1, COLOR_BLACK, COLOR_BLACK, 12, 1, 40, 40),
     {Part(15, 15, "0\n"), Part(12, 1, "0\n")}},
};

TEST_F(DrawingTools, EachStrokeOnAFreshImageLeavesItsPixels) {
    for (const auto& [d, parts] : Figures) {
        SCOPED_TRACE(testing::Message()
                     << "tool " << d.tool << " from cell " << d.x0 << ", " << d.y0);
        CloseCanvas();
        canvas = OpenCanvas(16, 16, 10);
        CurrentTool = d.tool;
        LineWidth = d.width;
        LineColor = d.line;
        FillColor = d.fill;
        DragCells(canvas, d.x0, d.y0, d.x1, d.y1, d.moves);
        EXPECT_EQ(1, Modified);
        for (const Part& p : parts) {
            const std::string rows = p.rows;
            const int width = (int)rows.find('\n');
            const int height = (int)std::count(rows.begin(), rows.end(), '\n');
            EXPECT_EQ(rows, Picture(p.x, p.y, p.x + width, p.y + height)) << p.x << ", " << p.y;
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++)
                    EXPECT_EQ(Shown(rows[y * (width + 1) + x]),
                              CellColor(canvas, p.x + x, p.y + y));
        }
    }
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

TEST_F(DrawingTools, ShapeTapDrawsNothingButCountsAsAnEdit) {
    for (int tool = TOOL_RECT; tool <= TOOL_FILLELLIPSE; tool++) {
        CurrentTool = tool;
        Modified = 0;
        TapCell(canvas, 5, 5);
        EXPECT_EQ(1, Modified);
        EXPECT_EQ("FFF\nFFF\nFFF\n", Picture(4, 4, 7, 7)) << tool;
    }
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
