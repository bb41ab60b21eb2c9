// Drives a running editor through the scenes of the README's tour and the user guide, one
// scene per run, as a user would: menu commands and soft keys, answers to its dialogs, taps
// on the tool windows and strokes on the canvas, all as window messages from outside the
// editor's process. A scene that leaves a dialog up returns with it up, so that it can be
// photographed; the scene after it answers the dialog. Scenes follow each other in the order
// scripts/tour plays them, each starting from what the one before left.
// A scene that wants only part of the screen photographed prints "crop WxH+X+Y ZOOM" (screen
// pixels, and how many times to enlarge the part).
// Usage: tour_driver SCENE [FILE]   (FILE: the Windows name of the picture a scene saves/opens)
#include <windows.h>
#include "resources/resource_ids.h"
#include <cstdio>
#include <cwchar>
#include <initializer_list>

namespace {

HWND Main;

HWND Child(const wchar_t* className) {
    return FindWindowExW(Main, nullptr, className, nullptr);
}

HWND Canvas() {
    HWND view = Child(L"View Window");
    return view ? FindWindowExW(view, nullptr, L"Canvas", nullptr) : nullptr;
}

// Lets the editor finish what the last messages started, paints included.
void Settle() {
    DWORD_PTR result;
    SendMessageTimeoutW(Main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    Sleep(150);
}

void Tap(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A stroke between two image cells at scale 10, in steps as a stylus moves.
void Stroke(int x0, int y0, int x1, int y1) {
    HWND canvas = Canvas();
    const int steps = 8;
    SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0 * 10 + 5, y0 * 10 + 5));
    for (int i = 1; i <= steps; i++) {
        int x = (x0 + (x1 - x0) * i / steps) * 10 + 5, y = (y0 + (y1 - y0) * i / steps) * 10 + 5;
        SendMessageW(canvas, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    }
    SendMessageW(canvas, WM_LBUTTONUP, 0, MAKELPARAM(x1 * 10 + 5, y1 * 10 + 5));
}

void Command(int id) {
    SendMessageW(Main, WM_COMMAND, id, 0);
    Settle();
}

void TapTool(int tool) {
    Tap(Child(L"ToolBar"), tool * 31 + 15, 16);
}

// The line bar's bars at scale 10: widths 1, 2, 3, ... as 10, 20, 30 pixels, 4 apart.
void TapLineWidth(int width) {
    int x = 4;
    for (int w = 1; w < width; w++)
        x += w * 10 + 4;
    Tap(Child(L"LineBar"), x + width * 5, 16);
}

// The palette's cell height follows its client height: 16 colour rows and the indicator.
int PaletteCell() {
    RECT client;
    GetClientRect(Child(L"Palette"), &client);
    return client.bottom / 17;
}

// Points the palette at the line (edge of the indicator) or fill colour (its middle), then
// taps the colour's row.
void TapColor(bool line, int row) {
    HWND palette = Child(L"Palette");
    int cell = PaletteCell();
    Tap(palette, line ? 1 : 3 * cell / 2, 16 * cell + cell / 2);
    Tap(palette, 3 * cell / 2, row * cell + cell / 2);
}

// Prints a part of the screen, with a margin, for the photograph to show enlarged.
void Crop(RECT part, int margin, int zoom) {
    InflateRect(&part, margin, margin);
    if (part.left < 0) part.left = 0;
    if (part.top < 0) part.top = 0;
    printf("crop %ldx%ld+%ld+%ld %d\n", part.right - part.left, part.bottom - part.top, part.left,
           part.top, zoom);
}

// A window of the editor's thread of the class and caption given (any caption when none),
// waited for up to ten seconds.
HWND WaitForWindow(const wchar_t* className, const wchar_t* caption) {
    DWORD thread = GetWindowThreadProcessId(Main, nullptr);
    for (int i = 0; i < 100; i++) {
        HWND found = nullptr;
        while ((found = FindWindowExW(nullptr, found, className, caption)) != nullptr)
            if (IsWindowVisible(found) && GetWindowThreadProcessId(found, nullptr) == thread)
                return found;
        Sleep(100);
    }
    return nullptr;
}

bool WaitUntilGone(HWND window) {
    for (int i = 0; i < 100 && IsWindow(window); i++)
        Sleep(100);
    Settle();
    return !IsWindow(window);
}

// The save prompt and the editor's message boxes: dialogs whose static text begins so.
HWND WaitForBox(const wchar_t* textStart) {
    DWORD thread = GetWindowThreadProcessId(Main, nullptr);
    for (int i = 0; i < 100; i++) {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
            if (!IsWindowVisible(box) || GetWindowThreadProcessId(box, nullptr) != thread) continue;
            HWND text = nullptr;
            wchar_t shown[300];
            while ((text = FindWindowExW(box, text, L"Static", nullptr)) != nullptr)
                if (GetWindowTextW(text, shown, 300) &&
                    !wcsncmp(shown, textStart, wcslen(textStart)))
                    return box;
        }
        Sleep(100);
    }
    return nullptr;
}

// Clicks a button of a dialog and waits until the dialog has gone.
bool Answer(HWND dialog, int button) {
    if (!dialog) return false;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, button));
    return WaitUntilGone(dialog);
}

