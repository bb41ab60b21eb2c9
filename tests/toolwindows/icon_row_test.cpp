// The tool bar and the opaque/transparent tool: tap zones, the pen-only rule, leaving the
// rectangle-copy tool, and the mark of the chosen icon on screen.
#include "../canvas/canvas_fixture.h"
#include "canvas/canvas.h"
#include "test_support.h"
#include "tool_window_fixture.h"
#include <string>

static const COLORREF White = RGB(255, 255, 255);
static const COLORREF Black = RGB(0, 0, 0);

class ToolBar : public ToolWindowTest {
  protected:
    HWND MakeBar() { return MakeChild(L"ToolBar", 187, 32); }
    void Tap(HWND bar, int x) {
        StylusDown(bar, x, 16);
        StylusUp(bar, x, 16);
    }
};

TEST_F(ToolBar, EachCellPicksItsToolAndTheLastColumnKeepsTheTool) {
    HWND bar = MakeBar();
    const int taps[][2] = {{0, 0},   {30, 0},  {31, 1},  {61, 1}, {62, 2},
                           {124, 4}, {155, 5}, {185, 5}, {30, 0}};
    for (auto& tap : taps) {
        int before = CurrentTool;
        Tap(bar, tap[0]);
        EXPECT_EQ(tap[1], CurrentTool) << "tap at x " << tap[0];
        EXPECT_EQ(before, PreviousTool);
    }
    CurrentTool = 3;
    ValidateRect(bar, nullptr);
    Tap(bar, 186);
    EXPECT_EQ(3, CurrentTool);
    EXPECT_EQ(3, PreviousTool);
    EXPECT_TRUE(HasUpdateRegion(bar)) << "the bar still repaints";
}

TEST_F(ToolBar, ShowsTheSixIconsAndInvertsTheCurrentOne) {
    CurrentTool = 1;
    HWND bar = MakeBar();
    // The rectangle icon's outline starts at (3, 7) of the icon; its corner is clear.
    EXPECT_EQ(White, WindowPixel(bar, 31 + 3, 7)) << "inverted outline";
    EXPECT_EQ(Black, WindowPixel(bar, 31 + 2, 2)) << "inverted clear corner";
    EXPECT_EQ(Black, WindowPixel(bar, 62 + 3, 7)) << "filled rectangle, not chosen";
    EXPECT_EQ(White, WindowPixel(bar, 62 + 2, 2));
    EXPECT_EQ(White, WindowPixel(bar, 31, 0)) << "the mark stays inside the icon";
    EXPECT_EQ(RGB(0, 0, 255), WindowPixel(bar, 62 + 15, 15)) << "filled rectangle's blue";
    EXPECT_EQ(RGB(0, 0, 255), WindowPixel(bar, 124 + 16, 16)) << "filled ellipse's blue";
    EXPECT_EQ(White, WindowPixel(bar, 186, 16)) << "background right of the last icon";

    // The old mark goes although the bar repaints without erasing.
    Tap(bar, 100);
    UpdateWindow(bar);
    EXPECT_EQ(Black, WindowPixel(bar, 31 + 3, 7));
    EXPECT_EQ(White, WindowPixel(bar, 31 + 2, 2));
    EXPECT_EQ(Black, WindowPixel(bar, 93 + 2, 2)) << "ellipse now marked";
}

TEST_F(ToolBar, OpacityModeAllowsOnlyThePenAndSaysSo) {
    HWND bar = MakeBar();
    CurrentTool = 2; // chosen before the mode was switched on
    TransparencyMode = 1;
    for (int x : {100, 186}) {
        AnswerNextBox(IDOK);
        Tap(bar, x);
        EXPECT_EQ(2, CurrentTool);
    }
    ASSERT_EQ(2u, SeenBoxes().size());
    for (const SeenBox& box : SeenBoxes()) {
        EXPECT_EQ(L"ToolBarProc", box.caption);
        EXPECT_EQ(L"could use only pen tool for opaque/transparent menu.", box.text);
        EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    }
    ClearSeenBoxes();
    ValidateRect(bar, nullptr);
    Tap(bar, 10); // the pen's cell: quietly nothing
    EXPECT_EQ(2, CurrentTool);
    EXPECT_TRUE(SeenBoxes().empty());
    EXPECT_FALSE(HasUpdateRegion(bar));
}

TEST_F(ToolBar, LeavingTheCopyToolDropsTheSelectionAndPlacesAFloatingBlock) {
    HWND bar = MakeBar();
    HWND canvas = MakeStandInCanvas(nullptr);
    ImageWindows[0] = canvas;

    CurrentTool = 5;
    SelectionShown = 1;
    Tap(bar, 170); // the copy tool again keeps its selection
    EXPECT_EQ(1, SelectionShown);

    ValidateRect(canvas, nullptr);
    Tap(bar, 0);
    EXPECT_EQ(0, CurrentTool);
    EXPECT_EQ(0, SelectionShown);
    EXPECT_TRUE(HasUpdateRegion(canvas)) << "the canvas repaints without the outline";

    CurrentTool = 5;
    Floating = 1;
    SelectionShown = 1;
    Tap(bar, 40);
    EXPECT_EQ(1, CurrentTool);
    EXPECT_EQ(0, Floating) << "the block was placed and floats no more";
    EXPECT_EQ(0, SelectionShown);

    // Other tool changes leave the canvas alone.
    ValidateRect(canvas, nullptr);
    Tap(bar, 70);
    EXPECT_FALSE(HasUpdateRegion(canvas));
}

