// Whole sessions as a user has them: an icon with transparent pixels opened, edited, saved
// and reopened; a new 16 x 16 picture drawn with every tool, undone, redone, saved as a
// bitmap and reopened.
#include "e2e_session.h"
#include <cstring>

namespace {

// A 32 x 32 icon: index 10 (green) everywhere, a blue diagonal, and the top-left 8 x 8
// corner transparent, so its transparency lies in the upper half of the picture.
Bytes GreenIcon() {
    IconImage image;
    image.width = image.height = 32;
    image.table = StandardTable16();
    image.pixel = [](int x, int y) -> DWORD { return x == y ? 12 : 10; };
    image.transparent = [](int x, int y) { return x < 8 && y < 8; };
    return MakeIconFile({image});
}

// A run of row y's pixels from x on: hex indices of the image, or the mask's '.' and 'T'.
struct Row {
    int y, x;
    const char* pixels;
};

void ExpectRows(const std::vector<Row>& rows, bool mask = false) {
    for (const Row& r : rows) {
        const int x1 = r.x + (int)strlen(r.pixels);
        EXPECT_EQ(r.pixels, mask ? Editor::MaskRow(r.y, r.x, x1) : Editor::ImageRow(r.y, r.x, x1))
            << "row " << r.y;
    }
}

std::vector<std::string> ImageRows() {
    std::vector<std::string> rows;
    for (int y = 0; y < CanvasHeight; y++)
        rows.push_back(Editor::ImageRow(y, 0, CanvasWidth));
    return rows;
}

} // namespace

TEST_F(Editor, IconWithTransparencyOpenedEditedSavedAndReopened) {
    ChooseFile(Write(L"green.ico", GreenIcon()));
    File(L"&Open a ICON file");

    // The icon is on the canvas, and its transparent pixels switched the mode on.
    ASSERT_NE(nullptr, Canvas());
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(0, Modified);
    EXPECT_EQ(1, TransparencyMode);
    EXPECT_TRUE(Checked(L"&Canvas", L"Opaque/Transparency"));
    ASSERT_NE(nullptr, TransparentToolWindow);
    EXPECT_TRUE(IsWindowVisible(TransparentToolWindow));
    ExpectRows({Row(0, 0, "TTTTTTTT........"), Row(7, 0, "TTTTTTTT........"),
                Row(8, 0, "................")},
               true);
    ExpectRows({Row(0, 0, "CAAAAAAAAAAAAAAA")});
    // Transparent cells show the canvas's dark grey; opaque ones their colour.
    EXPECT_EQ(RGB(0x48, 0x48, 0x48), Cell(3, 0));
    EXPECT_EQ(RGB(0, 255, 0), Cell(9, 0));
    EXPECT_EQ(BLUE, Cell(9, 9));

    // In the mode the tool bar keeps the pen; the opacity tool starts on "transparent".
    AnswerNextBox(IDOK);
    TapTool(TOOL_FILLRECT);
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"could use only pen tool for opaque/transparent menu.", SeenBoxes()[0].text);
    EXPECT_EQ(TOOL_PEN, CurrentTool);
    EXPECT_EQ(1, OpacityTool);
    // Pixels 0 to 3 of row 2 made opaque again, pixels 12 to 15 of row 12 transparent.
    TapOpacity(0);
    Drag(0, 2, 4, 2); // a line stops before its end pixel
    TapOpacity(1);
    Drag(12, 12, 16, 12);
    const std::vector<Row> mask = {Row(0, 0, "TTTTTTTT........"), Row(2, 0, "....TTTT........"),
                                   Row(12, 0, "............TTTT")};
    ExpectRows(mask, true);
    EXPECT_EQ(1, Modified);

    // The mode off: the tool window goes, the check mark too; draw in colour.
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    EXPECT_EQ(0, TransparencyMode);
    EXPECT_EQ(nullptr, TransparentToolWindow);
    EXPECT_FALSE(Checked(L"&Canvas", L"Opaque/Transparency"));
    TapLineColor(ROW_SHOWS_RED);
    TapTool(TOOL_RECT);
    Drag(16, 16, 22, 22);
    ExpectRows({Row(16, 12, "AAAA999999AAA"), Row(18, 12, "AAAA9ACAA9AAA")});
    EXPECT_EQ(RED, Cell(16, 16));
    EXPECT_EQ(RGB(0, 255, 0), Cell(18, 17));
    const std::vector<std::string> edited = ImageRows();

    // Saved as an icon: the file holds the edited pixels and mask.
    const std::wstring saved = PathOf(L"edited.ico");
    Bytes file = SaveAs(CMD_SAVE_ICON, saved);
    EXPECT_EQ(0, Modified);
    ASSERT_EQ(1, IconFileImageCount(file));
    EXPECT_EQ(9, IconFileIndex(file, 16, 16));
    EXPECT_EQ(10, IconFileIndex(file, 20, 2));
    for (const Row& r : mask) // the file's AND mask is the edited one
        for (int x = 0; x < 16; x++)
            EXPECT_EQ(r.pixels[x] == 'T', IconFileTransparent(file, x, r.y)) << x << ", " << r.y;
    EXPECT_FALSE(IconFileTransparent(file, 20, 20));
    EXPECT_EQ(0, IconFileIndex(file, 5, 0)) << "transparent pixels are black in the file";

    // Reopened: the same picture and mask, and the mode on again.
    ChooseFile(saved);
    File(L"&Open a ICON file");
    EXPECT_EQ(1, TransparencyMode);
    EXPECT_TRUE(Checked(L"&Canvas", L"Opaque/Transparency"));
    ExpectRows(mask, true);
    std::vector<std::string> reopened = ImageRows();
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            if (MaskRow(y, x, x + 1) == ".") {
                EXPECT_EQ(edited[y][x], reopened[y][x]) << "pixel " << x << ", " << y;
            }
    EXPECT_EQ(RED, Cell(16, 16));
    ExpectNoFailureShown();
}