// A command that runs a modal dialog: posted, so that this returns once the dialog is up.
HWND PostForDialog(int command, const wchar_t* caption) {
    PostMessageW(Main, WM_COMMAND, command, 0);
    return WaitForWindow(L"#32770", caption);
}

// New Create runs a modal dialog: post the command, then answer the dialog once it is up.
bool NewCreate32() {
    HWND dialog = PostForDialog(CMD_NEW_CREATE, L"Canvas Size Box");
    if (!dialog) return false;
    SendMessageW(GetDlgItem(dialog, IDC_SIZE_32), BM_CLICK, 0, 0);
    Settle();
    return Canvas() != nullptr;
}

// A smiling face in yellow with a black outline, on a 32 x 32 picture.
void DrawFace() {
    TapColor(true, 0);   // black outlines
    TapColor(false, 14); // stored 0x00FFFF: shown yellow
    TapTool(4);          // filled ellipse
    Stroke(4, 4, 28, 28);
    TapColor(false, 6); // shown as dark yellow-brown: the eyes
    TapTool(2);         // filled rectangle
    Stroke(11, 11, 14, 15);
    Stroke(18, 11, 21, 15);
    TapTool(0); // pen, two pixels wide, for the mouth
    TapLineWidth(2);
    TapColor(true, 12); // shown red
    Stroke(11, 20, 13, 22);
    Stroke(13, 22, 19, 22);
    Stroke(19, 22, 21, 20);
    Settle();
}

// The file name field of the platform's open and save dialogs.
const int FileNameField = 0x47C;

// ---- The scenes --------------------------------------------------------------------------

bool Start(const wchar_t*) {
    return true;
}

bool Draw(const wchar_t*) {
    if (!NewCreate32()) {
        fprintf(stderr, "tour_driver: no canvas after New Create\n");
        return false;
    }
    Command(CMD_OPEN_MONITOR);
    DrawFace();
    return true;
}

bool Transparency(const wchar_t*) {
    Command(CMD_TRANSPARENCY); // the opacity tool starts on "transparent"
    TapTool(0);
    // The mask pen is one pixel wide: two strokes along each edge clear a frame.
    for (int i : {0, 1, 30, 31}) {
        Stroke(0, i, 31, i);
        Stroke(i, 0, i, 31);
    }
    Stroke(31, 31, 31, 31); // a line stops before its end pixel; a tap sets it
    return true;
}

// A soft key's menu, opened as the handheld's key (F1 left, F2 right) opens it.
bool OpenSoftKey(WPARAM key) {
    PostMessageW(Main, WM_KEYDOWN, key, 0);
    return WaitForWindow(L"#32768", nullptr) != nullptr;
}

