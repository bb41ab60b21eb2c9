// The end-to-end fixture: every step goes through what a user touches (soft keys, menus,
// dialogs, tool windows, the canvas) and every check reads what the user sees or keeps.
#include "e2e_session.h"

#define FILE_NAME_EDIT 0x47C // where Wine's save dialog keeps the typed name

void Editor::SetUp() {
    SetEnvironmentVariableW(L"PIXMORA_OPEN_FILE", nullptr);
    Folder = MakeTestFolder(L"pixmora-e2e");
    // What an earlier session of this test program left behind: a fresh run has none of it.
    DiscardImage();
    ReleaseHeldIcon();
    ReleaseSlot(CurrentSlot);
    ClipValid = Floating = SelectionShown = 0;
    PastePos = PasteBase = POINT{0, 0};
    PaletteTarget = 0;
    OpacityTool = 0;
    InitPalette();
    ClearSeenBoxes();
    ASSERT_TRUE(StartEditorSession());
}

void Editor::TearDown() {
    EXPECT_EQ(0u, PendingAnswers()) << "a box or dialog the test expected never came";
    ClearPendingAnswers();
    Modified = 0; // ends without a prompt
    EndEditorSession();
    RemoveTestFolder(Folder);
}

void Editor::File(const wchar_t* item) {
    ChooseMenuItem(MainWindow, {L"File", item});
}

void Editor::MenuItem(const wchar_t* sub, const wchar_t* item) {
    ChooseMenuItem(MainWindow, {L"Menu", sub, item});
}

void Editor::FileCommand(UINT command) {
    ChooseMenuCommand(MainWindow, L"File", command);
}

bool Editor::Checked(const wchar_t* sub, const wchar_t* item) {
    return MenuItemChecked(MainWindow, {L"Menu", sub, item});
}

std::wstring Editor::Write(const wchar_t* name, const Bytes& bytes) const {
    std::wstring path = PathOf(name);
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
}

void Editor::ChooseFile(const std::wstring& path) {
    SetEnvironmentVariableW(L"PIXMORA_OPEN_FILE", path.empty() ? nullptr : path.c_str());
}

void Editor::TypeSaveName(const std::wstring& path) {
    HandleNextDialog([path](HWND dialog) {
        SetDlgItemTextW(dialog, FILE_NAME_EDIT, path.c_str());
        PressDialogButton(dialog, IDOK);
    });
}

void Editor::CancelSaveDialog() {
    HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDCANCEL); });
}

Bytes Editor::SaveAs(UINT command, const std::wstring& path) {
    TypeSaveName(path);
    FileCommand(command);
    return ReadWholeFile(path);
}

void Editor::NewCreate(int size) {
    HandleNextDialog(
        [size](HWND dialog) { PressDialogButton(dialog, size == 16 ? IDC_SIZE_16 : IDC_SIZE_32); });
    File(L"&New Create");
}

void Editor::ChooseScale(const wchar_t* typed) {
    HandleNextDialog([typed](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_SCALE_EDIT, typed);
        PressDialogButton(dialog, IDOK);
    });
    MenuItem(L"&Display", L"Scale");
}

static void TapAt(HWND window, int x, int y) {
    ASSERT_NE(nullptr, window);
    StylusDown(window, x, y);
    StylusUp(window, x, y);
    PumpMessages();
}

void Editor::TapTool(int tool) {
    TapAt(ToolBarWindow, tool * ICON_CELL + ICON_CELL / 2, ICON_SIZE / 2);
}

// The indicator row below the colours: its middle points the palette at the fill colour,
// its edge at the line colour.
static void TapPaletteTarget(bool line) {
    TapAt(PaletteWindow, line ? 1 : 3 * PaletteCell / 2, 16 * PaletteCell + PaletteCell / 2);
}

static void TapColorRow(int row) {
    TapAt(PaletteWindow, 3 * PaletteCell / 2, row * PaletteCell + PaletteCell / 2);
}

void Editor::TapLineColor(int row) {
    TapPaletteTarget(true);
    TapColorRow(row);
}

void Editor::TapFillColor(int row) {
    TapPaletteTarget(false);
    TapColorRow(row);
}

void Editor::TapLineWidth(int width) {
    static const int middles[] = {8, 27, 56}; // the bars of widths 1 to 3 at scale 10
    TapAt(LineBarWindow, middles[width - 1], 16);
}

void Editor::TapOpacity(int choice) {
    TapAt(TransparentToolWindow, choice * ICON_CELL + ICON_CELL / 2, 16);
}

static int CellMiddle(int cell) {
    return cell * Scale + Scale / 2;
}

void Editor::Drag(int x0, int y0, int x1, int y1) {
    ASSERT_NE(nullptr, Canvas());
    StylusDrag(Canvas(), CellMiddle(x0), CellMiddle(y0), CellMiddle(x1), CellMiddle(y1), 8);
    PumpMessages();
}

