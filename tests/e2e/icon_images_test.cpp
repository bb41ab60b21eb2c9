// The Icon Images command as a user meets it: the dialog opened from the soft keys, its rows
// and buttons tapped, the canvas switched between the images of an icon, images added and
// removed, and what the saved file then holds.
#include "e2e_session.h"

namespace {

IconImage Square(int size, DWORD index, bool cornerClear) {
    IconImage image;
    image.width = image.height = size;
    image.table = StandardTable16();
    image.pixel = [index](int, int) { return index; };
    if (cornerClear) image.transparent = [](int x, int y) { return x == 0 && y == 0; };
    return image;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id));
}

// Image n's bytes and its directory's width as an icon file holds them.
Bytes IconFileBlock(const Bytes& file, int n) {
    size_t size = GetLE32(file, 14 + 16 * n), at = GetLE32(file, 18 + 16 * n);
    return at + size <= file.size() ? Bytes(file.begin() + at, file.begin() + at + size) : Bytes();
}
int IconFileWidth(const Bytes& file, int n) {
    return file[6 + 16 * n] ? file[6 + 16 * n] : 256;
}

} // namespace

// A new picture becomes an icon when the dialog adds to it: one image made from the canvas
// (every second pixel, the mask too) and one blank, saved after it in the order listed.
TEST_F(Editor, ImagesAddedToANewPictureAreSavedWithIt) {
    NewCreate(32);
    TapLineColor(ROW_BLACK);
    Drag(0, 0, 5, 0);
    Tap(0, 2);
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    TapOpacity(1);
    Tap(4, 2);
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    Modified = 0;
    std::vector<std::wstring> before, after;
    bool editable = true, removable = true;
    IconImages([&](HWND dialog) {
        before = Rows(dialog);
        editable = Enabled(dialog, IDC_IMAGE_EDIT);
        removable = Enabled(dialog, IDC_IMAGE_REMOVE);
        TapControl(dialog, IDC_ADD_FROM_CANVAS);
        TapControl(dialog, IDC_ADD_16);
        TapControl(dialog, IDC_ADD_FROM_CANVAS);
        TapControl(dialog, IDC_ADD_32);
        after = Rows(dialog);
        TapControl(dialog, IDCANCEL);
    });
    EXPECT_EQ(std::vector<std::wstring>{L"1: 32 x 32, 16 colours, BMP (on canvas)"}, before);
    EXPECT_FALSE(editable) << "one image: no other to edit";
    EXPECT_FALSE(removable) << "the last image is never removed";
    EXPECT_EQ(
        (std::vector<std::wstring>{L"1: 32 x 32, 16 colours, BMP (on canvas)",
                                   L"2: 16 x 16, 16 colours, BMP", L"3: 32 x 32, 16 colours, BMP"}),
        after);
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(1, Modified);
    EXPECT_EQ(32, CanvasWidth) << "adding leaves the canvas as it is";

    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"three.ico"));
    ASSERT_EQ(3, IconFileImageCount(file));
    EXPECT_EQ(32, IconFileWidth(file, 0));
    EXPECT_EQ(16, IconFileWidth(file, 1));
    EXPECT_EQ(32, IconFileWidth(file, 2));
    const struct {
        int image, x, y, index;
        bool clear;
    } pixels[] = {{0, 4, 0, 0, false},   {0, 5, 0, 15, false},   {0, 0, 2, 0, false},
                  {0, 4, 2, 0, true},    {1, 0, 0, 0, false},    {1, 2, 0, 0, false},
                  {1, 3, 0, 15, false},  {1, 0, 1, 0, false},    {1, 2, 1, 0, true},
                  {1, 1, 1, 15, false},  {1, 15, 15, 15, false}, {2, 0, 0, 15, false},
                  {2, 31, 31, 15, false}};
    for (auto& p : pixels) {
        SCOPED_TRACE(testing::Message() << "image " << p.image << " at " << p.x << "," << p.y);
        EXPECT_EQ(p.index, IconFileIndex(file, p.x, p.y, p.image));
        EXPECT_EQ(p.clear, IconFileTransparent(file, p.x, p.y, p.image));
    }

    // An opened bitmap becomes an icon too, which its file cannot hold: Ctrl+S asks anew.
    ChooseFile(Write(L"plain.bmp", MakeBmpFile(BmpForm{}, 16, 16, StandardTable16(),
                                               [](int, int) { return 3u; })));
    File(L"&Open a DIB file");
    IconImages([](HWND dialog) {
        TapControl(dialog, IDC_ADD_32);
        TapControl(dialog, IDCANCEL);
    });
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(L"", std::wstring(DocumentFile));
    // So does an icon saved as a bitmap since.
    SaveAs(CMD_SAVE_BITMAP, PathOf(L"icon.bmp"));
    IconImages([](HWND dialog) {
        TapControl(dialog, IDC_ADD_16);
        TapControl(dialog, IDCANCEL);
    });
    EXPECT_EQ(L"", std::wstring(DocumentFile));
    ExpectNoFailureShown();
}

