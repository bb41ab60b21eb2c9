// Rectangle copy and paste: the selection and its frame, the copy buffer, the floating
// block, dragging and placing it, and Undo after placing.
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <string>

class CopyPaste : public CanvasTest<16, 16> {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        CurrentTool = TOOL_COPYRECT;
    }

    // Screen cells x0..x1-1 of row y: B black, W white, R red, . anything else.
    std::string Cells(int x0, int x1, int y) {
        std::string s;
        for (int x = x0; x < x1; x++) {
            COLORREF c = CellColor(canvas, x, y);
            s += c == COLOR_BLACK ? 'B' : c == COLOR_WHITE ? 'W' : c == COLOR_RED ? 'R' : '.';
        }
        return s;
    }
    // A 6 x 5 block from (2, 3) to (8, 8) with blue at its top left and red at (1, 1).
    void CopyMarkedBlock() {
        PaintImagePixel(2, 3, COLOR_BLUE);
        PaintImagePixel(3, 4, COLOR_RED);
        DragCells(canvas, 2, 3, 8, 8, 4);
        CopyCommand(canvas);
        ASSERT_EQ(1, ClipValid);
    }
};

TEST_F(CopyPaste, FrameAlternatesBlackAndWhiteFromTheTopLeft) {
    DragCells(canvas, 2, 3, 6, 5, 4);
    EXPECT_EQ(1, SelectionShown);
    EXPECT_EQ("WBWBWW", Cells(1, 7, 3));
    EXPECT_EQ("WWWBWW", Cells(1, 7, 4));
    EXPECT_EQ("WWWWWW", Cells(1, 7, 5));
    // The same pixels framed when dragged up and left.
    DragCells(canvas, 6, 5, 2, 3, 4);
    EXPECT_EQ("WBWBWW", Cells(1, 7, 3));
    EXPECT_EQ("WWWBWW", Cells(1, 7, 4));

    DragCells(canvas, 2, 3, 3, 4, 4);
    EXPECT_EQ("WBW", Cells(1, 4, 3));
    DragCells(canvas, 2, 3, 4, 4, 4);
    EXPECT_EQ("WBWW", Cells(1, 5, 3));
    EXPECT_EQ("WWWW", Cells(1, 5, 4));

    TapCell(canvas, 9, 9); // a tap removes the selection
    EXPECT_EQ(0, SelectionShown);
    EXPECT_EQ("WWW", Cells(1, 4, 3));
}

TEST_F(CopyPaste, CopyTakesThePixelsBetweenPressAndRelease) {
    PaintImagePixel(2, 3, COLOR_RED);
    PaintImagePixel(5, 4, COLOR_BLUE);
    for (int flip = 0; flip < 2; flip++) {
        if (flip)
            DragCells(canvas, 6, 5, 2, 3, 4);
        else
            DragCells(canvas, 2, 3, 6, 5, 4);
        CopyCommand(canvas);
        ASSERT_EQ(1, ClipValid);
        ASSERT_EQ(4, ClipInfo->bmiHeader.biWidth);
        ASSERT_EQ(2, ClipInfo->bmiHeader.biHeight);
        EXPECT_EQ(9, DibPixelIndex(ClipInfo, ClipBits, 0, 0));
        EXPECT_EQ(12, DibPixelIndex(ClipInfo, ClipBits, 3, 1));
        EXPECT_EQ(15, DibPixelIndex(ClipInfo, ClipBits, 3, 0));
        EXPECT_EQ(15, DibPixelIndex(ClipInfo, ClipBits, 0, 1));
    }
    // A selection without width, or reaching past the image, keeps or clips the buffer.
    DragCells(canvas, 2, 3, 2, 7, 4);
    CopyCommand(canvas);
    EXPECT_EQ(4, ClipInfo->bmiHeader.biWidth);
    EXPECT_EQ(2, ClipInfo->bmiHeader.biHeight);
    StylusDown(canvas, At(14), At(13));
    StylusUp(canvas, 900, 900);
    CopyCommand(canvas);
    EXPECT_EQ(2, ClipInfo->bmiHeader.biWidth);
    EXPECT_EQ(3, ClipInfo->bmiHeader.biHeight);
}

TEST_F(CopyPaste, NothingHappensWithoutSelectionOrCopy) {
    PasteCommand(canvas);
    EXPECT_EQ(0, Floating);
    CopyCommand(canvas);
    EXPECT_EQ(0, ClipValid);
    EXPECT_TRUE(SeenBoxes().empty());
}

