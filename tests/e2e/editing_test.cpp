// Editing through the menus while drawing: copy and paste with the copy tool, Canvas Size
// and Scale changed mid-picture, the monitors following strokes, the mesh, and the
// Opaque/Transparency switch.
#include "e2e_session.h"

namespace {

// A red 4 x 4 block at (2, 2) on a new 32 x 32 picture.
void DrawRedBlock() {
    Editor::NewCreate(32);
    Editor::TapLineColor(ROW_SHOWS_RED);
    Editor::TapFillColor(ROW_SHOWS_RED);
    Editor::TapTool(TOOL_FILLRECT);
    Editor::Drag(2, 2, 6, 6);
}

} // namespace

TEST_F(Editor, SelectionCopiedPastedDraggedPlacedAndUndone) {
    DrawRedBlock();
    EXPECT_EQ("F9999F", ImageRow(3, 1, 7));
    // Copy and Paste do nothing before there is a selection or a copy.
    MenuItem(L"&Edit", L"Paste");
    EXPECT_EQ(0, Floating);
    TapTool(TOOL_COPYRECT);
    MenuItem(L"&Edit", L"Copy");
    EXPECT_EQ(0, ClipValid);

    Drag(2, 2, 6, 6);
    EXPECT_EQ(1, SelectionShown);
    MenuItem(L"&Edit", L"Copy");
    EXPECT_EQ(1, ClipValid);
    // The block floats at the top-left corner; the image under it is unchanged.
    MenuItem(L"&Edit", L"Paste");
    EXPECT_EQ(1, Floating);
    EXPECT_EQ(RED, Cell(1, 1));
    EXPECT_EQ(RED, Cell(2, 2));
    EXPECT_EQ("FFF", ImageRow(0, 0, 3));

    // Dragged by three cells from inside it: it follows the stylus and still floats.
    Drag(3, 3, 6, 6);
    EXPECT_EQ(1, Floating);
    EXPECT_EQ(3, PastePos.x);
    EXPECT_EQ(RED, Cell(5, 5));
    EXPECT_EQ('F', ImageRow(6, 6, 7)[0]);
    // A tap outside places it there.
    Tap(20, 20);
    EXPECT_EQ(0, Floating);
    EXPECT_EQ("F9999F", ImageRow(6, 2, 8));
    EXPECT_EQ("9999F", ImageRow(3, 3, 8));
    EXPECT_EQ(RED, Cell(6, 6));
    EXPECT_EQ(1, Modified);
    // Undo takes the placed block away again.
    MenuItem(L"&Edit", L"Undo");
    EXPECT_EQ('F', ImageRow(6, 6, 7)[0]);
    EXPECT_EQ("9999F", ImageRow(3, 2, 7));
    EXPECT_EQ(WHITE, Cell(6, 6));

    // A press elsewhere with another tool puts the next paste there.
    TapTool(TOOL_PEN);
    TapLineColor(ROW_BLACK);
    Tap(20, 10);
    EXPECT_EQ('0', ImageRow(10, 20, 21)[0]);
    TapTool(TOOL_COPYRECT);
    MenuItem(L"&Edit", L"Paste");
    EXPECT_EQ(20, PastePos.x);
    EXPECT_EQ(10, PastePos.y);
    EXPECT_EQ(RED, Cell(21, 11));
    // Leaving the copy tool places the floating block, once.
    TapTool(TOOL_PEN);
    EXPECT_EQ(0, Floating);
    EXPECT_EQ("9999", ImageRow(11, 20, 24));
    // An icon image made from the canvas takes a block still floating, placed first.
    TapTool(TOOL_COPYRECT);
    MenuItem(L"&Edit", L"Paste");
    Drag(21, 11, 22, 12);
    EXPECT_EQ(1, Floating);
    IconImages([](HWND dialog) {
        TapControl(dialog, IDC_ADD_FROM_CANVAS);
        TapControl(dialog, IDC_ADD_16);
        TapControl(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Floating);
    EXPECT_EQ("F9999F", ImageRow(14, 20, 26));
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"floating.ico"));
    ASSERT_EQ(2, IconFileImageCount(file));
    // Each pixel of the 16 x 16 averages a 2 x 2 block of the canvas: this one the block's
    // (22, 12) to (23, 13), all of it red.
    EXPECT_EQ(9, IconFileIndex(file, 11, 6, 1)) << "the block at (22, 12) of the canvas";
    ExpectNoFailureShown();
}

