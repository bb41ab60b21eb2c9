// The main window's commands: the save prompt that guards them, New Create, Canvas Size,
// Scale, the forwards to the canvas, Exit and closing from outside.
#include "editor_window.h"
#include <functional>

namespace {

void AnswerSizeDialog(int button) {
    HandleNextDialog([=](HWND dialog) { PressDialogButton(dialog, button); });
}

} // namespace

TEST_F(EditorWindow, SavePromptNamesTheDocumentOrUntitled) {
    Modified = 1;
    DocumentKind = DOCUMENT_BITMAP_FILE;
    lstrcpyW(DocumentTitle, L"pic.bmp");
    lstrcpyW(ImageSlots[CurrentSlot].Path, L"C:\\pictures\\old.bmp");
    AnswerNextBox(IDNO);
    EXPECT_EQ(1, ConfirmDiscard(MainWindow, DocumentTitle, ImageSlots[CurrentSlot].Path));
    DocumentTitle[0] = 0;
    ImageSlots[CurrentSlot].Path[0] = 0;
    AnswerNextBox(IDCANCEL);
    EXPECT_EQ(0, ConfirmDiscard(MainWindow, DocumentTitle, ImageSlots[CurrentSlot].Path));
    ASSERT_EQ(2u, SeenBoxes().size());
    EXPECT_EQ(L"Save current changes in pic.bmp?", SeenBoxes()[0].text);
    EXPECT_EQ(L"C:\\pictures\\old.bmp", SeenBoxes()[0].caption);
    EXPECT_EQ((UINT)MB_ICONQUESTION, SeenBoxes()[0].icon);
    EXPECT_EQ((std::vector<int>{IDCANCEL, IDYES, IDNO}), SeenBoxes()[0].buttons);
    EXPECT_EQ(L"Save current changes in (untitled)?", SeenBoxes()[1].text);
    EXPECT_EQ(L"", SeenBoxes()[1].caption);

    // A prompt that cannot be shown (its owner is gone) keeps the picture.
    HWND gone = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(0, ConfirmDiscard(gone, L"x", L"y"));

    Modified = 0;
    EXPECT_EQ(1, ConfirmDiscard(MainWindow, L"x", L"y")) << "no prompt when unmodified";
    EXPECT_EQ(2u, SeenBoxes().size());
}

TEST_F(EditorWindow, ReportErrorFillsInTheNameWithAnExclamation) {
    AnswerNextBox(IDOK);
    ReportError(MainWindow, L"Could not write file %s", L"", L"Mosaro");
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"Could not write file (untitled)", SeenBoxes()[0].text);
    EXPECT_EQ(L"Mosaro", SeenBoxes()[0].caption);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, SeenBoxes()[0].icon);
    EXPECT_EQ((std::vector<int>{IDOK}), SeenBoxes()[0].buttons);
}

// Yes saves in the current kind and goes ahead only when the save succeeded; No goes ahead
// unsaved; Cancel stops. Checked for each guarded command of the main window.
TEST_F(EditorWindow, EveryGuardedCommandFollowsTheAnswer) {
    MakeRecordingCanvas();
    struct Case {
        int kind, answer;
        LRESULT saveResult;
        std::vector<int> saves;
        bool goesAhead;
    };
    const Case cases[] = {
        {DOCUMENT_NEW_BITMAP, IDYES, 1, {CMD_SAVE_BITMAP}, true},
        {DOCUMENT_ICON_FILE, IDYES, 1, {CMD_SAVE_ICON}, true},
        {DOCUMENT_NEW_BITMAP, IDYES, 0, {CMD_SAVE_BITMAP}, false}, // cancelled or failed save
        {DOCUMENT_NEW_BITMAP, IDNO, 1, {}, true},
        {DOCUMENT_NEW_BITMAP, IDCANCEL, 1, {}, false},
    };
    for (int command : {CMD_NEW_CREATE, CMD_CANVAS_SIZE}) {
        for (const Case& c : cases) {
            Modified = 1;
            DocumentKind = c.kind;
            CanvasCommands.clear();
            CanvasSaveResult = c.saveResult;
            ClearSeenBoxes();
            AnswerNextBox(c.answer);
            if (c.goesAhead) AnswerSizeDialog(IDCANCEL); // the command's dialog shows it went ahead
            Command(command);
            EXPECT_EQ(c.goesAhead ? 2u : 1u, SeenBoxes().size())
                << "command " << command << " answer " << c.answer;
            EXPECT_EQ(c.saves, CanvasCommands) << "command " << command;
        }
    }
    // Exit: Cancel keeps the program, a failed save too, No ends it (last, as it ends).
    for (const Case* c : {&cases[4], &cases[2], &cases[3]}) {
        Modified = 1;
        DocumentKind = c->kind;
        CanvasCommands.clear();
        CanvasSaveResult = c->saveResult;
        AnswerNextBox(c->answer);
        Command(CMD_EXIT);
        EXPECT_EQ(c->goesAhead, !IsWindow(MainWindow)) << "Exit, answer " << c->answer;
        EXPECT_EQ(c->saves, CanvasCommands);
    }
}

