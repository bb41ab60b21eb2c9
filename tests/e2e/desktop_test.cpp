// The editor on a desktop: files named on the command line or dropped on the window, the
// shortcut keys, Ctrl+S and the wheel's scale steps, each checked as the user sees it.
#include "e2e_session.h"
#include <shlobj.h>

namespace {

Bytes Icon32(DWORD index) {
    IconImage image;
    image.width = image.height = 32;
    image.table = StandardTable16();
    image.pixel = [index](int, int) -> DWORD { return index; };
    return MakeIconFile({image});
}

Bytes Diagonals16() {
    return MakeBmpFile(BmpForm{}, 16, 16, StandardTable16(),
                       [](int x, int y) -> DWORD { return (DWORD)(x + y) % 16; });
}

void OpenFromCommandLine(const std::wstring& path) {
    OpenCommandLineFile(MainWindow, (L"\"" + path + L"\"").c_str());
    PumpMessages();
}

// Drops the files on the main window as a file manager does.
void DropFiles(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& path : paths)
        chars += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(WCHAR));
    ASSERT_NE(nullptr, block);
    DROPFILES* drop = (DROPFILES*)GlobalLock(block);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    WCHAR* names = (WCHAR*)(drop + 1);
    for (const std::wstring& path : paths) {
        lstrcpyW(names, path.c_str());
        names += path.size() + 1;
    }
    GlobalUnlock(block);
    SendMessageW(MainWindow, WM_DROPFILES, (WPARAM)block, 0);
    PumpMessages();
}

// A second start's hand-over of the file, as the running editor receives it.
void HandOver(const std::wstring& path) {
    COPYDATASTRUCT data = {HANDED_FILE_TAG, (DWORD)((path.size() + 1) * sizeof(WCHAR)),
                           (void*)path.c_str()};
    SendMessageW(MainWindow, WM_COPYDATA, 0, (LPARAM)&data);
    PumpMessages();
}

void HoldKeys(bool control, bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
}

// A key typed into one of the editor's windows, through what the message loop does with it.
void Type(UINT key, bool control = true, bool shift = false, HWND target = MainWindow) {
    HoldKeys(control, shift);
    MSG msg = {target, WM_KEYDOWN, key, 1};
    if (!TranslateEditorKeys(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    HoldKeys(false, false);
    PumpMessages();
}

std::vector<int> Commands;
WNDPROC EditorProc;
LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        Commands.push_back(LOWORD(wParam));
        return 0;
    }
    return CallWindowProcW(EditorProc, window, message, wParam, lParam);
}

// The wheel as Windows delivers it, to the window that has the focus, at a screen point.
void Wheel(HWND window, POINT screen, int turn, int keys) {
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(keys, turn), MAKELPARAM(screen.x, screen.y));
    PumpMessages();
}

const std::wstring& LastBoxText() {
    static const std::wstring none;
    return SeenBoxes().empty() ? none : SeenBoxes().back().text;
}

} // namespace

