// Documents as the File menu handles them: files opened in either order, bad files, the
// save prompt of Exit and of closing the window, and the commands that need no picture.
#include "e2e_session.h"

namespace {

DWORD Diagonals(int x, int y) {
    return (DWORD)(x + y) % 16;
}

Bytes Bitmap16() {
    return MakeBmpFile(BmpForm{}, 16, 16, StandardTable16(), Diagonals);
}

Bytes Icon(int size, bool transparent) {
    IconImage image;
    image.width = image.height = size;
    image.table = StandardTable16();
    image.pixel = [](int, int) -> DWORD { return 11; };
    if (transparent) image.transparent = [](int x, int y) { return x == 0 && y == 0; };
    return MakeIconFile({image});
}

std::wstring OpenAsked() {
    WCHAR asked[600] = {};
    GetEnvironmentVariableW(L"PIXMORA_OPEN_ASKED", asked, 600);
    SetEnvironmentVariableW(L"PIXMORA_OPEN_ASKED", nullptr);
    return asked;
}

// Exit, Yes to the prompt, the file named in the save dialog: the editor ends and the
// file's bytes are returned.
Bytes ExitSavingAs(const std::wstring& path) {
    HWND main = MainWindow;
    AnswerNextBox(IDYES);
    Editor::TypeSaveName(path);
    Editor::File(L"&Exit");
    EXPECT_FALSE(IsWindow(main));
    return ReadWholeFile(path);
}

} // namespace

TEST_F(Editor, FilesOpenedInEitherOrderReplaceThePicture) {
    // A bitmap into the editor at start: the canvas is made for it and shows the file.
    ChooseFile(Write(L"diagonals.bmp", Bitmap16()));
    File(L"&Open a DIB file");
    ASSERT_NE(nullptr, Canvas());
    EXPECT_EQ(0, NoCanvas);
    EXPECT_EQ(16, CanvasWidth);
    EXPECT_EQ("0123456789ABCDEF", ImageRow(0, 0, 16));
    RECT client;
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(160, client.right);
    EXPECT_EQ(RGB(128, 0, 0), Cell(1, 0));
    EXPECT_EQ(0, Modified);
    EXPECT_NE(std::wstring::npos, OpenAsked().find(L"*.bmp"));

    // An icon over it (the dialog is asked again), 32 x 32 without transparent pixels.
    ChooseFile(Write(L"yellow.ico", Icon(32, false)));
    File(L"&Open a ICON file");
    EXPECT_NE(std::wstring::npos, OpenAsked().find(L"*.ico"));
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(32, CanvasWidth);
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(RGB(255, 255, 0), Cell(20, 20));
    EXPECT_EQ(0, TransparencyMode);

    // With the mode on, an icon with transparent pixels switches it off.
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    EXPECT_EQ(1, TransparencyMode);
    ChooseFile(Write(L"corner.ico", Icon(16, true)));
    File(L"&Open a ICON file");
    EXPECT_EQ(0, TransparencyMode);
    EXPECT_FALSE(Checked(L"&Canvas", L"Opaque/Transparency"));
    EXPECT_EQ(nullptr, TransparentToolWindow);
    EXPECT_EQ(16, CanvasWidth);
    // Switched on by hand: the icon's own mask.
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    EXPECT_EQ("T...", MaskRow(0, 0, 4));
    // A new picture of the same size does not take the icon's mask, which went with it.
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    NewCreate(16);
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    EXPECT_EQ("....", MaskRow(0, 0, 4));

    // A bitmap after an icon: the dialog again, and the bitmap's picture.
    ChooseFile(PathOf(L"diagonals.bmp"));
    File(L"&Open a DIB file");
    EXPECT_NE(std::wstring::npos, OpenAsked().find(L"*.bmp"));
    EXPECT_EQ((DWORD)DOCUMENT_BITMAP_FILE, DocumentKind);
    EXPECT_EQ("0123", ImageRow(0, 0, 4));
    // The mode still on: a stroke edits a fresh mask of the new picture.
    Drag(4, 4, 6, 4);
    EXPECT_EQ("....TT..", MaskRow(4, 0, 8));
    EXPECT_EQ("89AB", ImageRow(4, 4, 8));

    // A cancelled open changes nothing, and the next prompt still names the file.
    AnswerNextBox(IDNO);
    ChooseFile(L"");
    File(L"&Open a ICON file");
    EXPECT_EQ((DWORD)DOCUMENT_BITMAP_FILE, DocumentKind);
    EXPECT_EQ(PathOf(L"diagonals.bmp"), ImageSlots[CurrentSlot].Path);
    EXPECT_EQ(PathOf(L"diagonals.bmp"), SeenBoxes().back().caption);
    ExpectNoFailureShown();
}