TEST_F(CopyPaste, PasteGoesTopLeftAfterASelectionAndToThePressPixelAfterAPressElsewhere) {
    CopyMarkedBlock();
    PasteCommand(canvas);
    UpdateWindow(canvas);
    EXPECT_EQ(1, Floating);
    EXPECT_EQ("R", Cells(1, 2, 1));
    EXPECT_EQ(15, ImageIndex(1, 1)); // floating, not in the image
    TapCell(canvas, 12, 12);         // outside: places it
    EXPECT_EQ(0, Floating);
    EXPECT_EQ(9, ImageIndex(1, 1));

    CurrentTool = TOOL_PEN;
    TapCell(canvas, 7, 9);
    PasteCommand(canvas);
    UpdateWindow(canvas);
    EXPECT_EQ(7, PastePos.x);
    EXPECT_EQ(9, PastePos.y);
    EXPECT_EQ("R", Cells(8, 9, 10));
    // Pasting again shows the same block and writes nothing.
    PasteCommand(canvas);
    UpdateWindow(canvas);
    EXPECT_EQ(15, ImageIndex(8, 10));
}

TEST_F(CopyPaste, DraggedBlockFollowsTheStylusAndIsPlacedByAPressOutside) {
    CopyMarkedBlock();
    PasteCommand(canvas);
    DragCells(canvas, 2, 2, 3, 3, 4); // the press pixel stays inside the moved block
    EXPECT_EQ(1, Floating);
    EXPECT_EQ(1, PastePos.x);
    EXPECT_EQ(1, PastePos.y);
    EXPECT_EQ("R", Cells(2, 3, 2));
    EXPECT_EQ(15, ImageIndex(2, 2));
    TapCell(canvas, 13, 13);
    EXPECT_EQ(0, Floating);
    EXPECT_EQ(0, SelectionShown);
    EXPECT_EQ(9, ImageIndex(2, 2));
    EXPECT_EQ(12, ImageIndex(1, 1));
    UndoCommand();
    EXPECT_EQ(15, ImageIndex(2, 2));
    EXPECT_EQ(15, ImageIndex(1, 1));

    // A drag that leaves the press pixel outside the moved block places it at the release.
    PasteCommand(canvas);
    DragCells(canvas, 1, 1, 5, 5, 4);
    EXPECT_EQ(0, Floating);
    EXPECT_EQ(12, ImageIndex(5, 5));
    EXPECT_EQ(9, ImageIndex(6, 6));
}

TEST_F(CopyPaste, BlocksPartlyOutsideTheImageAreClipped) {
    CopyMarkedBlock();
    CurrentTool = TOOL_PEN;
    TapCell(canvas, 13, 13);
    PasteCommand(canvas);
    PlaceFloatingBlock(canvas);
    EXPECT_EQ(12, ImageIndex(13, 13));
    EXPECT_EQ(9, ImageIndex(14, 14));

    // Dragged past the top left: the block's pixel (1, 1) lands on (0, 0).
    CurrentTool = TOOL_COPYRECT;
    DragCells(canvas, 2, 3, 8, 8, 4);
    PasteCommand(canvas);
    DragCells(canvas, 1, 1, 0, 0, 4);
    EXPECT_EQ(-1, PastePos.x);
    EXPECT_EQ(1, Floating);
    PlaceFloatingBlock(canvas);
    EXPECT_EQ(9, ImageIndex(0, 0));
}

TEST_F(CopyPaste, LeavingTheToolPlacesTheBlockOnceAsOneUndoStep) {
    CopyMarkedBlock();
    Modified = 0; // saved since
    PasteCommand(canvas);
    PlaceFloatingBlock(canvas);
    EXPECT_EQ(0, Floating);
    EXPECT_EQ(0, SelectionShown);
    EXPECT_EQ(9, ImageIndex(1, 1));
    EXPECT_EQ(1, Modified) << "a change the save prompt must ask about";
    // Later paints leave the image alone.
    PaintImagePixel(1, 1, COLOR_WHITE);
    FullRepaint(canvas);
    EXPECT_EQ(15, ImageIndex(1, 1));
    EXPECT_EQ("W", Cells(1, 2, 1));
    PaintImagePixel(1, 1, COLOR_RED);
    UndoCommand();
    EXPECT_EQ(15, ImageIndex(1, 1));
    EXPECT_EQ(12, ImageIndex(2, 3));
}

TEST_F(CopyPaste, CopyWhileFloatingTakesTheImageUnderTheSelection) {
    CopyMarkedBlock();
    PasteCommand(canvas);
    CopyCommand(canvas);
    EXPECT_EQ(6, ClipInfo->bmiHeader.biWidth);
    EXPECT_EQ(12, DibPixelIndex(ClipInfo, ClipBits, 0, 0));
}

TEST_F(CopyPaste, PlacingInTheTransparencyModeIsUndoneInTheImage) {
    CopyMarkedBlock();
    PasteCommand(canvas);
    UseFreshMask();
    TapCell(canvas, 13, 13);
    EXPECT_EQ(0, Floating);
    EXPECT_EQ(9, ImageIndex(1, 1));
    UndoCommand();
    EXPECT_EQ(15, ImageIndex(1, 1));
}