// Each file is opened as its menu command opens the file chosen in its dialog: the picture,
// or the same messages, and the start screen kept after a failure.
TEST_F(Editor, FilesNamedOnTheCommandLineOpenAsTheMenuOpensThem) {
    struct Failure {
        const wchar_t* name;
        Bytes bytes; // none: the file is missing
        std::vector<std::wstring> texts;
    };
    const Failure failures[] = {
        {L"missing.ico", {}, {L"Could not open a file :" + PathOf(L"missing.ico")}},
        {L"missing.bmp",
         {},
         {L"Could not open a file :" + PathOf(L"missing.bmp"), L"Could not open DIB file"}},
        {L"notes.txt", Bytes(40, 'n'), {L"Could not open DIB file"}},
        {L"text.ico", Bytes(40, 'n'), {L"Not an icon or cursor file :" + PathOf(L"text.ico")}},
        // Devices, in any folder and with any extension: never read, told by the user's name.
        {L"COM1.ico", {}, {L"Could not open a file :" + PathOf(L"COM1.ico")}},
        {L"AUX.bmp", {}, {L"Could not open a file :" + PathOf(L"AUX.bmp")}},
        {L"CON.ico", {}, {L"Could not open a file :" + PathOf(L"CON.ico")}},
    };
    for (const Failure& f : failures) {
        ClearSeenBoxes();
        std::wstring path = f.bytes.empty() ? PathOf(f.name) : Write(f.name, f.bytes);
        for (size_t i = 0; i < f.texts.size(); i++)
            AnswerNextBox(IDOK);
        OpenFromCommandLine(path);
        ASSERT_EQ(f.texts.size(), SeenBoxes().size()) << testing::PrintToString(f.name);
        for (size_t i = 0; i < f.texts.size(); i++)
            EXPECT_EQ(f.texts[i], SeenBoxes()[i].text);
        EXPECT_EQ(nullptr, Canvas());
        EXPECT_EQ(1, NoCanvas);
        EXPECT_EQ(0u, DocumentKind);
    }

    // A name outside the ANSI code page, unquoted names, names with blanks.
    ClearSeenBoxes();
    std::wstring japanese = Write(L"\u7d75\u3068\u30a2\u30a4\u30b3\u30f3.ico", Icon32(11));
    OpenFromCommandLine(japanese);
    ExpectNoFailureShown();
    ASSERT_NE(nullptr, Canvas());
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ(RGB(255, 255, 0), Cell(20, 20));
    EXPECT_EQ(japanese, ImageSlots[CurrentSlot].Path);
    EXPECT_EQ(0, Modified);

    OpenCommandLineFile(MainWindow, (L"  " + Write(L"diagonals.bmp", Diagonals16())).c_str());
    PumpMessages();
    EXPECT_EQ((DWORD)DOCUMENT_BITMAP_FILE, DocumentKind);
    EXPECT_EQ("0123456789ABCDEF", ImageRow(0, 0, 16));
    OpenFromCommandLine(Write(L"with blanks.ico", Icon32(9)));
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(RGB(255, 0, 0), Cell(3, 3));
    ExpectNoFailureShown();

    // A name longer than a path is told, never cut to the name of another file.
    AnswerNextBox(IDOK);
    OpenFromCommandLine(std::wstring(300, L'a') + L".ico");
    EXPECT_EQ(0u, LastBoxText().find(L"Could not open a file :aaaa"));
    EXPECT_EQ(RGB(255, 0, 0), Cell(3, 3));
}

// A drop asks first when the picture has changes; Cancel keeps it, No and Yes (saving) open
// the file; of several files the first is opened.
TEST_F(Editor, DroppedFilesOpenAfterTheSavePrompt) {
    const std::wstring yellow = Write(L"yellow.ico", Icon32(11));
    const std::wstring diagonals = Write(L"diagonals.bmp", Diagonals16());
    DropFiles({yellow});
    ExpectNoFailureShown();
    EXPECT_TRUE(SeenBoxes().empty()) << "nothing to save";
    EXPECT_EQ(RGB(255, 255, 0), Cell(1, 1));
    AnswerNextBox(IDOK);
    DropFiles({PathOf(L"AUX.bmp")});
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"Could not open a file :" + PathOf(L"AUX.bmp"), LastBoxText());
    EXPECT_EQ(RGB(255, 255, 0), Cell(1, 1));
    ClearSeenBoxes();

    TapLineColor(ROW_BLACK);
    Drag(0, 2, 9, 2);
    AnswerNextBox(IDCANCEL);
    DropFiles({diagonals});
    EXPECT_EQ(L"Save current changes in yellow.ico?", LastBoxText());
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(BLACK, Cell(5, 2));

    AnswerNextBox(IDNO);
    DropFiles({diagonals});
    EXPECT_EQ((DWORD)DOCUMENT_BITMAP_FILE, DocumentKind);
    EXPECT_EQ("0123456789ABCDEF", ImageRow(0, 0, 16));

    Drag(0, 5, 9, 5);
    AnswerNextBox(IDYES); // saved to the bitmap's own file, as Ctrl+S saves
    DropFiles({yellow, diagonals});
    EXPECT_EQ(0, BmpFileIndex(ReadWholeFile(diagonals), 4, 5)) << "saved first";
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind) << "the first file dropped";
    EXPECT_EQ(RGB(255, 255, 0), Cell(4, 5));
}