void PostKey(WPARAM key) {
    PostMessageW(Main, WM_KEYDOWN, key, 0);
    PostMessageW(Main, WM_KEYUP, key, 0xC0000001);
    Sleep(300);
}

bool FileMenu(const wchar_t*) {
    return OpenSoftKey(VK_F1);
}

// "Menu", its first entry "Edit" opened beside it.
bool EditMenu(const wchar_t*) {
    if (!OpenSoftKey(VK_F2)) return false;
    PostKey(VK_DOWN);
    PostKey(VK_RIGHT);
    return true;
}

bool CloseMenu(const wchar_t*) {
    for (int i = 0; i < 3 && WaitForWindow(L"#32768", nullptr); i++)
        PostKey(VK_ESCAPE);
    Settle();
    return true;
}

bool CanvasSize(const wchar_t*) {
    return CloseMenu(nullptr) && PostForDialog(CMD_NEW_CREATE, L"Canvas Size Box") != nullptr;
}

bool CanvasSizeAnswer(const wchar_t*) {
    HWND dialog = WaitForWindow(L"#32770", L"Canvas Size Box");
    if (!dialog) return false;
    SendMessageW(GetDlgItem(dialog, IDC_SIZE_32), BM_CLICK, 0, 0);
    Settle();
    Command(CMD_OPEN_MONITOR);
    return Canvas() != nullptr;
}

// Yellow fill, red line, the indicator left pointing at the line colour (dashed frame): the
// palette's last colours and the indicator.
bool Palette(const wchar_t*) {
    TapColor(false, 14);
    TapColor(true, 12);
    Settle();
    RECT palette;
    if (!GetWindowRect(Child(L"Palette"), &palette)) return false;
    palette.top += 11 * PaletteCell();
    Crop(palette, 4, 3);
    return true;
}

// One figure of each tool, and pen strokes of three widths.
bool Tools(const wchar_t*) {
    TapLineWidth(1);
    TapTool(1); // rectangle: the line colour only
    Stroke(1, 1, 14, 12);
    TapTool(2); // filled rectangle
    Stroke(17, 1, 30, 12);
    TapColor(true, 9); // shown blue
    TapTool(3);        // ellipse
    Stroke(1, 14, 14, 25);
    TapColor(false, 10); // green
    TapTool(4);          // filled ellipse
    Stroke(17, 14, 30, 25);
    TapColor(true, 0);
    TapTool(0); // pen
    for (int width : {1, 2, 3}) {
        TapLineWidth(width);
        int left = 1 + (width - 1) * 11;
        Stroke(left, 28, left + 8, 28);
    }
    Settle();
    return true;
}

bool CopySelect(const wchar_t*) {
    TapTool(5);
    Stroke(0, 0, 15, 13);
    Settle();
    return true;
}

// Copied, a tap where the block goes, Paste: the block floats there, framed, until placed.
bool CopyPaste(const wchar_t*) {
    Command(CMD_COPY);
    Stroke(9, 9, 9, 9);
    Command(CMD_PASTE);
    Stroke(12, 12, 15, 14); // dragged from inside the block
    Settle();
    return true;
}

// The pen tool places the block; the mode then clears a frame round the picture, which the
// canvas shows dark grey and the monitors grey.
bool Masked(const wchar_t* file) {
    TapTool(0);
    return Transparency(file);
}

// The mode off again, then "Save As" for icons with the name typed in.
bool SaveAs(const wchar_t* file) {
    Command(CMD_TRANSPARENCY);
    HWND dialog = PostForDialog(CMD_SAVE_ICON, L"Save As");
    if (!dialog || !file) return false;
    SetDlgItemTextW(dialog, FileNameField, file);
    Settle();
    return true;
}

bool SaveAsAnswer(const wchar_t*) {
    return Answer(WaitForWindow(L"#32770", L"Save As"), IDOK);
}