TEST_F(Editor, BadFilesOpenedFromTheMenuLeaveThePictureAsItWas) {
    // At start: a bad bitmap makes no canvas.
    ChooseFile(Write(L"text.bmp", Bytes(20, 'x')));
    AnswerNextBox(IDOK);
    File(L"&Open a DIB file");
    EXPECT_EQ(nullptr, Canvas());
    EXPECT_EQ(1, NoCanvas);
    EXPECT_EQ(L"Could not open DIB file", SeenBoxes().back().text);

    ChooseFile(Write(L"diagonals.bmp", Bitmap16()));
    File(L"&Open a DIB file");
    ASSERT_NE(nullptr, Canvas());
    const std::string row = ImageRow(3, 0, 16);

    Bytes truncated = Bitmap16();
    truncated.resize(100);
    Bytes wide = Bitmap16();
    PutLE32(wide, 18, 40000);
    Bytes shortIcon = Icon(16, false);
    shortIcon.resize(3);
    Bytes badHeader = Icon(16, false);
    PutLE32(badHeader, GetLE32(badHeader, 18), 99);
    struct Case {
        const wchar_t* name;
        Bytes bytes;
        int boxes;
    };
    const Case cases[] = {
        {L"text.bmp", Bytes(20, 'x'), 1}, {L"truncated.bmp", truncated, 2},
        {L"wide.bmp", wide, 2},           {L"missing.bmp", {}, 2},
        {L"short.ico", shortIcon, 1},     {L"header.ico", badHeader, 1},
        {L"missing.ico", {}, 1},          {L"text.ico", {'h', 'e', 'l', 'l', 'o', '!', '!'}, 1},
    };
    for (const Case& c : cases) {
        ClearSeenBoxes();
        ChooseFile(c.bytes.empty() ? PathOf(c.name) : Write(c.name, c.bytes));
        for (int i = 0; i < c.boxes; i++)
            AnswerNextBox(IDOK);
        bool icon = std::wstring(c.name).find(L".ico") != std::wstring::npos;
        File(icon ? L"&Open a ICON file" : L"&Open a DIB file");
        EXPECT_EQ((size_t)c.boxes, SeenBoxes().size()) << testing::PrintToString(c.name);
        for (const SeenBox& box : SeenBoxes())
            EXPECT_EQ((UINT)MB_ICONEXCLAMATION, box.icon) << testing::PrintToString(box.text);
        EXPECT_EQ((DWORD)DOCUMENT_BITMAP_FILE, DocumentKind);
        EXPECT_EQ(16, CanvasWidth);
        EXPECT_EQ(row, ImageRow(3, 0, 16));
        EXPECT_EQ(PathOf(L"diagonals.bmp"), ImageSlots[CurrentSlot].Path);
    }
    // The picture is still there to edit and save.
    Drag(0, 3, 4, 3);
    EXPECT_EQ(0, BmpFileIndex(SaveAs(CMD_SAVE_BITMAP, PathOf(L"kept.bmp")), 2, 3));
}

// Exit and the window's close ask before losing changes: Cancel and a cancelled save keep
// the editor running; Yes saves first.
TEST_F(Editor, ExitAndCloseAskBeforeLosingChanges) {
    NewCreate(16);
    Drag(1, 1, 5, 1);
    HWND main = MainWindow;
    for (bool fromMenu : {true, false}) {
        auto close = [fromMenu, main] {
            if (fromMenu)
                File(L"&Exit");
            else
                SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
            PumpMessages();
        };
        ClearSeenBoxes();
        AnswerNextBox(IDCANCEL);
        close();
        EXPECT_TRUE(IsWindow(main));
        ASSERT_EQ(1u, SeenBoxes().size());
        EXPECT_EQ(L"Save current changes in (untitled)?", SeenBoxes()[0].text);
        AnswerNextBox(IDYES);
        CancelSaveDialog();
        close();
        EXPECT_TRUE(IsWindow(main));
        EXPECT_EQ(1, Modified);
    }
    Bytes file = ExitSavingAs(PathOf(L"at-exit.bmp"));
    EXPECT_EQ(0, BmpFileIndex(file, 2, 1));
    EXPECT_EQ(15, BmpFileIndex(file, 2, 2));
}