TEST_F(Editor, NewPictureDrawnWithEveryToolUndoneSavedAsBitmapAndReopened) {
    NewCreate(16);
    ASSERT_NE(nullptr, Canvas());
    RECT client;
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(160, client.right);
    EXPECT_EQ(160, client.bottom);
    EXPECT_EQ(WHITE, Cell(0, 0));
    EXPECT_EQ((DWORD)DOCUMENT_NEW_BITMAP, DocumentKind);
    // The start picture has gone: the view's grey shows beside the canvas.
    UpdateWindow(ViewWindow);
    EXPECT_EQ(GREY, WindowPixel(ViewWindow, 200, 10));

    TapLineColor(ROW_BLACK);
    TapFillColor(ROW_SHOWS_RED);
    // Every tool in turn: its line width, the drag between cells, and rows it leaves.
    const struct {
        int tool, width, x0, y0, x1, y1;
        std::vector<Row> rows;
    } steps[] = {
        {TOOL_PEN, 1, 1, 1, 5, 1, {Row(1, 0, "F0000FFFF")}},
        {TOOL_RECT, 1, 1, 3, 6, 7, {Row(3, 0, "F00000FF"), Row(5, 0, "F0FFF0FF")}},
        {TOOL_FILLRECT, 1, 8, 3, 13, 7, {Row(3, 8, "0000"), Row(5, 8, "09990F")}},
        {TOOL_ELLIPSE, 1, 1, 9, 8, 16, {Row(12, 1, "0"), Row(12, 4, "F")}},
        // The filled ellipse's corner stays outside it.
        {TOOL_FILLELLIPSE, 1, 9, 9, 16, 16, {Row(12, 12, "9"), Row(9, 9, "F")}},
        {TOOL_PEN, 3, 10, 14, 14, 14, {Row(13, 11, "000"), Row(15, 11, "000")}},
        // The copy tool draws nothing, but its press takes a snapshot: the next figure is
        // what Undo takes back.
        {TOOL_COPYRECT, 3, 0, 0, 3, 3, {Row(1, 0, "F0000FFFF")}},
        {TOOL_FILLRECT, 1, 13, 0, 16, 2, {Row(0, 12, "F000")}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message()
                     << "tool " << step.tool << " from " << step.x0 << ", " << step.y0);
        TapTool(step.tool);
        if (LineWidth != step.width) {
            TapLineWidth(step.width);
            EXPECT_EQ(step.width, LineWidth);
        }
        Drag(step.x0, step.y0, step.x1, step.y1);
        ExpectRows(step.rows);
    }
    EXPECT_EQ(BLACK, Cell(4, 1));
    EXPECT_EQ(RED, Cell(10, 5));
    EXPECT_EQ(1, Modified);

    MenuItem(L"&Edit", L"Undo");
    EXPECT_EQ("FFFF", ImageRow(0, 12, 16));
    EXPECT_EQ(WHITE, Cell(14, 1));
    MenuItem(L"&Edit", L"Redo");
    EXPECT_EQ("F000", ImageRow(1, 12, 16));
    EXPECT_EQ(BLACK, Cell(14, 1));
    ClearSeenBoxes();
    AnswerNextBox(IDOK);
    MenuItem(L"&Edit", L"Redo");
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"There's No redo item!", SeenBoxes()[0].text);
    EXPECT_EQ(L"Mosaro", SeenBoxes()[0].caption);
    const std::vector<std::string> drawn = ImageRows();

    // Saved as a bitmap: a 16 x 16 4-bit file with these pixels.
    const std::wstring saved = PathOf(L"drawn.bmp");
    Bytes file = SaveAs(CMD_SAVE_BITMAP, saved);
    EXPECT_EQ(0, Modified);
    int width = 0, height = 0;
    ASSERT_EQ(0, BmpFileIndex(file, 1, 1, &width, &height));
    EXPECT_EQ(16, width);
    EXPECT_EQ(16, height);
    EXPECT_EQ(9, BmpFileIndex(file, 10, 5));
    EXPECT_EQ(15, BmpFileIndex(file, 0, 0));

    // A new picture, then the saved one reopened: the same pixels again.
    NewCreate(32);
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ(WHITE, Cell(10, 5));
    ChooseFile(saved);
    File(L"&Open a DIB file");
    EXPECT_EQ((DWORD)DOCUMENT_BITMAP_FILE, DocumentKind);
    EXPECT_EQ(16, CanvasWidth);
    EXPECT_EQ(drawn, ImageRows());
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(160, client.right) << "the canvas takes the file's size at once";
    EXPECT_EQ(RED, Cell(10, 5));
    EXPECT_EQ(BLACK, Cell(14, 1));
    AnswerNextBox(IDOK);
    MenuItem(L"&Edit", L"Undo");
    EXPECT_EQ(L"There's No undo item!", SeenBoxes().back().text);
}