// However the picture came, the prompt names the file it came from, which Yes writes: never
// the name another picture was saved under. A new picture is untitled.
TEST_F(Editor, ThePromptNamesThePicturesOwnFileHoweverItCame) {
    NewCreate(16);
    Drag(0, 1, 4, 1);
    const Bytes saved = SaveAs(CMD_SAVE_BITMAP, PathOf(L"pic.bmp"));
    NewCreate(16);
    const std::wstring files[] = {Write(L"yellow.ico", Icon32(11)),
                                  Write(L"diagonals.bmp", Diagonals16())};
    void (*const ways[])(const std::wstring&) = {
        [](const std::wstring& path) {
            ChooseFile(path);
            File(HasIconFileName(path.c_str()) ? L"&Open a ICON file" : L"&Open a DIB file");
        },
        [](const std::wstring& path) { DropFiles({path}); }, OpenFromCommandLine, HandOver};
    std::wstring name = L"(untitled)";
    for (int i = 0; i < 4; i++) {
        const std::wstring& file = files[i % 2];
        Drag(0, 2, 4, 2);
        ClearSeenBoxes();
        AnswerNextBox(IDCANCEL);
        ways[i](file);
        ASSERT_EQ(1u, SeenBoxes().size()) << "way " << i;
        EXPECT_EQ(L"Save current changes in " + name + L"?", LastBoxText()) << "way " << i;
        AnswerNextBox(IDNO);
        ways[i](file);
        name = FileNameOf(file.c_str());
    }
    Drag(0, 2, 4, 2);
    HWND main = MainWindow;
    AnswerNextBox(IDYES);
    File(L"&Exit");
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(L"Save current changes in diagonals.bmp?", LastBoxText());
    EXPECT_EQ(0, BmpFileIndex(ReadWholeFile(files[1]), 2, 2));
    EXPECT_EQ(saved, ReadWholeFile(PathOf(L"pic.bmp")));
}

// Every key sends its menu item's command to the main window, from the main window or any of
// its children, and only with its own modifiers.
TEST_F(Editor, EachShortcutKeySendsItsMenuCommand) {
    struct Key {
        UINT key;
        bool control, shift;
        int command; // 0: none
    };
    const Key keys[] = {
        {'N', true, false, CMD_NEW_CREATE},
        {'O', true, false, CMD_OPEN_ICON},
        {'O', true, true, CMD_OPEN_BITMAP},
        {'S', true, false, CMD_SAVE},
        {'Z', true, false, CMD_UNDO},
        {'Y', true, false, CMD_REDO},
        {'C', true, false, CMD_COPY},
        {'V', true, false, CMD_PASTE},
        {VK_OEM_PLUS, true, false, CMD_SCALE_UP},
        {VK_OEM_PLUS, true, true, CMD_SCALE_UP},
        {VK_ADD, true, false, CMD_SCALE_UP},
        {VK_OEM_MINUS, true, false, CMD_SCALE_DOWN},
        {VK_SUBTRACT, true, false, CMD_SCALE_DOWN},
        {'0', true, false, CMD_SCALE_START},
        {VK_NUMPAD0, true, false, CMD_SCALE_START},
        {'F', false, false, CMD_FILL_TOOL},
        {'Z', false, false, 0},
        {'S', true, true, 0},
        {'N', false, true, 0},
    };
    NewCreate(32);
    EditorProc = (WNDPROC)SetWindowLongPtrW(MainWindow, GWLP_WNDPROC, (LONG_PTR)RecordCommands);
    for (HWND target : {MainWindow, Canvas(), PaletteWindow}) {
        for (const Key& k : keys) {
            Commands.clear();
            Type(k.key, k.control, k.shift, target);
            EXPECT_EQ(k.command ? std::vector<int>{k.command} : std::vector<int>{}, Commands)
                << "key " << k.key << (k.control ? " Ctrl" : "") << (k.shift ? " Shift" : "");
        }
    }
    // Keys typed into the soft-key bar (its pop-ups, like dialogs, have their own keys).
    Commands.clear();
    Type('Z', true, false, MenuBarWindow);
    EXPECT_TRUE(Commands.empty());
    SetWindowLongPtrW(MainWindow, GWLP_WNDPROC, (LONG_PTR)EditorProc);

    // The command runs as from the menu, message and all.
    AnswerNextBox(IDOK);
    Type('Z');
    EXPECT_EQ(L"There's No undo item!", LastBoxText());
}