// Yes at Exit saves as Ctrl+S does, with no dialog: an icon document as an icon, every image
// and the mask with it.
TEST_F(Editor, YesAtExitSavesAnIconAsAnIcon) {
    IconImage large;
    large.width = large.height = 32;
    large.table = StandardTable16();
    large.pixel = [](int, int) -> DWORD { return 3; };
    IconImage small;
    small.table = StandardTable16();
    small.pixel = [](int, int) -> DWORD { return 11; };
    small.transparent = [](int x, int y) { return x == 0 && y == 0; };
    const std::wstring path = Write(L"yellow.ico", MakeIconFile({small, large}));
    ChooseFile(path);
    File(L"&Open a ICON file");
    ASSERT_EQ(32, CanvasWidth) << "the 32 x 32 image opens";
    TapLineColor(ROW_BLACK);
    Drag(0, 4, 4, 4);
    HWND main = MainWindow;
    AnswerNextBox(IDYES);
    File(L"&Exit"); // a save dialog would fail the test: none is expected
    EXPECT_FALSE(IsWindow(main));
    Bytes file = ReadWholeFile(path);
    ASSERT_EQ(2, IconFileImageCount(file));
    EXPECT_EQ(0x00010000u, GetLE32(file, 0)) << "an icon's header";
    EXPECT_EQ(0, IconFileIndex(file, 2, 4, 1));
    EXPECT_EQ(3, IconFileIndex(file, 2, 5, 1));
    EXPECT_EQ(11, IconFileIndex(file, 1, 0, 0));
    EXPECT_TRUE(IconFileTransparent(file, 0, 0, 0)) << "the other image keeps its mask";
}

// A new picture saved as an icon is an icon from then on: Yes at the close writes the icon
// again, not a bitmap under its name.
TEST_F(Editor, YesAtCloseSavesANewPictureInTheFormItWasSavedIn) {
    NewCreate(16);
    TapLineColor(ROW_BLACK);
    Drag(0, 1, 4, 1);
    SaveAs(CMD_SAVE_ICON, PathOf(L"new.ico"));
    Drag(0, 2, 4, 2);
    HWND main = MainWindow;
    ClearSeenBoxes();
    AnswerNextBox(IDYES);
    SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(main));
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"Save current changes in new.ico?", SeenBoxes()[0].text);
    Bytes file = ReadWholeFile(PathOf(L"new.ico"));
    ASSERT_EQ(1, IconFileImageCount(file));
    EXPECT_EQ(0x00010000u, GetLE32(file, 0));
    EXPECT_EQ(0, IconFileIndex(file, 2, 1));
    EXPECT_EQ(0, IconFileIndex(file, 2, 2));
    EXPECT_EQ(15, IconFileIndex(file, 2, 3));
}

// An opened bitmap stays a bitmap; a bitmap is written under an icon's name only when the user
// says so.
TEST_F(Editor, YesSavesABitmapAsABitmapAndAsksBeforeAnIconsName) {
    const std::wstring path = Write(L"diagonals.bmp", Bitmap16());
    ChooseFile(path);
    File(L"&Open a DIB file");
    TapLineColor(ROW_WHITE);
    Drag(0, 3, 4, 3);
    const std::wstring icon = Write(L"kept.ico", Icon(16, true));
    const Bytes iconBytes = ReadWholeFile(icon);
    // Save As to the icon's name (the dialog asks whether to replace it, then the question):
    // No writes nothing.
    TypeSaveName(icon);
    AnswerNextBox(IDYES);
    AnswerNextBox(IDNO);
    FileCommand(CMD_SAVE_BITMAP);
    const SeenBox question = SeenBoxes().back();
    EXPECT_EQ(L"Write a bitmap, not an icon, into kept.ico?", question.text);
    EXPECT_EQ(icon, question.caption);
    EXPECT_EQ((UINT)MB_ICONQUESTION, question.icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), question.buttons);
    EXPECT_EQ(iconBytes, ReadWholeFile(icon));
    EXPECT_EQ(1, Modified);
    // Yes writes the bitmap there.
    TypeSaveName(icon);
    AnswerNextBox(IDYES);
    AnswerNextBox(IDYES);
    FileCommand(CMD_SAVE_BITMAP);
    EXPECT_EQ(15, BmpFileIndex(ReadWholeFile(icon), 2, 3));
    // An opened bitmap: Yes at Exit writes its own file as a bitmap, with no dialog.
    ChooseFile(path);
    File(L"&Open a DIB file");
    Drag(0, 5, 4, 5);
    HWND main = MainWindow;
    AnswerNextBox(IDYES);
    File(L"&Exit");
    EXPECT_FALSE(IsWindow(main));
    Bytes file = ReadWholeFile(path);
    EXPECT_EQ(15, BmpFileIndex(file, 2, 5));
    EXPECT_EQ(6, BmpFileIndex(file, 2, 4)) << "the rest as it was";
}

