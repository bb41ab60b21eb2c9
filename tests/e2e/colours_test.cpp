// Colours and the fill through the real windows: a custom colour saved in a 4-bit icon's
// colour table, the fill chosen by key, menu and tool bar, a pick with Ctrl.
#include "e2e_session.h"

#define CUSTOM RGB(18, 150, 86)

// Entry i of the colour table of an icon file's first image, as blue, green, red, 0.
static DWORD IconFileTableEntry(const Bytes& file, int i) {
    if (file.size() < 22) return 0xFFFFFFFF;
    DWORD offset = file[18] | file[19] << 8 | file[20] << 16 | (DWORD)file[21] << 24;
    size_t at = offset + 40 + 4 * (size_t)i;
    if (at + 4 > file.size()) return 0xFFFFFFFF;
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | (DWORD)file[at + 3] << 24;
}

TEST_F(Editor, ACustomColourOfAFourBitIconIsSavedInItsTableAndUndone) {
    NewCreate(16);
    TapLineColor(ROW_SHOWS_RED); // paints index 9
    Tap(3, 3);
    CustomColour(CUSTOM);
    EXPECT_EQ(CUSTOM, Cell(3, 3));
    EXPECT_EQ(CUSTOM, PaletteColors[ROW_SHOWS_RED]);
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"custom.ico"));
    EXPECT_EQ(9, IconFileIndex(file, 3, 3));
    EXPECT_EQ(15, IconFileIndex(file, 4, 3));
    EXPECT_EQ(0x00129656u, IconFileTableEntry(file, 9)); // blue 86, green 150, red 18
    MenuItem(L"&Edit", L"Undo");
    EXPECT_EQ(RED, Cell(3, 3));
    file = SaveAs(CMD_SAVE_ICON, PathOf(L"custom-undone.ico"));
    EXPECT_EQ(9, IconFileIndex(file, 3, 3));
    EXPECT_EQ(0x00FF0000u, IconFileTableEntry(file, 9));
    // Standard Colours puts the palette back; the image keeps its own table.
    MenuItem(L"&Edit", L"Redo");
    MenuItem(L"&Paint", L"&Standard Colours");
    EXPECT_EQ(StandardColors[ROW_SHOWS_RED], PaletteColors[ROW_SHOWS_RED]);
    EXPECT_EQ(CUSTOM, Cell(3, 3));
    ExpectNoFailureShown();
}

// The key's command, the menu and a secondary tap on the tool bar each choose the fill, which the
// bar marks on none of its cells; a tap on a cell leaves it.
TEST_F(Editor, TheFillIsChosenByKeyMenuAndToolBarAndFillsAnArea) {
    NewCreate(16);
    TapFillColor(ROW_SHOWS_BLUE);
    // Each cell's middle as it shows unmarked.
    auto middle = [](int cell) { return WindowPixel(ToolBarWindow, cell * ICON_CELL + 15, 15); };
    std::vector<COLORREF> unmarked(TOOL_COUNT);
    for (int i = 1; i < TOOL_COUNT; i++)
        unmarked[i] = middle(i);
    TapTool(TOOL_RECT);
    unmarked[0] = middle(0);
    Drag(2, 2, 8, 8); // a black outline around pixels 3..6
    // What the key F sends (the keys' own test checks that).
    SendMessageW(MainWindow, WM_COMMAND, CMD_FILL_TOOL, 0);
    EXPECT_EQ(TOOL_FILL, CurrentTool);
    UpdateWindow(ToolBarWindow);
    for (int i = 0; i < TOOL_COUNT; i++)
        EXPECT_EQ(unmarked[i], middle(i)) << "cell " << i;
    Tap(4, 4);
    EXPECT_EQ("F0CCCC0F", ImageRow(4, 1, 9));
    EXPECT_EQ("FFFFFFFF", ImageRow(1, 1, 9));
    TapTool(TOOL_PEN);
    EXPECT_EQ(TOOL_PEN, CurrentTool);
    MenuItem(L"&Paint", L"&Fill");
    EXPECT_EQ(TOOL_FILL, CurrentTool);
    TapTool(TOOL_PEN);
    SendMessageW(ToolBarWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 10));
    EXPECT_EQ(TOOL_FILL, CurrentTool);
    // In the mask mode the fill makes the area transparent; the shapes keep their message.
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    Tap(0, 0);
    EXPECT_EQ("TTTTTTTT", MaskRow(0, 0, 8));
    EXPECT_EQ("T......T", MaskRow(4, 1, 9));
    ClearSeenBoxes();
    AnswerNextBox(IDOK);
    TapTool(TOOL_RECT);
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"could use only pen tool for opaque/transparent menu.", SeenBoxes()[0].text);
    EXPECT_EQ(TOOL_FILL, CurrentTool);
    TapTool(TOOL_PEN);
    EXPECT_EQ(TOOL_PEN, CurrentTool);
}

// A Ctrl+tap picks the line colour, with Shift the fill colour; Pick Colour makes the next
// tap a pick. Nothing is drawn.
TEST_F(Editor, APickTakesTheColourUnderTheTap) {
    NewCreate(16);
    TapLineColor(ROW_SHOWS_RED);
    Tap(5, 5);
    TapLineColor(ROW_BLACK);
    TapWithKeys(5, 5, MK_CONTROL);
    EXPECT_EQ(RED, LineColor);
    EXPECT_EQ(ROW_SHOWS_RED, LineColorCell);
    TapWithKeys(5, 5, MK_CONTROL | MK_SHIFT);
    EXPECT_EQ(RED, FillColor);
    TapLineColor(ROW_BLACK);
    MenuItem(L"&Paint", L"&Pick Colour");
    Tap(5, 5);
    EXPECT_EQ(RED, LineColor);
    EXPECT_EQ("F9F", ImageRow(5, 4, 7));
    EXPECT_EQ("FFF", ImageRow(4, 4, 7));
}
