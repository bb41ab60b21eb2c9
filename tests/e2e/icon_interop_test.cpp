// Pixmora's side of the icon round trips with Pillow and ImageMagick (see icon_interop.py):
// each icon they wrote is opened from the File menu, the image named is brought onto the
// canvas (through the Icon Images dialog when it is not the one opened) and checked pixel by
// pixel, one pixel is painted and one made transparent, and the icon is saved for them to
// read back. The folder comes in PIXMORA_INTEROP_DIR.
#include "e2e_session.h"
#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

struct ImageToEdit {
    std::string file;
    int width, height;
    POINT paint, clear; // clear.x -1: none
};

std::wstring InteropFolder() {
    WCHAR folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"PIXMORA_INTEROP_DIR", folder, MAX_PATH);
    std::wstring path = folder;
    std::replace(path.begin(), path.end(), L'/', L'\\'); // the save dialog takes no "/"
    return path;
}

std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

std::vector<ImageToEdit> ReadList(const std::wstring& folder) {
    std::vector<ImageToEdit> list;
    std::ifstream in(std::string(folder.begin(), folder.end()) + "\\others\\list.txt");
    std::string line;
    while (std::getline(in, line)) {
        ImageToEdit e;
        std::istringstream fields(line);
        if (fields >> e.file >> e.width >> e.height >> e.paint.x >> e.paint.y >> e.clear.x >>
            e.clear.y)
            list.push_back(e);
    }
    return list;
}

void SetMode(bool on) {
    if ((TransparencyMode != 0) != on) Editor::MenuItem(L"&Canvas", L"Opaque/Transparency");
}

// Brings the image of that size onto the canvas through the dialog: a tap on its row, Edit.
void ShowImageOfSize(int width, int height) {
    if (CanvasWidth == width && CanvasHeight == height) return;
    wchar_t size[32];
    swprintf(size, 32, L": %d x %d,", width, height);
    IconImages([&](HWND dialog) {
        std::vector<std::wstring> rows = Rows(dialog);
        for (size_t i = 0; i < rows.size(); i++)
            if (rows[i].find(size) != std::wstring::npos) TapRow(dialog, (int)i);
        TapControl(dialog, IDC_IMAGE_EDIT);
    });
}

// The canvas holds the picture Pillow reads: every colour, alpha when it keeps it (32 bits),
// and the mask transparent exactly where alpha is below 128.
void ExpectCanvasShows(const Bytes& expect, int width, int height) {
    const BYTE* mask = ImageSlots[CurrentSlot].AndMask;
    ASSERT_NE(nullptr, mask);
    GdiFlush();
    int bits = ImageInfo->bmiHeader.biBitCount;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const BYTE* e = &expect[4 * ((size_t)y * width + x)];
            COLORREF c = DibPixelColor(ImageInfo, ImageBits, x, y);
            bool clear = MaskBit(mask, width, height, x, y);
            ASSERT_EQ(e[3] < 128, clear) << "mask at " << x << "," << y;
            if (bits != 32 && e[3] == 0) continue; // a BMP image's colour there does not count
            ASSERT_EQ(RGB(e[0], e[1], e[2]), c) << "colour at " << x << "," << y;
            if (bits == 32) {
                const BYTE* p = ImageBits + RowBytes(width, 32) * (height - 1 - y) + 4 * x;
                ASSERT_EQ(e[3], p[3]) << "alpha at " << x << "," << y;
            }
        }
}

} // namespace

TEST_F(Editor, IconsOtherProgramsWroteAreEditedImageByImage) {
    std::wstring folder = InteropFolder();
    ASSERT_FALSE(folder.empty());
    CreateDirectoryW((folder + L"\\back").c_str(), nullptr);
    std::vector<ImageToEdit> list = ReadList(folder);
    ASSERT_GE(list.size(), 14u);
    for (size_t i = 0; i < list.size(); i++) {
        const ImageToEdit& e = list[i];
        SCOPED_TRACE(e.file + " " + std::to_string(e.width));
        if (i == 0 || list[i - 1].file != e.file) {
            SetMode(false); // an open toggles the mode for an icon with transparent pixels
            ChooseFile(folder + L"\\others\\" + Wide(e.file));
            File(L"&Open a ICON file");
        }
        ShowImageOfSize(e.width, e.height);
        ASSERT_EQ(e.width, CanvasWidth);
        ASSERT_EQ(e.height, CanvasHeight);
        std::string size = "." + std::to_string(e.width) + "x" + std::to_string(e.height);
        Bytes expect = ReadWholeFile(folder + L"\\others\\" + Wide(e.file + size + ".expect"));
        expect.erase(expect.begin(), std::find(expect.begin(), expect.end(), '\n') + 1);
        ASSERT_EQ((size_t)e.width * e.height * 4, expect.size());
        ExpectCanvasShows(expect, e.width, e.height);

        SetMode(false);
        TapLineColor(ROW_SHOWS_RED);
        Tap(e.paint.x, e.paint.y);
        if (e.clear.x >= 0) {
            SetMode(true);
            TapOpacity(1);
            Tap(e.clear.x, e.clear.y);
        }
        if (i + 1 == list.size() || list[i + 1].file != e.file)
            SaveAs(CMD_SAVE_ICON, folder + L"\\back\\" + Wide(e.file));
    }
    ExpectNoFailureShown();
}

// Images added through the Icon Images dialog, every form blank and from the canvas, and
// Make All Sizes of a 256 x 256 PNG image, saved for Pillow and ImageMagick to read.
TEST_F(Editor, IconsMadeHereAreSavedForOtherPrograms) {
    std::wstring made = InteropFolder() + L"\\made";
    std::ifstream list(std::string(made.begin(), made.end()) + "\\made.txt");
    std::string line, name, current, how;
    std::vector<std::string> lines;
    while (std::getline(list, line))
        lines.push_back(line);
    ASSERT_EQ(12u, lines.size());
    for (size_t i = 0; i < lines.size(); i += 3) {
        std::istringstream first(lines[i]);
        first >> name;
        SCOPED_TRACE(name);
        SetMode(false);
        ChooseFile(made + L"\\source.ico");
        File(L"&Open a ICON file");
        IconImages([&](HWND dialog) {
            for (size_t j = i; j < i + 3; j++) {
                std::istringstream fields(lines[j]);
                int size = 0, form = 0;
                fields >> current >> size >> form >> how;
                ChooseSizeAndForm(dialog, std::to_wstring(size).c_str(), form);
                CheckDlgButton(dialog, IDC_ADD_FROM_CANVAS,
                               how == "canvas" ? BST_CHECKED : BST_UNCHECKED);
                TapControl(dialog, IDC_IMAGE_ADD);
            }
            TapControl(dialog, IDCANCEL);
        });
        SaveAs(CMD_SAVE_ICON, made + L"\\back\\" + Wide(name));
    }
    SetMode(false);
    ChooseFile(made + L"\\source256.ico");
    File(L"&Open a ICON file");
    IconImages([&](HWND dialog) {
        HandleNextDialog([](HWND sizes) { PressDialogButton(sizes, IDOK); });
        TapControl(dialog, IDC_MAKE_ALL_SIZES);
        TapControl(dialog, IDCANCEL);
    });
    SaveAs(CMD_SAVE_ICON, made + L"\\back\\all_sizes.ico");
    ExpectNoFailureShown();
}