// Each image keeps its edits while another is on the canvas; each comes with its own mask
// and no undo step; the image nobody touched is written back byte for byte.
TEST_F(Editor, SwitchingImagesKeepsTheEditsOfEach) {
    Bytes original =
        MakeIconFile({Square(16, 11, true), Square(32, 11, false), Square(48, 3, false)});
    ChooseFile(Write(L"sizes.ico", original));
    File(L"&Open a ICON file");
    ASSERT_EQ(32, CanvasWidth);
    ASSERT_EQ(0, TransparencyMode);
    TapLineColor(ROW_BLACK);
    Drag(0, 0, 3, 0);
    std::vector<std::wstring> rows;
    IconImages([&](HWND dialog) {
        rows = Rows(dialog);
        TapRow(dialog, 0);
        TapControl(dialog, IDC_IMAGE_EDIT);
    });
    EXPECT_EQ((std::vector<std::wstring>{L"1: 16 x 16, 16 colours, BMP",
                                         L"2: 32 x 32, 16 colours, BMP (on canvas)",
                                         L"3: 48 x 48, 16 colours, BMP"}),
              rows);
    EXPECT_EQ(16, CanvasWidth);
    RECT client;
    GetClientRect(Canvas(), &client);
    EXPECT_EQ(160, client.right);
    EXPECT_EQ("BBBB", ImageRow(0, 0, 4));
    EXPECT_EQ(1, TransparencyMode) << "the image has a transparent pixel";
    EXPECT_TRUE(Checked(L"&Canvas", L"Opaque/Transparency"));
    EXPECT_EQ("T...", MaskRow(0, 0, 4));
    EXPECT_EQ(1, Modified) << "the edits of the other image are not saved yet";
    AnswerNextBox(IDOK);
    MenuItem(L"&Edit", L"Undo");
    EXPECT_EQ(L"There's No undo item!", SeenBoxes().back().text);

    TapOpacity(1);
    Tap(3, 3);
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    Drag(0, 5, 2, 5);
    // Back to the 32 by a double tap on its row: its stroke is still there.
    IconImages([&](HWND dialog) { TapRow(dialog, 1, true); });
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ("000B", ImageRow(0, 0, 4));
    EXPECT_EQ(0, TransparencyMode) << "no transparent pixel: the mode stays off";
    IconImages([&](HWND dialog) {
        TapRow(dialog, 0);
        TapControl(dialog, IDC_IMAGE_EDIT);
    });
    EXPECT_EQ("00B", ImageRow(5, 0, 3));
    EXPECT_EQ("T...", MaskRow(0, 0, 4));
    EXPECT_EQ("...T", MaskRow(3, 0, 4));

    Bytes saved = SaveAs(CMD_SAVE_ICON, PathOf(L"saved.ico"));
    ASSERT_EQ(3, IconFileImageCount(saved));
    EXPECT_EQ(0, IconFileIndex(saved, 1, 5, 0));
    EXPECT_EQ(11, IconFileIndex(saved, 2, 5, 0));
    EXPECT_TRUE(IconFileTransparent(saved, 0, 0, 0));
    EXPECT_TRUE(IconFileTransparent(saved, 3, 3, 0));
    EXPECT_FALSE(IconFileTransparent(saved, 1, 0, 0));
    EXPECT_EQ(0, IconFileIndex(saved, 2, 0, 1));
    EXPECT_EQ(11, IconFileIndex(saved, 3, 0, 1));
    EXPECT_FALSE(IconFileTransparent(saved, 0, 0, 1));
    EXPECT_EQ(IconFileBlock(original, 2), IconFileBlock(saved, 2));

    // An edit undone after a save stays undone once another image is chosen.
    Drag(0, 9, 3, 9);
    SaveAs(CMD_SAVE_ICON, PathOf(L"edited.ico"));
    MenuItem(L"&Edit", L"Undo");
    IconImages([&](HWND dialog) { TapRow(dialog, 1, true); });
    EXPECT_EQ(11, IconFileIndex(SaveAs(CMD_SAVE_ICON, PathOf(L"undone.ico")), 1, 9, 0));
    ExpectNoFailureShown();
}