void Editor::Tap(int x, int y) {
    TapAt(Canvas(), CellMiddle(x), CellMiddle(y));
}

void Editor::TapWithKeys(int x, int y, WPARAM keys) {
    ASSERT_NE(nullptr, Canvas());
    LPARAM at = MAKELPARAM(CellMiddle(x), CellMiddle(y));
    PostMessageW(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMessageW(Canvas(), WM_LBUTTONUP, keys, at);
    PumpMessages();
}

// The system's colour dialog, opened in full: its red, green and blue boxes take the numbers.
void Editor::CustomColour(COLORREF color) {
    HandleNextDialog([color](HWND dialog) {
        const int red = 706, green = 707, blue = 708;
        SetDlgItemInt(dialog, red, GetRValue(color), FALSE);
        SetDlgItemInt(dialog, green, GetGValue(color), FALSE);
        SetDlgItemInt(dialog, blue, GetBValue(color), FALSE);
        PressDialogButton(dialog, IDOK);
    });
    MenuItem(L"&Paint", L"Custom &Colour...");
}

COLORREF Editor::Cell(int x, int y) {
    UpdateWindow(Canvas());
    return WindowPixel(Canvas(), CellMiddle(x) - (Scale > 2 ? 1 : 0),
                       CellMiddle(y) - (Scale > 2 ? 1 : 0));
}

std::string Editor::ImageRow(int y, int x0, int x1) {
    GdiFlush();
    std::string row;
    for (int x = x0; x < x1; x++)
        row += "0123456789ABCDEF"[DibPixelIndex(ImageInfo, ImageBits, x, y) & 15];
    return row;
}

std::string Editor::MaskRow(int y, int x0, int x1) {
    GdiFlush();
    std::string row;
    for (int x = x0; x < x1; x++)
        row += MaskBits && DibPixelIndex(MaskInfo, MaskBits, x, y) ? 'T' : '.';
    return row;
}

// ---- The Icon Images dialog ------------------------------------------------------------------

void IconImages(std::function<void(HWND)> steps, std::vector<int> answers) {
    HandleNextDialog(steps);
    for (int button : answers)
        AnswerNextBox(button);
    Editor::MenuItem(L"&Canvas", L"Icon Images");
}

static void TapInside(HWND control, int x, int y) {
    ParkCursor();
    StylusDown(control, x, y);
    StylusUp(control, x, y);
    PumpMessages();
}

void TapControl(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    RECT r;
    GetClientRect(control, &r);
    TapInside(control, r.right / 2, r.bottom / 2);
}

void TapRow(HWND dialog, int row, bool twice) {
    HWND list = GetDlgItem(dialog, IDC_IMAGE_LIST);
    RECT r;
    SendMessageW(list, LB_GETITEMRECT, row, (LPARAM)&r);
    int x = r.left + 4, y = (r.top + r.bottom) / 2;
    TapInside(list, x, y);
    if (!twice) return;
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    StylusUp(list, x, y);
    PumpMessages();
}

std::vector<std::wstring> Rows(HWND dialog) {
    std::vector<std::wstring> rows;
    HWND list = GetDlgItem(dialog, IDC_IMAGE_LIST);
    for (int i = 0; i < (int)SendMessageW(list, LB_GETCOUNT, 0, 0); i++) {
        wchar_t text[128] = {};
        SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
        rows.push_back(text);
    }
    return rows;
}

std::vector<std::wstring> TapInIconImages(int row, int id, std::vector<int> answers) {
    std::vector<std::wstring> rows;
    IconImages(
        [&](HWND dialog) {
            if (row >= 0) TapRow(dialog, row);
            TapControl(dialog, id);
            if (IsWindowVisible(dialog)) rows = Rows(dialog); // EndDialog hides it at once
            TapControl(dialog, IDCANCEL);
        },
        answers);
    return rows;
}

void ChooseSizeAndForm(HWND dialog, const wchar_t* size, int form) {
    HWND box = GetDlgItem(dialog, IDC_ADD_SIZE);
    SendMessageW(box, CB_SETCURSEL, (WPARAM)-1, 0);
    SetWindowTextW(box, size);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_SIZE, CBN_EDITCHANGE), (LPARAM)box);
    if (form >= 0) SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_SETCURSEL, form, 0);
}

Bytes IconFileBlock(const Bytes& file, int n) {
    size_t size = GetLE32(file, 14 + 16 * n), at = GetLE32(file, 18 + 16 * n);
    return at + size <= file.size() ? Bytes(file.begin() + at, file.begin() + at + size) : Bytes();
}

void ExpectNoFailureShown() {
    for (const SeenBox& box : SeenBoxes())
        EXPECT_NE((UINT)MB_ICONEXCLAMATION, box.icon)
            << "shown: " << testing::PrintToString(box.text);
}
