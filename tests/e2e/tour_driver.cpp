// Drives a running editor through the README's tour, one scene per run, as a user would:
// menu commands, answers to its dialogs, taps on the tool windows and strokes on the
// canvas, all as window messages from outside the editor's process.
// Usage: tour_driver start|draw|transparency|images|made
#include <windows.h>
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

// New Create runs a modal dialog: post the command, then answer the dialog once it is up.
bool NewCreate32() {
    PostMessageW(Main, WM_COMMAND, 22, 0);
    for (int i = 0; i < 100; i++) {
        HWND dialog = FindWindowW(L"#32770", L"Canvas Size Box");
        if (dialog) {
            SendMessageW(GetDlgItem(dialog, 102), BM_CLICK, 0, 0);
            Settle();
            return Canvas() != nullptr;
        }
        Sleep(100);
    }
    return false;
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
    Tap(Child(L"LineBar"), 27, 16);
    TapColor(true, 12); // shown red
    Stroke(11, 20, 13, 22);
    Stroke(13, 22, 19, 22);
    Stroke(19, 22, 21, 20);
    Settle();
}

// A dialog the editor opened, once it is up; none after ten seconds.
HWND WaitForDialog(const wchar_t* caption) {
    for (int i = 0; i < 100; i++) {
        if (HWND dialog = FindWindowW(L"#32770", caption)) return dialog;
        Sleep(100);
    }
    return nullptr;
}

// Icon Images, then Make All Sizes with the sizes it offers: the list of the icon made.
bool MakeAllSizes() {
    PostMessageW(Main, WM_COMMAND, 67, 0); // Icon Images
    HWND images = WaitForDialog(L"Icon Images");
    if (!images) return false;
    PostMessageW(images, WM_COMMAND, 134, 0); // Make All Sizes
    HWND sizes = WaitForDialog(L"Make All Sizes");
    if (!sizes) return false;
    PostMessageW(sizes, WM_COMMAND, IDOK, 0);
    Settle();
    return true;
}

// The 48 x 48 image made, chosen in the list and edited.
bool EditMadeImage() {
    HWND images = WaitForDialog(L"Icon Images");
    if (!images) return false;
    SendDlgItemMessageW(images, 120, LB_SETCURSEL, 3, 0); // 16, 24, 32, 48, 256
    PostMessageW(images, WM_COMMAND, 121, 0);             // Edit
    Settle();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: tour_driver start|draw|transparency|images|made\n");
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
    if (!strcmp(argv[1], "draw")) {
        if (!NewCreate32()) {
            fprintf(stderr, "tour_driver: no canvas after New Create\n");
            return 1;
        }
        Command(23); // Open Monitor
        DrawFace();
    } else if (!strcmp(argv[1], "transparency")) {
        Command(27); // Opaque/Transparency: the opacity tool starts on "transparent"
        TapTool(0);
        // The mask pen is one pixel wide: two strokes along each edge clear a frame.
        for (int i : {0, 1, 30, 31}) {
            Stroke(0, i, 31, i);
            Stroke(i, 0, i, 31);
        }
        Stroke(31, 31, 31, 31); // a line stops before its end pixel; a tap sets it
        Settle();
    } else if (!strcmp(argv[1], "images") && !MakeAllSizes()) {
        fprintf(stderr, "tour_driver: Make All Sizes did not run\n");
        return 1;
    } else if (!strcmp(argv[1], "made") && !EditMadeImage()) {
        fprintf(stderr, "tour_driver: the Icon Images dialog is not up\n");
        return 1;
    }
    Settle();
    return 0;
}