namespace {

// A 16 x 16 icon image, transparent but for a green last column: in 4 bits (black under the
// mask), in 32 bits (alpha 0) and as PNG.
IconImage ClearIcon(int form) {
    IconImage image;
    image.table = StandardTable16();
    if (form == 4) {
        image.pixel = [](int x, int) -> DWORD { return x == 15 ? 10 : 0; };
        image.transparent = [](int x, int) { return x != 15; };
    } else if (form == 32) {
        image.bits = 32;
        image.pixel = [](int x, int) -> DWORD { return x == 15 ? 0xFF00FF00u : 0; };
    } else {
        image.png = MakePng(16, 16, [](int x, int) -> DWORD { return x == 15 ? 0x00FF00FFu : 0; });
    }
    return image;
}

// What a reopened picture holds at a pixel: its colour, or 'T' when transparent.
std::string Opened(int x, int y) {
    const ImageSlot& slot = ImageSlots[CurrentSlot];
    if (MaskBit(slot.AndMask, slot.Width, slot.Height, x, y)) return "T";
    COLORREF c = DibPixelColor(ImageInfo, ImageBits, x, y);
    char text[16];
    snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

} // namespace

// With the Opaque/Transparency mode off the canvas shows transparent pixels black and paint
// covers them: what is painted is saved opaque in its colour, whatever form the image has.
// Undo takes the colour and the transparency back together.
TEST_F(Editor, PaintOverTransparentPixelsIsSavedOpaque) {
    // Each case draws with a tool from one cell to another, the line colour red and the fill
    // colour blue, then does what else it names.
    struct Case {
        const char* what;
        int tool;
        RECT drag;
        std::vector<POINT> painted, clear; // pixels painted, and pixels left transparent
        const char* colour;                // of the painted ones
        std::function<void()> then;
    };
    const Case cases[] = {
        {"pen", TOOL_PEN, {1, 1, 5, 1}, {{1, 1}, {4, 1}}, {{5, 1}, {1, 2}}, "FF0000"},
        {"filled rectangle",
         TOOL_FILLRECT,
         {2, 4, 7, 9},
         {{4, 6}, {5, 7}},
         {{7, 6}, {4, 9}},
         "0000FF"},
        {"ellipse", TOOL_ELLIPSE, {0, 0, 13, 13}, {{6, 0}, {0, 6}}, {{6, 6}, {12, 12}}, "FF0000"},
        // The last column's top four pixels, copied, pasted and placed.
        {"placed block",
         TOOL_COPYRECT,
         {15, 0, 16, 4},
         {{0, 0}, {0, 3}},
         {{1, 1}, {0, 4}, {5, 8}},
         "00FF00",
         [] {
             MenuItem(L"&Edit", L"Copy");
             MenuItem(L"&Edit", L"Paste");
             ASSERT_EQ(1, Floating);
             ASSERT_EQ(0, PastePos.x) << "the block floats at the top-left corner";
             Tap(5, 8); // a tap outside places it there
             ASSERT_EQ(0, Floating);
         }},
    };
    for (int form : {4, 32, 0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in form " + std::to_string(form));
            const std::wstring path = Write(L"clear.ico", MakeIconFile({ClearIcon(form)}));
            if (TransparencyMode) MenuItem(L"&Canvas", L"Opaque/Transparency");
            ChooseFile(path);
            File(L"&Open a ICON file");
            ASSERT_EQ(1, TransparencyMode);
            MenuItem(L"&Canvas", L"Opaque/Transparency");
            TapLineColor(ROW_SHOWS_RED);
            TapFillColor(ROW_SHOWS_BLUE);
            TapTool(c.tool);
            Drag(c.drag.left, c.drag.top, c.drag.right, c.drag.bottom);
            if (c.then) c.then();
            auto masked = [&] {
                std::string m;
                for (const POINT& p : c.painted)
                    m += MaskRow(p.y, p.x, p.x + 1);
                for (const POINT& p : c.clear)
                    m += MaskRow(p.y, p.x, p.x + 1);
                return m;
            };
            const std::string opaque(c.painted.size(), '.'), clear(c.clear.size(), 'T');
            EXPECT_EQ(opaque + clear, masked());
            MenuItem(L"&Edit", L"Undo");
            EXPECT_EQ(std::string(c.painted.size(), 'T') + clear, masked());
            MenuItem(L"&Edit", L"Undo"); // the step toggles: back again
            EXPECT_EQ(opaque + clear, masked());
            SendMessageW(MainWindow, WM_COMMAND, CMD_SAVE, 0); // Ctrl+S
            EXPECT_EQ(0, Modified);
            if (TransparencyMode) MenuItem(L"&Canvas", L"Opaque/Transparency");
            ChooseFile(path);
            File(L"&Open a ICON file");
            for (const POINT& p : c.painted)
                EXPECT_EQ(c.colour, Opened(p.x, p.y)) << p.x << ", " << p.y;
            for (const POINT& p : c.clear)
                EXPECT_EQ("T", Opened(p.x, p.y)) << p.x << ", " << p.y;
            if (form == 32) {
                GdiFlush();
                const BYTE* p = ImageBits + RowBytes(16, 32) * (15 - c.painted[0].y);
                EXPECT_EQ(255, p[4 * c.painted[0].x + 3]) << "alpha";
            }
        }
    }
    ExpectNoFailureShown();
}