TEST_F(Editor, CanvasSizeAndScaleChangedWhileDrawing) {
    DrawRedBlock();
    TapTool(TOOL_PEN);
    TapLineColor(ROW_BLACK);
    Drag(20, 20, 25, 20);
    ClearSeenBoxes();
    // Smaller: the top-left 16 x 16 stays. The prompt comes first; No keeps going.
    AnswerNextBox(IDNO);
    HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDC_SIZE_16); });
    MenuItem(L"&Canvas", L"Canvas Size");
    EXPECT_EQ(16, CanvasWidth);
    EXPECT_EQ(16, CanvasHeight);
    ASSERT_EQ(2u, SeenBoxes().size()); // the prompt, then the dialog
    EXPECT_EQ(L"Save current changes in (untitled)?", SeenBoxes()[0].text);
    RECT client;
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(160, client.right);
    EXPECT_EQ(160, client.bottom);
    EXPECT_EQ("F9999F", ImageRow(3, 1, 7));
    EXPECT_EQ(RED, Cell(3, 3));
    Drag(10, 12, 14, 12);
    EXPECT_EQ("0000F", ImageRow(12, 10, 15));

    // Scale 5: the canvas halves on the screen, and strokes land on the cells shown.
    ChooseScale(L"5");
    EXPECT_EQ(5, Scale);
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(80, client.right);
    EXPECT_EQ(RED, Cell(3, 3));
    EXPECT_EQ(BLACK, Cell(11, 12));
    Drag(1, 14, 5, 14);
    EXPECT_EQ("F0000F", ImageRow(14, 0, 6));
    EXPECT_EQ(BLACK, Cell(2, 14));

    // Larger again: the new area is white; the scale stays.
    AnswerNextBox(IDNO);
    HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDC_SIZE_32); });
    MenuItem(L"&Canvas", L"Canvas Size");
    EXPECT_EQ(32, CanvasWidth);
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(160, client.right);
    EXPECT_EQ(std::string(32, 'F'), ImageRow(20, 0, 32)) << "the earlier stroke was cut off";
    EXPECT_EQ(WHITE, Cell(25, 25));
    EXPECT_EQ(BLACK, Cell(12, 12));
    Drag(28, 28, 31, 28);
    EXPECT_EQ("000", ImageRow(28, 28, 31));

    // CLOSE in either dialog changes nothing.
    AnswerNextBox(IDNO);
    HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDCANCEL); });
    MenuItem(L"&Canvas", L"Canvas Size");
    HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDCANCEL); });
    MenuItem(L"&Display", L"Scale");
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ(5, Scale);
}

TEST_F(Editor, MonitorsFollowStrokesAndCloseFromTheMenu) {
    NewCreate(32);
    MenuItem(L"&Display", L"&Open Monitor");
    HWND full = ImageWindows[1], half = ImageWindows[2];
    ASSERT_NE(nullptr, full);
    ASSERT_NE(nullptr, half);
    EXPECT_TRUE(IsWindowVisible(full));
    // Choosing it again makes no new windows.
    MenuItem(L"&Display", L"&Open Monitor");
    EXPECT_EQ(full, ImageWindows[1]);
    EXPECT_EQ(half, ImageWindows[2]);
    EXPECT_EQ(WHITE, WindowPixel(full, 10, 10));

    // Mid-stroke, before the release, both monitors already show the line.
    TapLineColor(ROW_SHOWS_BLUE);
    TapTool(TOOL_PEN);
    StylusDown(Canvas(), 45, 105);
    StylusMove(Canvas(), 205, 105);
    EXPECT_EQ(BLUE, WindowPixel(full, 10, 10));
    EXPECT_EQ(BLUE, WindowPixel(full, 19, 10));
    EXPECT_EQ(WHITE, WindowPixel(full, 10, 11));
    EXPECT_EQ(BLUE, WindowPixel(half, 6, 5));
    StylusUp(Canvas(), 205, 105);
    PumpMessages();
    EXPECT_EQ(BLUE, WindowPixel(full, 15, 10));

    // Undo reaches the monitors too.
    MenuItem(L"&Edit", L"Undo");
    PumpMessages();
    EXPECT_EQ(WHITE, WindowPixel(full, 15, 10));

    MenuItem(L"&Display", L"&Close Monitor");
    EXPECT_EQ(nullptr, ImageWindows[1]);
    EXPECT_EQ(nullptr, ImageWindows[2]);
    EXPECT_FALSE(IsWindow(full));
    EXPECT_FALSE(IsWindow(half));

    // At 16 x 16 only the half-size monitor opens.
    AnswerNextBox(IDNO);
    NewCreate(16);
    MenuItem(L"&Display", L"&Open Monitor");
    EXPECT_EQ(nullptr, ImageWindows[1]);
    ASSERT_NE(nullptr, ImageWindows[2]);
    Drag(0, 0, 15, 0);
    EXPECT_EQ(BLUE, WindowPixel(ImageWindows[2], 3, 0));
    EXPECT_EQ(WHITE, WindowPixel(ImageWindows[2], 3, 3));
}

TEST_F(Editor, MeshDrawnAndDeleted) {
    NewCreate(16);
    // The mesh lies on the last screen row and column of each cell.
    EXPECT_EQ(GREY, WindowPixel(Canvas(), 9, 4));
    MenuItem(L"&Display", L"Delete Mesh");
    EXPECT_EQ(0, MeshOn);
    EXPECT_EQ(WHITE, (UpdateWindow(Canvas()), WindowPixel(Canvas(), 9, 4)));
    MenuItem(L"&Display", L"Draw Mesh");
    EXPECT_EQ(1, MeshOn);
    EXPECT_EQ(GREY, (UpdateWindow(Canvas()), WindowPixel(Canvas(), 9, 4)));
}