// A new picture's Save As at the prompt, to an icon's name, answered No: nothing is written
// and the command the prompt guarded does not go on.
TEST_F(Editor, NoToABitmapUnderAnIconsNameKeepsThePicture) {
    NewCreate(16);
    Drag(0, 3, 4, 3);
    const std::wstring icon = Write(L"kept.ico", Icon(16, true));
    AnswerNextBox(IDYES);
    TypeSaveName(icon);
    AnswerNextBox(IDYES); // the dialog's own question: replace the file?
    AnswerNextBox(IDNO);
    File(L"&New Create"); // its size dialog, unexpected, would fail the test
    EXPECT_EQ(L"Write a bitmap, not an icon, into kept.ico?", SeenBoxes().back().text);
    EXPECT_EQ(Icon(16, true), ReadWholeFile(icon));
    EXPECT_EQ(1, Modified);
    EXPECT_EQ("00FF", ImageRow(3, 2, 6));
}

TEST_F(Editor, NoEndsTheEditorUnsaved) {
    NewCreate(16);
    Drag(1, 1, 5, 1);
    HWND main = MainWindow;
    AnswerNextBox(IDNO);
    SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(Editor, NoPromptWhenNothingChanged) {
    NewCreate(16);
    HWND main = MainWindow;
    ClearSeenBoxes();
    File(L"&Exit");
    EXPECT_FALSE(IsWindow(main));
    EXPECT_TRUE(SeenBoxes().empty());
}

// About, and the commands that need a picture chosen before there is one.
TEST_F(Editor, CommandsBeforeAnyPicture) {
    bool shown = false;
    HandleNextDialog([&shown](HWND dialog) {
        shown = true;
        PressDialogButton(dialog, IDOK);
    });
    MenuItem(L"Help", L"A&bout");
    EXPECT_TRUE(shown);
    FileCommand(CMD_SAVE_BITMAP);
    FileCommand(CMD_SAVE_ICON);
    MenuItem(L"&Display", L"Draw Mesh");
    MenuItem(L"&Display", L"Delete Mesh");
    MenuItem(L"&Edit", L"Copy");
    MenuItem(L"&Edit", L"Paste");
    MenuItem(L"&Display", L"&Open Monitor");
    EXPECT_NE(nullptr, ImageWindows[1]) << "a 32 x 32 picture is the start size";
    MenuItem(L"&Display", L"&Close Monitor");
    // The mode can be on before there is a picture; the first one gets its mask.
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    EXPECT_NE(nullptr, TransparentToolWindow);
    EXPECT_EQ(nullptr, Canvas());
    EXPECT_EQ(1u, SeenBoxes().size()) << "only the About box";
    NewCreate(16);
    Drag(0, 0, 2, 0);
    EXPECT_EQ("TT..", MaskRow(0, 0, 4));
}

// A picture larger than the view scrolls at once, whether it came from a file or from a
// larger scale, and strokes land where the scrolled canvas shows them.
TEST_F(Editor, LargePicturesScrollInTheView) {
    NewCreate(16);
    SCROLLINFO bar = {sizeof bar, SIF_RANGE};
    EXPECT_FALSE(GetScrollInfo(ViewWindow, SB_HORZ, &bar) && bar.nMax > 0);
    ChooseFile(Write(L"wide.bmp", MakeBmpFile(BmpForm{}, 60, 50, StandardTable16(), Diagonals)));
    File(L"&Open a DIB file");
    EXPECT_EQ(60, CanvasWidth);
    RECT client;
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(600, client.right);
    ASSERT_TRUE(GetScrollInfo(ViewWindow, SB_HORZ, &bar));
    EXPECT_GT(bar.nMax, 0);
    ASSERT_TRUE(GetScrollInfo(ViewWindow, SB_VERT, &bar));
    EXPECT_GT(bar.nMax, 0);
    // A page to the right: the canvas moves left inside the view.
    SendMessageW(ViewWindow, WM_HSCROLL, SB_PAGEDOWN, 0);
    PumpMessages();
    EXPECT_GT(ViewScrollX, 0);
    POINT origin = {0, 0};
    MapWindowPoints(Canvas(), ViewWindow, &origin, 1);
    EXPECT_EQ(-ViewScrollX, origin.x);
    TapLineColor(ROW_WHITE);
    Tap(55, 2);
    EXPECT_EQ('F', ImageRow(2, 55, 56)[0]);
    EXPECT_EQ(WHITE, Cell(55, 2));

    // Back to 16 x 16, then scale 30: the bars come back for the larger canvas.
    AnswerNextBox(IDNO);
    NewCreate(16);
    ASSERT_TRUE(GetScrollInfo(ViewWindow, SB_HORZ, &bar));
    EXPECT_EQ(0, bar.nMax);
    ChooseScale(L"30");
    ASSERT_TRUE(GetScrollInfo(ViewWindow, SB_HORZ, &bar));
    EXPECT_GT(bar.nMax, 0);
}