// Remove asks first; the image on the canvas makes way for its neighbour; the last image
// stays. The dialog fits the handheld's screen above the soft keys, turned either way.
TEST_F(Editor, ImagesAreRemovedButNeverTheLast) {
    ChooseFile(Write(L"two.ico", MakeIconFile({Square(16, 11, true), Square(32, 12, false)})));
    File(L"&Open a ICON file");
    std::vector<std::wstring> kept, left;
    bool removable = true;
    IconImages(
        [&](HWND dialog) {
            TapRow(dialog, 1);
            TapControl(dialog, IDC_IMAGE_REMOVE);
            kept = Rows(dialog);
            TapControl(dialog, IDC_IMAGE_REMOVE);
            left = Rows(dialog);
            removable = Enabled(dialog, IDC_IMAGE_REMOVE);
            TapControl(dialog, IDCANCEL);
        },
        {IDNO, IDYES});
    EXPECT_EQ(2u, kept.size()) << "No keeps the image";
    EXPECT_EQ(std::vector<std::wstring>{L"1: 16 x 16, 16 colours, BMP (on canvas)"}, left);
    EXPECT_FALSE(removable);
    EXPECT_FALSE(RemoveIconImageAt(MainWindow, 0));
    EXPECT_EQ(16, CanvasWidth);
    EXPECT_EQ(L"Remove image 2 (32 x 32) from the icon?", SeenBoxes()[1].text);
    EXPECT_EQ(L"Icon Images", SeenBoxes()[1].caption);
    EXPECT_EQ(1, Modified);
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"one.ico"));
    ASSERT_EQ(1, IconFileImageCount(file));
    EXPECT_EQ(11, IconFileIndex(file, 1, 0));
    EXPECT_TRUE(IconFileTransparent(file, 0, 0));

    for (int landscape : {0, 1}) {
        RECT box = {}, bar = {}, main = {};
        SHSetDeviceOrientation(landscape);
        IconImages([&](HWND dialog) {
            GetWindowRect(dialog, &box);
            GetWindowRect(MenuBarWindow, &bar);
            GetWindowRect(MainWindow, &main);
            TapControl(dialog, IDCANCEL);
        });
        EXPECT_TRUE(box.left >= main.left && box.top >= main.top && box.right <= bar.right &&
                    box.bottom <= bar.top)
            << (landscape ? "landscape" : "portrait");
    }
    ExpectNoFailureShown();
}

// A PNG image that cannot be decoded (cut short, a wrong check value, larger than memory
// allows) is told, naming the file; the picture and its edits stay as they were.
TEST_F(Editor, DamagedPngImagesAreToldAndChangeNothing) {
    Bytes good = MakeSolidPng(48, 48, 0x00FF00FF);
    Bytes truncated(good.begin(), good.end() - 20), badCheck = good;
    badCheck[good.size() - 13] ^= 1; // the last byte of the pixel chunk's check value
    const struct {
        const wchar_t* name;
        Bytes png;
        const wchar_t* text;
    } cases[] = {
        {L"truncated.ico", truncated, L"Damaged PNG image :"},
        {L"check.ico", badCheck, L"Damaged PNG image :"},
        {L"huge.ico", WithPngSize(good, 30000, 30000), L"PNG image too large to edit :"}};
    for (auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        IconImage png;
        png.width = png.height = 48;
        png.png = c.png;
        std::wstring path = Write(c.name, MakeIconFile({Square(32, 11, false), png}));
        ChooseFile(path);
        File(L"&Open a ICON file");
        ASSERT_EQ(32, CanvasWidth);
        Drag(0, 0, 3, 0);
        const std::string row = ImageRow(0, 0, 8);
        std::vector<std::wstring> rows;
        ClearSeenBoxes();
        IconImages(
            [&](HWND dialog) {
                TapRow(dialog, 1);
                TapControl(dialog, IDC_IMAGE_EDIT);
                rows = Rows(dialog);
                TapControl(dialog, IDCANCEL);
            },
            {IDOK});
        ASSERT_EQ(2u, SeenBoxes().size());
        EXPECT_EQ(c.text + path, SeenBoxes()[1].text);
        EXPECT_EQ(L"Mosaro", SeenBoxes()[1].caption);
        ASSERT_EQ(2u, rows.size()) << "the dialog stays for another choice";
        EXPECT_NE(std::wstring::npos, rows[1].find(L", 32 bits, PNG"));
        EXPECT_EQ(32, CanvasWidth);
        EXPECT_EQ(row, ImageRow(0, 0, 8));
        EXPECT_EQ(0, SelectedIconImage);
        Modified = 0;
    }
}