// Ctrl+S writes the picture back to its file in the file's own form without a dialog; a new
// picture gets the Save As of its kind first, and then belongs to the file it was saved to.
TEST_F(Editor, CtrlSSavesToTheDocumentsOwnFile) {
    const std::wstring path = Write(L"yellow.ico", Icon32(11));
    OpenFromCommandLine(path);
    TapLineColor(ROW_BLACK);
    Drag(0, 4, 9, 4);
    Type('S');
    EXPECT_TRUE(SeenBoxes().empty());
    Bytes saved = ReadWholeFile(path);
    EXPECT_EQ(1, IconFileImageCount(saved));
    EXPECT_EQ(0, IconFileIndex(saved, 5, 4));
    EXPECT_EQ(11, IconFileIndex(saved, 5, 5));
    EXPECT_EQ(0, Modified);
    EXPECT_STREQ(L"yellow.ico", DocumentTitle);

    NewCreate(16); // saved: no prompt
    Drag(0, 1, 5, 1);
    TypeSaveName(PathOf(L"new.bmp"));
    ClearSeenBoxes();
    Type('S');
    EXPECT_EQ(1u, SeenBoxes().size()) << "the save dialog";
    EXPECT_EQ(0, BmpFileIndex(ReadWholeFile(PathOf(L"new.bmp")), 3, 1));
    Drag(0, 2, 5, 2);
    Type('S'); // no dialog this time: an unexpected one fails the test
    EXPECT_EQ(0, BmpFileIndex(ReadWholeFile(PathOf(L"new.bmp")), 3, 2));

    // Saved as an icon from the menu: Ctrl+S goes on writing that icon.
    Bytes icon = SaveAs(CMD_SAVE_ICON, PathOf(L"new.ico"));
    Drag(0, 3, 5, 3);
    Type('S');
    EXPECT_EQ(0, IconFileIndex(ReadWholeFile(PathOf(L"new.ico")), 3, 3));
    EXPECT_EQ(15, BmpFileIndex(ReadWholeFile(PathOf(L"new.bmp")), 3, 3));

    // A name given relative to the folder the program started in still names that file once
    // the current folder has changed (as the system's file dialogs change it).
    const std::wstring elsewhere = PathOf(L"elsewhere");
    CreateDirectoryW(elsewhere.c_str(), nullptr);
    WCHAR started[MAX_PATH];
    ASSERT_TRUE(GetCurrentDirectoryW(MAX_PATH, started));
    ASSERT_TRUE(SetCurrentDirectoryW(Folder.c_str()));
    OpenFromCommandLine(L"yellow.ico");
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.c_str()));
    Drag(0, 6, 9, 6);
    Type('S');
    ExpectNoFailureShown();
    EXPECT_EQ(0, IconFileIndex(ReadWholeFile(path), 5, 6));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW(PathOf(L"elsewhere\\yellow.ico").c_str()));
    SetCurrentDirectoryW(started);
    DeleteFileW(PathOf(L"elsewhere\\yellow.ico").c_str());
    RemoveDirectoryW(elsewhere.c_str());
}