// A change, then New Create: the save prompt comes first.
bool Prompt(const wchar_t*) {
    TapColor(true, 12);
    Stroke(3, 29, 28, 29);
    PostMessageW(Main, WM_COMMAND, CMD_NEW_CREATE, 0);
    return WaitForBox(L"Save current changes") != nullptr;
}

bool PromptAnswer(const wchar_t*) {
    return Answer(WaitForBox(L"Save current changes"), IDCANCEL);
}

// "Open a ICON file": the prompt answered No (the change is given up), the name typed in.
bool Open(const wchar_t* file) {
    PostMessageW(Main, WM_COMMAND, CMD_OPEN_ICON, 0);
    if (!Answer(WaitForBox(L"Save current changes"), IDNO)) return false;
    HWND dialog = WaitForWindow(L"#32770", L"Open");
    if (!dialog || !file) return false;
    SetDlgItemTextW(dialog, FileNameField, file);
    Settle();
    return true;
}

// The icon opened: its transparent frame switches the mode on.
bool OpenAnswer(const wchar_t*) {
    if (!Answer(WaitForWindow(L"#32770", L"Open"), IDOK)) return false;
    Settle();
    return true;
}

// "Icon Images", a 16 x 16 image added from the canvas.
bool IconImages(const wchar_t*) {
    HWND dialog = PostForDialog(CMD_ICON_IMAGES, L"Icon Images");
    if (!dialog) return false;
    SendMessageW(GetDlgItem(dialog, IDC_ADD_FROM_CANVAS), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(dialog, IDC_ADD_16), BM_CLICK, 0, 0);
    Settle();
    return true;
}

bool IconImagesClose(const wchar_t*) {
    return Answer(WaitForWindow(L"#32770", L"Icon Images"), IDCANCEL);
}

// Icon Images, then Make All Sizes with the sizes it offers: the list of the icon made.
bool MakeAllSizes(const wchar_t*) {
    HWND images = PostForDialog(CMD_ICON_IMAGES, L"Icon Images");
    if (!images) return false;
    PostMessageW(images, WM_COMMAND, IDC_MAKE_ALL_SIZES, 0);
    HWND sizes = WaitForWindow(L"#32770", L"Make All Sizes");
    if (!sizes) return false;
    PostMessageW(sizes, WM_COMMAND, IDOK, 0);
    Settle();
    return true;
}

// The 48 x 48 image made, chosen in the list and edited.
bool EditMadeImage(const wchar_t*) {
    HWND images = WaitForWindow(L"#32770", L"Icon Images");
    if (!images) return false;
    SendDlgItemMessageW(images, IDC_IMAGE_LIST, LB_SETCURSEL, 3, 0); // 16, 24, 32, 48, 256
    PostMessageW(images, WM_COMMAND, IDC_IMAGE_EDIT, 0);
    Settle();
    return true;
}

// A fresh 32 x 32 picture: the save prompt, if the picture before has changes, is
// answered No.
bool NewCreateGivingUpChanges() {
    PostMessageW(Main, WM_COMMAND, CMD_NEW_CREATE, 0);
    for (int i = 0; i < 100; i++) {
        HWND sizeBox = FindWindowW(L"#32770", L"Canvas Size Box");
        if (sizeBox && IsWindowVisible(sizeBox)) break;
        HWND prompt = FindWindowW(L"#32770", nullptr);
        if (prompt && IsWindowVisible(prompt) && GetDlgItem(prompt, IDNO) && !Answer(prompt, IDNO))
            return false;
        Sleep(100);
    }
    return CanvasSizeAnswer(nullptr);
}