// A PNG image given another size on the canvas (Canvas Size makes it 16 colours) is still
// written as PNG, at its new size, every pixel as the canvas has it.
TEST_F(Editor, APngImageResizedIsWrittenAsPngOfItsNewSize) {
    IconImage png;
    png.width = png.height = 32;
    png.png = MakeSolidPng(32, 32, 0xFF0000FF);
    ChooseFile(Write(L"red.ico", MakeIconFile({png})));
    File(L"&Open a ICON file");
    HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDC_SIZE_16); });
    MenuItem(L"&Canvas", L"Canvas Size");
    ASSERT_EQ(16, CanvasWidth);
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"small.ico"));
    ASSERT_EQ(1, IconFileImageCount(file));
    EXPECT_EQ(16, file[6]);
    BYTE* image = nullptr;
    ASSERT_EQ(PNG_OK, DecodeIconPng(&file[22], file.size() - 22, &image));
    EXPECT_EQ(16, DibWidth(image));
    EXPECT_EQ(RGB(255, 0, 0), NormalisedPixel(image, 15, 15));
    EXPECT_FALSE(MaskBit(EditImageMask(image), 16, 16, 15, 15));
    free(image);
    ExpectNoFailureShown();
}

// The masked view shows an image of more than 16 colours in its own colours, as the plain
// view does: an 8-bit image opened with a transparent pixel, then a PNG image. A PNG image
// with a pixel painted is saved as a bitmap of opaque pixels, alpha bytes left unused.
TEST_F(Editor, ImagesOfManyColoursShowAndSaveTheirOwnColours) {
    IconImage png, grey;
    png.width = png.height = 32;
    png.png = MakeSolidPng(32, 32, 0x336699FF);
    grey.bits = 8;
    grey.table = GreyTable(256);
    grey.pixel = [](int x, int) { return (DWORD)(x * 16 + 3); };
    grey.transparent = [](int x, int y) { return x == 0 && y == 0; };
    ChooseFile(Write(L"many.ico", MakeIconFile({png, grey})));
    File(L"&Open a ICON file");
    ASSERT_EQ(8, ImageInfo->bmiHeader.biBitCount);
    ASSERT_EQ(1, TransparencyMode);
    const RGBQUAD q = GreyTable(256)[5 * 16 + 3];
    EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), Cell(5, 5));
    EXPECT_EQ(RGB(0x48, 0x48, 0x48), Cell(0, 0)) << "transparent: the background";
    IconImages([&](HWND dialog) { TapRow(dialog, 0, true); });
    ASSERT_EQ(32, ImageInfo->bmiHeader.biBitCount);
    EXPECT_EQ(RGB(0x33, 0x66, 0x99), Cell(5, 5));
    MenuItem(L"&Canvas", L"Opaque/Transparency");
    TapLineColor(ROW_SHOWS_RED);
    Tap(1, 0);
    Bytes file = SaveAs(CMD_SAVE_BITMAP, PathOf(L"many.bmp"));
    ASSERT_EQ(54 + 32 * 32 * 4u, file.size());
    const size_t top = 54 + 31 * 32 * 4;
    EXPECT_EQ(0x336699u, GetLE32(file, top));
    EXPECT_EQ(0xFF0000u, GetLE32(file, top + 4));
    for (size_t at = 57; at < file.size(); at += 4)
        ASSERT_EQ(0, file[at]) << "alpha byte at " << at;
    ExpectNoFailureShown();
}