TEST_F(ToolBar, LeavingTheCopyToolPlacesTheCanvasBlockOnceAsOneUndoStep) {
    HWND canvas = OpenCanvas(16, 16, 10);
    CurrentTool = TOOL_COPYRECT;
    PaintImagePixel(2, 3, COLOR_BLUE);
    DragCells(canvas, 2, 3, 8, 8, 4);
    CopyCommand(canvas);
    PasteCommand(canvas); // floats at the top left
    ASSERT_EQ(1, Floating);
    EXPECT_EQ(15, ImageIndex(0, 0));

    HWND bar = MakeBar();
    Tap(bar, 5);
    EXPECT_EQ(0, Floating);
    EXPECT_EQ(0, SelectionShown);
    EXPECT_EQ(12, ImageIndex(0, 0)) << "placed where it stood";
    UndoCommand();
    EXPECT_EQ(15, ImageIndex(0, 0)) << "one undo step takes it away";
    EXPECT_EQ(12, ImageIndex(2, 3));

    CurrentTool = TOOL_COPYRECT;
    Tap(bar, 40);
    FullRepaint(canvas);
    EXPECT_EQ(15, ImageIndex(0, 0)) << "placed once only";
    CloseCanvas();
}

class OpacityTool_ : public ToolWindowTest {};

TEST_F(OpacityTool_, StartsOnTransparentAndTapsChoose) {
    OpacityTool = 0;
    HWND tool = MakeChild(L"Transparent", 63, 32);
    EXPECT_EQ(1, OpacityTool) << "reset at creation";
    TransparencyMode = 1; // the tool bar's pen-only rule does not apply here
    const int taps[][2] = {{0, 0}, {30, 0}, {31, 1}, {61, 1}, {30, 0}};
    for (auto& tap : taps) {
        StylusDown(tool, tap[0], 5);
        EXPECT_EQ(tap[1], OpacityTool) << "tap at x " << tap[0];
    }
    ValidateRect(tool, nullptr);
    StylusDown(tool, 62, 5);
    EXPECT_EQ(0, OpacityTool);
    EXPECT_TRUE(HasUpdateRegion(tool));
    EXPECT_TRUE(SeenBoxes().empty());
}

TEST_F(OpacityTool_, MarksTheChoiceAsTheToolBarDoes) {
    HWND tool = MakeChild(L"Transparent", 63, 32);
    // Icon pixel (25, 3) is clear in both icons.
    EXPECT_EQ(White, WindowPixel(tool, 25, 3));
    EXPECT_EQ(Black, WindowPixel(tool, 31 + 25, 3));
    StylusDown(tool, 5, 5);
    UpdateWindow(tool);
    EXPECT_EQ(Black, WindowPixel(tool, 25, 3));
    EXPECT_EQ(White, WindowPixel(tool, 31 + 25, 3));
    EXPECT_EQ(White, WindowPixel(tool, 15, 15)) << "the opaque icon's black square, inverted";
}

TEST_F(OpacityTool_, CloseClearsTheMainWindowsHandle) {
    HWND tool = MakeChild(L"Transparent", 63, 32);
    TransparentToolWindow = tool;
    OpacityTool = 0;
    SendMessageW(tool, WM_CLOSE, 0, 0);
    EXPECT_EQ(nullptr, TransparentToolWindow);
    EXPECT_FALSE(IsWindow(tool));
    EXPECT_EQ(0, OpacityTool) << "kept until the next creation";
    MakeChild(L"Transparent", 63, 32);
    EXPECT_EQ(1, OpacityTool);
}

// Every icon the tool windows and the start picture load is one 32 x 32 16-colour image
// whose AND mask leaves part of it clear.
TEST(IconResources, AreThirtyTwoPixelSixteenColourIconsWithMasks) {
    for (const wchar_t* name :
         {L"PENTOOL", L"RECTTOOL", L"FILLRECTTOOL", L"ELLIPSETOOL", L"FILLELLIPSETOOL",
          L"COPYRECTTOOL", L"OPAQUE_TOOL", L"TRANSPARENT_TOOL", L"Camera", L"Key", L"Write",
          L"Coffee", L"AMosaro", L"ZVornpro"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        HRSRC group = FindResourceW(AppInstance, name, (LPCWSTR)RT_GROUP_ICON);
        ASSERT_NE(nullptr, group);
        const BYTE* dir = (const BYTE*)LockResource(LoadResource(AppInstance, group));
        ASSERT_NE(nullptr, dir);
        EXPECT_EQ(1, *(const WORD*)(dir + 4)) << "one image";
        const BYTE* entry = dir + 6;
        EXPECT_EQ(32, entry[0]);
        EXPECT_EQ(32, entry[1]);
        EXPECT_EQ(16, entry[2]);
        EXPECT_EQ(4, *(const WORD*)(entry + 6));
        WORD id = *(const WORD*)(entry + 12);
        HRSRC image = FindResourceW(AppInstance, MAKEINTRESOURCEW(id), (LPCWSTR)RT_ICON);
        ASSERT_NE(nullptr, image);
        const BITMAPINFOHEADER* header =
            (const BITMAPINFOHEADER*)LockResource(LoadResource(AppInstance, image));
        ASSERT_EQ(40u + 16 * 4 + 32 * 16 + 32 * 4, SizeofResource(AppInstance, image));
        EXPECT_EQ(32, header->biWidth);
        EXPECT_EQ(64, header->biHeight);
        EXPECT_EQ(4, header->biBitCount);
        const BYTE* mask = (const BYTE*)header + 40 + 16 * 4 + 32 * 16;
        int clear = 0;
        for (int i = 0; i < 32 * 4; i++)
            for (int bit = 0; bit < 8; bit++)
                clear += (mask[i] >> bit) & 1;
        EXPECT_GT(clear, 0);
        EXPECT_LT(clear, 32 * 32 - 100) << "a picture, not an empty square";
    }
}