// A new face, then the fill tool (as the key F chooses it) with light cyan fills the white
// around it in one tap; the tool bar marks none of its cells.
bool Fill(const wchar_t*) {
    if (!NewCreateGivingUpChanges()) return false;
    // The opened icon's transparency mode outlasts New Create; the face needs colour.
    HWND mode = Child(L"Transparent");
    if (mode && IsWindowVisible(mode)) Command(CMD_TRANSPARENCY);
    DrawFace();
    TapColor(false, 11);
    PostKey('F');
    Settle();
    Stroke(1, 1, 1, 1);
    Settle();
    return true;
}

// In the Opaque/Transparency mode the fill clears the cyan around the face; taps on the
// monitors show the clear pixels on a checkerboard (three taps) and on black (two).
bool FillClear(const wchar_t*) {
    Command(CMD_TRANSPARENCY);
    Command(CMD_FILL_TOOL);
    Stroke(1, 1, 1, 1);
    HWND monitor = nullptr;
    while ((monitor = FindWindowExW(Main, monitor, L"Monitor", nullptr)) != nullptr)
        for (int taps = GetWindowLongW(monitor, 0) == 2 ? 2 : 3; taps > 0; taps--)
            Tap(monitor, 2, 2);
    Settle();
    return true;
}

// Icon Images, then its Make All Sizes: the dialog of sizes to make.
bool AllSizes(const wchar_t*) {
    CloseMenu(nullptr);
    Command(CMD_TRANSPARENCY);
    HWND images = PostForDialog(CMD_ICON_IMAGES, L"Icon Images");
    if (!images) return false;
    PostMessageW(images, WM_COMMAND, IDC_MAKE_ALL_SIZES, 0);
    return WaitForWindow(L"#32770", L"Make All Sizes") != nullptr;
}

// The sizes dialog and Icon Images closed, nothing made.
bool AllSizesClose(const wchar_t*) {
    return Answer(WaitForWindow(L"#32770", L"Make All Sizes"), IDCANCEL) &&
           IconImagesClose(nullptr);
}

struct Scene {
    const char* name;
    bool (*play)(const wchar_t* file);
};

const Scene Scenes[] = {
    {"start", Start},
    {"draw", Draw},
    {"transparency", Transparency},
    {"images", MakeAllSizes},
    {"made", EditMadeImage},
    {"file-menu", FileMenu},
    {"edit-menu", EditMenu},
    {"close-menu", CloseMenu},
    {"canvas-size", CanvasSize},
    {"canvas-size-answer", CanvasSizeAnswer},
    {"palette", Palette},
    {"tools", Tools},
    {"copy-select", CopySelect},
    {"copy-paste", CopyPaste},
    {"masked", Masked},
    {"save-as", SaveAs},
    {"save-as-answer", SaveAsAnswer},
    {"prompt", Prompt},
    {"prompt-answer", PromptAnswer},
    {"open", Open},
    {"open-answer", OpenAnswer},
    {"icon-images", IconImages},
    {"icon-images-close", IconImagesClose},
    {"fill", Fill},
    {"fill-clear", FillClear},
    {"all-sizes", AllSizes},
    {"all-sizes-close", AllSizesClose},
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: tour_driver SCENE [FILE]\n");
        return 2;
    }
    const Scene* scene = nullptr;
    for (const Scene& s : Scenes) {
        wchar_t name[64];
        MultiByteToWideChar(CP_UTF8, 0, s.name, -1, name, 64);
        if (!wcscmp(argv[1], name)) scene = &s;
    }
    if (!scene) {
        fprintf(stderr, "tour_driver: no scene %ls\n", argv[1]);
        return 2;
    }
    for (int i = 0; i < 200 && !Main; i++) {
        Main = FindWindowW(L"Mosaro", L"Pixmora");
        if (!Main) Sleep(100);
    }
    if (!Main) {
        fprintf(stderr, "tour_driver: the editor's window did not appear\n");
        return 1;
    }
    Settle();
    if (!scene->play(argc > 2 ? argv[2] : nullptr)) {
        fprintf(stderr, "tour_driver: the scene %s did not come about\n", scene->name);
        return 1;
    }
    Settle();
    fflush(stdout);
    return 0;
}