TEST_F(EditorWindow, ExitWithYesSavesThenEndsAskingOnce) {
    MakeRecordingCanvas();
    Modified = 1;
    DocumentKind = DOCUMENT_ICON_FILE;
    AnswerNextBox(IDYES);
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"File", L"&Exit"}));
    EXPECT_FALSE(IsWindow(MainWindow));
    EXPECT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(std::vector<int>{CMD_SAVE_ICON}, CanvasCommands);
}

TEST_F(EditorWindow, ClosingFromOutsideAsksAsExitDoes) {
    MakeRecordingCanvas();
    Modified = 1;
    DocumentKind = DOCUMENT_NEW_BITMAP;
    AnswerNextBox(IDCANCEL);
    SendMessageW(MainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(MainWindow)) << "Cancel keeps the program running";
    AnswerNextBox(IDCANCEL);
    EXPECT_EQ(FALSE, SendMessageW(MainWindow, WM_QUERYENDSESSION, 0, 0));
    AnswerNextBox(IDNO);
    EXPECT_EQ(TRUE, SendMessageW(MainWindow, WM_QUERYENDSESSION, 0, 0));
    AnswerNextBox(IDNO);
    SendMessageW(MainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(MainWindow));
    EXPECT_EQ(4u, SeenBoxes().size());

    // Unmodified: closes without a word.
    TearDown();
    SetUp();
    SendMessageW(MainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(MainWindow));
}

TEST_F(EditorWindow, NewCreateMakesAFreshUnmodifiedCanvasOfTheChosenSize) {
    AnswerSizeDialog(IDC_SIZE_16);
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"File", L"&New Create"}));
    ASSERT_NE(nullptr, ImageWindows[0]);
    EXPECT_EQ(ViewWindow, GetParent(ImageWindows[0]));
    EXPECT_EQ((DWORD)DOCUMENT_NEW_BITMAP, DocumentKind);
    EXPECT_EQ(0, NoCanvas);
    EXPECT_EQ(16, CanvasWidth);
    ExpectRect(ImageWindows[0], -1, -1, 162, 162, "canvas");

    // Replacing a modified document after No: the old canvas goes, the new one is clean.
    HWND old = ImageWindows[0];
    Modified = 1;
    AnswerNextBox(IDNO);
    AnswerSizeDialog(IDOK);
    Command(CMD_NEW_CREATE);
    EXPECT_FALSE(IsWindow(old));
    ASSERT_NE(nullptr, ImageWindows[0]);
    EXPECT_EQ(0, Modified);

    // CLOSE after the prompt leaves everything as it was.
    HWND current = ImageWindows[0];
    Modified = 1;
    AnswerNextBox(IDNO);
    AnswerSizeDialog(IDCANCEL);
    Command(CMD_NEW_CREATE);
    EXPECT_EQ(current, ImageWindows[0]);
    EXPECT_TRUE(IsWindow(current));
    EXPECT_EQ(1, Modified);
}

TEST_F(EditorWindow, CanvasSizeResizesAndLaysTheCanvasOutAtOnce) {
    MakeRecordingCanvas();
    AnswerSizeDialog(IDC_SIZE_16);
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Canvas", L"Canvas Size"}));
    EXPECT_EQ(std::vector<int>{CMD_RESIZE_IMAGE}, CanvasCommands);
    ExpectRect(ImageWindows[0], -1, -1, 162, 162, "canvas after the size change");

    CanvasCommands.clear();
    SizeChosen = 0;
    AnswerSizeDialog(IDOK); // same size again: nothing to resize
    Command(CMD_CANVAS_SIZE);
    EXPECT_TRUE(CanvasCommands.empty());
}

TEST_F(EditorWindow, ScaleChangeResizesTheCanvas) {
    MakeRecordingCanvas();
    HandleNextDialog([](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_SCALE_EDIT, L"4");
        PressDialogButton(dialog, IDOK);
    });
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Display", L"Scale"}));
    EXPECT_EQ(4, Scale);
    ExpectRect(ImageWindows[0], -1, -1, 130, 130, "canvas at scale 4");
}

TEST_F(EditorWindow, CanvasCommandsWithoutACanvasDoNothing) {
    for (int command : {CMD_SAVE_BITMAP, CMD_SAVE_ICON, CMD_MESH_ON, CMD_MESH_OFF})
        EXPECT_EQ(0, Command(command));
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Edit", L"Copy"}));
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Edit", L"Paste"}));
    EXPECT_EQ(0, ClipValid);
    EXPECT_EQ(nullptr, ImageWindows[0]);
    EXPECT_TRUE(SeenBoxes().empty());
}

TEST_F(EditorWindow, SaveCommandsPassTheCanvasResultBack) {
    MakeRecordingCanvas();
    CanvasSaveResult = 1;
    EXPECT_EQ(1, Command(CMD_SAVE_BITMAP));
    CanvasSaveResult = 0;
    EXPECT_EQ(0, Command(CMD_SAVE_ICON));
    EXPECT_EQ((std::vector<int>{CMD_SAVE_BITMAP, CMD_SAVE_ICON}), CanvasCommands);
    EXPECT_EQ(0, Command(CMD_ENSURE_CANVAS)) << "a second command 50 makes no second canvas";
    EXPECT_EQ((std::vector<int>{CMD_SAVE_BITMAP, CMD_SAVE_ICON}), CanvasCommands);
}