TEST_F(Editor, OpaqueTransparencySwitchedOnAndOffFromTheMenu) {
    NewCreate(16);
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    ASSERT_NE(nullptr, TransparentToolWindow);
    EXPECT_TRUE(Checked(L"&Canvas", L"Opaque/Transparency"));
    RECT tool;
    GetClientRect(TransparentToolWindow, &tool);
    EXPECT_EQ(61, tool.right) << "63 x 32 with its border";
    // A new picture's mask is all opaque; the pen makes pixels transparent, which then
    // show the canvas's dark grey.
    EXPECT_EQ("................", MaskRow(0, 0, 16));
    MenuItem(L"&Display", L"&Open Monitor");
    ASSERT_NE(nullptr, ImageWindows[2]);
    Drag(2, 3, 6, 3);
    Drag(2, 2, 6, 2);
    EXPECT_EQ("..TTTT..", MaskRow(2, 0, 8));
    EXPECT_EQ(RGB(0x48, 0x48, 0x48), Cell(3, 2));
    // The half-size monitor shows its own grey background through the transparent 2 x 2
    // pixels.
    EXPECT_EQ(GREY, WindowPixel(ImageWindows[2], 2, 1));
    EXPECT_EQ(WHITE, WindowPixel(ImageWindows[2], 5, 5));
    EXPECT_EQ("FFFFFFFF", ImageRow(2, 0, 8)) << "the colours stay";
    MenuItem(L"&Edit", L"Undo");
    EXPECT_EQ("........", MaskRow(2, 0, 8));
    MenuItem(L"&Edit", L"Redo");
    EXPECT_EQ("..TTTT..", MaskRow(2, 0, 8));

    MenuItem(L"&Canvas", L"Opaque/Transparency");
    EXPECT_EQ(nullptr, TransparentToolWindow);
    EXPECT_FALSE(Checked(L"&Canvas", L"Opaque/Transparency"));
    EXPECT_EQ(WHITE, Cell(3, 2));
    // Switched on again: the same mask, the tool back on "transparent".
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    EXPECT_EQ(1, OpacityTool);
    EXPECT_EQ("..TTTT..", MaskRow(2, 0, 8));

    // A new picture while the mode is on: its first stroke gets a mask of its own.
    AnswerNextBox(IDNO);
    NewCreate(32);
    EXPECT_EQ(1, TransparencyMode);
    Drag(0, 0, 3, 0);
    EXPECT_EQ("TTT.", MaskRow(0, 0, 4));
    EXPECT_EQ("................................", MaskRow(31, 0, 32));
}

namespace {

void TapRotateKey() {
    RECT rotate;
    ASSERT_TRUE(SendMessageW(MenuBarWindow, SKBM_GETROTATERECT, 0, (LPARAM)&rotate));
    StylusDown(MenuBarWindow, rotate.left + 2, rotate.top + 2);
    StylusUp(MenuBarWindow, rotate.left + 2, rotate.top + 2);
    PumpMessages();
}

void ExpectPlace(HWND child, int x, int y, int width, int height) {
    RECT r;
    ASSERT_TRUE(GetWindowRect(child, &r));
    MapWindowPoints(nullptr, MainWindow, (POINT*)&r, 2);
    EXPECT_EQ(x, r.left);
    EXPECT_EQ(y, r.top);
    EXPECT_EQ(width, r.right - r.left);
    EXPECT_EQ(height, r.bottom - r.top);
}

} // namespace

// The monitors and the opacity tool open at their places in the wide layout of a turned
// device, and follow the layout when it is turned back.
TEST_F(Editor, OptionalWindowsOpenAndFollowTheTurnedDevice) {
    NewCreate(32);
    TapRotateKey();
    ASSERT_EQ(1, LayoutMode);
    MenuItem(L"&Display", L"&Open Monitor");
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    const int w = ClientWidth, h = ClientHeight, p = PaletteWidth;
    ExpectPlace(ImageWindows[1], w - 40, h - 38, 36, 36);
    ExpectPlace(ImageWindows[2], w - 60, h - 38, 20, 20);
    ExpectPlace(TransparentToolWindow, p + 286, h - 38, 63, 32);

    TapRotateKey();
    ASSERT_EQ(2, LayoutMode);
    ExpectPlace(ImageWindows[1], ClientWidth - 40, ClientHeight - 38, 34, 34);
    ExpectPlace(ImageWindows[2], ClientWidth - 20, ClientHeight - 72, 18, 18);
    ExpectPlace(TransparentToolWindow, PaletteWidth + 91, ClientHeight - 38, 63, 32);
    // Still drawing where the stylus goes, and the monitor follows.
    Drag(10, 10, 14, 10);
    EXPECT_EQ("TTTT.", MaskRow(10, 10, 15));
    EXPECT_EQ(GREY, WindowPixel(ImageWindows[1], 11, 10));
}