// The scale keys step by one, never below 1, and Ctrl+0 goes back to 10; Ctrl+wheel steps a
// notch at a time (small turns adding up) and keeps the image pixel under the pointer.
TEST_F(Editor, ScaleKeysAndCtrlWheelChangeTheScale) {
    NewCreate(32);
    Type(VK_OEM_PLUS);
    EXPECT_EQ(11, Scale);
    RECT client;
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(32 * 11, client.right);
    Type(VK_OEM_MINUS);
    Type(VK_SUBTRACT);
    EXPECT_EQ(9, Scale);
    for (int i = 0; i < 12; i++)
        Type(VK_OEM_MINUS);
    EXPECT_EQ(1, Scale);
    Type('0');
    EXPECT_EQ(10, Scale);
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(320, client.right);

    // At scale 20 the pointer over image pixel (16, 16), near the middle of the cell.
    for (int i = 0; i < 10; i++)
        Type(VK_ADD);
    EXPECT_EQ(20, Scale);
    POINT screen = {16 * 20 + 10, 16 * 20 + 10};
    ClientToScreen(Canvas(), &screen);
    auto pixelUnderPointer = [&screen]() {
        POINT at = screen;
        ScreenToClient(Canvas(), &at);
        return POINT{at.x / Scale, at.y / Scale};
    };
    for (int i = 0; i < 2; i++)
        Wheel(MainWindow, screen, WHEEL_DELTA / 3, MK_CONTROL);
    EXPECT_EQ(20, Scale) << "two thirds of a notch";
    Wheel(MainWindow, screen, WHEEL_DELTA / 3, MK_CONTROL);
    EXPECT_EQ(21, Scale);
    Wheel(Canvas(), screen, 5 * WHEEL_DELTA, MK_CONTROL); // from the canvas up to the main window
    EXPECT_EQ(26, Scale);
    EXPECT_GT(ViewScrollX, 0);
    EXPECT_GT(ViewScrollY, 0);
    EXPECT_EQ(16, pixelUnderPointer().x);
    EXPECT_EQ(16, pixelUnderPointer().y);
    Wheel(MainWindow, screen, -4 * WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(22, Scale);
    EXPECT_EQ(16, pixelUnderPointer().x);
    EXPECT_EQ(16, pixelUnderPointer().y);

    // Without Ctrl the wheel scrolls the view; outside the view it does nothing.
    const int y = ViewScrollY;
    Wheel(MainWindow, screen, -WHEEL_DELTA, 0);
    EXPECT_EQ(y + 8, ViewScrollY);
    RECT palette;
    GetWindowRect(PaletteWindow, &palette);
    Wheel(MainWindow, POINT{palette.left + 2, palette.top + 2}, WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(22, Scale);

    // The scale stops where the canvas would outgrow what a window and a stylus point reach:
    // scrolled to the far corner, the corner pixel is drawn where it shows, and a drag on past
    // the far edge (where a point's 16 bits wrap) draws nothing more.
    ChooseScale(L"9999");
    EXPECT_EQ((32767 - 2) / 32, Scale);
    ScrollViewTo(0x7FFFFFFF, 0x7FFFFFFF);
    RECT view;
    GetClientRect(ViewWindow, &view);
    POINT corner = {view.right - 3, view.bottom - 3};
    MapWindowPoints(ViewWindow, Canvas(), &corner, 1);
    TapLineColor(ROW_BLACK);
    StylusDown(Canvas(), corner.x, corner.y);
    StylusMove(Canvas(), corner.x + 600, corner.y);
    StylusUp(Canvas(), corner.x + 600, corner.y);
    EXPECT_EQ("F0", ImageRow(31, 30, 32));
    EXPECT_EQ("FF", ImageRow(31, 0, 2));
    // A wider picture opened lowers the scale to its own largest.
    AnswerNextBox(IDNO);
    OpenFromCommandLine(Write(L"wide.bmp", MakeBmpFile(BmpForm{}, 2048, 16, StandardTable16(),
                                                       [](int, int) -> DWORD { return 3; })));
    EXPECT_EQ(15, Scale);
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(2048 * 15, client.right);
}

// A key, a drop or the wheel's scale step while the stylus is still down ends the stroke
// first, as a lost capture does: a picture changed by that stroke alone is not given up
// unasked, Undo takes the stroke as it stood, and a new scale does not move the rest of the
// stroke off the pointer.
TEST_F(Editor, KeysDropsAndTheWheelDuringAStrokeEndItFirst) {
    const std::wstring yellow = Write(L"yellow.ico", Icon32(11));
    OpenFromCommandLine(yellow);
    TapLineColor(ROW_BLACK);
    const int at = Scale / 2;
    auto press = [at](int x0, int x1, int y) {
        StylusDown(Canvas(), x0 * Scale + at, y * Scale + at);
        StylusMove(Canvas(), x1 * Scale + at, y * Scale + at);
    };
    press(2, 6, 4);
    AnswerNextBox(IDCANCEL);
    Type('N');
    EXPECT_EQ(L"Save current changes in yellow.ico?", LastBoxText());
    StylusUp(Canvas(), 6 * Scale + at, 4 * Scale + at);
    EXPECT_EQ("0000B", ImageRow(4, 2, 7));
    // Undone and redone as it stood at the key: the rest of the drag draws nowhere.
    press(2, 6, 10);
    Type('Z');
    StylusMove(Canvas(), 9 * Scale + at, 10 * Scale + at);
    StylusUp(Canvas(), 9 * Scale + at, 10 * Scale + at);
    EXPECT_EQ(std::string(32, 'B'), ImageRow(10, 0, 32));
    Type('Y');
    EXPECT_EQ("0000BBBB", ImageRow(10, 2, 10));

    Type('S');
    press(2, 6, 6);
    ClearSeenBoxes();
    AnswerNextBox(IDCANCEL);
    DropFiles({yellow});
    EXPECT_EQ(L"Save current changes in yellow.ico?", LastBoxText());
    EXPECT_EQ("0000B", ImageRow(6, 2, 7));

    press(2, 6, 8);
    POINT screen = {4 * Scale, 4 * Scale};
    ClientToScreen(Canvas(), &screen);
    Wheel(MainWindow, screen, WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(11, Scale);
    StylusMove(Canvas(), 9 * Scale + at, 8 * Scale + at);
    StylusUp(Canvas(), 9 * Scale + at, 8 * Scale + at);
    EXPECT_EQ("0000BBBB", ImageRow(8, 2, 10));
    EXPECT_EQ(std::string(32, 'B'), ImageRow(9, 0, 32));
}