TEST_F(EditorWindow, UndoAndRedoFromTheMenuExchangeOrSayThereIsNothing) {
    AnswerNextBox(IDOK);
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Edit", L"Undo"}));
    AnswerNextBox(IDOK);
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Edit", L"Redo"}));
    ASSERT_EQ(2u, SeenBoxes().size());
    EXPECT_EQ(L"There's No undo item!", SeenBoxes()[0].text);
    EXPECT_EQ(L"Mosaro", SeenBoxes()[0].caption);
    EXPECT_EQ((std::vector<int>{IDOK}), SeenBoxes()[0].buttons);
    EXPECT_EQ(L"There's No redo item!", SeenBoxes()[1].text);

    // After a snapshot: Undo and Redo exchange silently, a second Redo has nothing left.
    ASSERT_TRUE(CreateImage(MainWindow));
    ASSERT_TRUE(TakeSnapshot(MainWindow));
    ClearSeenBoxes();
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Edit", L"Undo"}));
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Edit", L"Redo"}));
    EXPECT_TRUE(SeenBoxes().empty());
    AnswerNextBox(IDOK);
    EXPECT_TRUE(ChooseMenuItem(MainWindow, {L"Menu", L"&Edit", L"Redo"}));
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"There's No redo item!", SeenBoxes()[0].text);
    DiscardImage();
}

// The second click of a double-click on a box's OK lands where the first did: the message
// loop drops that press and its release, but not a press elsewhere, later, with no box
// before, or after a box closed by a key or by a command sent to it. Each press is judged by
// its own position (lParam); the pointer's (pt) stays where it rests, as for posted input.
TEST_F(EditorWindow, TheClickAfterOneThatClosedABoxIsDroppedOnlyWhenItIsItsEcho) {
    MakeRecordingCanvas();
    POINT rests;
    GetCursorPos(&rests);
    auto press = [&](POINT at, DWORD time, UINT message = WM_LBUTTONDOWN) {
        ScreenToClient(ImageWindows[0], &at);
        MSG msg = {ImageWindows[0], message, MK_LBUTTON, MAKELPARAM(at.x, at.y), time, rests};
        return IsClosingClickEcho(&msg);
    };
    // "There's No undo item!", closed as the action does it from inside the box's loop.
    auto closeABox = [](std::function<void(HWND ok)> close) {
        HandleNextDialog([close](HWND box) { close(GetDlgItem(box, IDOK)); });
        Command(CMD_UNDO);
        ASSERT_EQ(L"There's No undo item!", SeenBoxes().back().text);
    };
    POINT clicked = {};
    auto byClick = [&](HWND ok) {
        RECT r;
        GetClientRect(ok, &r);
        clicked = POINT{r.right / 2, r.bottom / 2};
        PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(clicked.x, clicked.y));
        PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(clicked.x, clicked.y));
        ClientToScreen(ok, &clicked);
    };
    auto byKey = [&](HWND ok) { // a click on the box, not its button, then Enter closes it
        HWND box = GetParent(ok);
        clicked = POINT{5, 5};
        PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(clicked.x, clicked.y));
        PostMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(clicked.x, clicked.y));
        ClientToScreen(box, &clicked);
        PostMessageW(ok, WM_KEYDOWN, VK_RETURN, 1);
    };
    auto byCommand = [](HWND ok) { PressDialogButton(GetParent(ok), IDOK); };

    closeABox(byClick);
    EXPECT_TRUE(press(clicked, GetTickCount())) << "the echo";
    EXPECT_TRUE(press(clicked, GetTickCount(), WM_LBUTTONUP)) << "and its release";
    EXPECT_FALSE(press(clicked, GetTickCount())) << "a second press is the user's";
    EXPECT_FALSE(press(clicked, GetTickCount(), WM_LBUTTONUP));

    closeABox(byClick);
    EXPECT_FALSE(press(POINT{clicked.x + 40, clicked.y}, GetTickCount())) << "elsewhere";
    closeABox(byClick);
    EXPECT_FALSE(press(clicked, GetTickCount() + GetDoubleClickTime() + 100)) << "later";
    EXPECT_FALSE(press(clicked, GetTickCount())) << "no box closed since";

    closeABox(byKey);
    EXPECT_FALSE(press(clicked, GetTickCount())) << "closed with a key";
    EXPECT_FALSE(press(rests, GetTickCount()))
        << "closed with a key, the tap where the pointer rests";
    closeABox(byCommand);
    EXPECT_FALSE(press(rests, GetTickCount())) << "closed by a command";

    // Presses for windows that are not the editor's are never touched.
    closeABox(byClick);
    MSG other = {MenuBarWindow, WM_LBUTTONDOWN, MK_LBUTTON, 0, GetTickCount(), clicked};
    EXPECT_FALSE(IsClosingClickEcho(&other));
    EXPECT_TRUE(press(clicked, GetTickCount()));
}
