// The Icon Images command as a user meets it: the dialog opened from the soft keys, its rows
// and buttons tapped, the canvas switched between the images of an icon, images added and
// removed, and what the saved file then holds.
#include "e2e_session.h"
#include <algorithm>

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

// Image n's directory width as an icon file holds it.
int IconFileWidth(const Bytes& file, int n) {
    return file[6 + 16 * n] ? file[6 + 16 * n] : 256;
}

} // namespace

// A new picture becomes an icon when the dialog adds to it: one image made from the canvas
// (each 2 x 2 block averaged) and one blank, saved after it in the order listed.
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
    } pixels[] = {// The 16 x 16 averages each 2 x 2 block: half black is grey (7), a quarter
                  // light grey (8); one transparent pixel of four leaves the block opaque.
                  {0, 4, 0, 0, false},   {0, 5, 0, 15, false},   {0, 0, 2, 0, false},
                  {0, 4, 2, 0, true},    {1, 0, 0, 7, false},    {1, 2, 0, 8, false},
                  {1, 3, 0, 15, false},  {1, 0, 1, 8, false},    {1, 2, 1, 15, false},
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
    TapInIconImages(-1, IDC_ADD_32);
    EXPECT_EQ((DWORD)DOCUMENT_ICON_FILE, DocumentKind);
    EXPECT_EQ(L"", std::wstring(DocumentFile));
    // So does an icon saved as a bitmap since.
    SaveAs(CMD_SAVE_BITMAP, PathOf(L"icon.bmp"));
    TapInIconImages(-1, IDC_ADD_16);
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
    } cases[] = {{L"truncated.ico", truncated, L"Damaged PNG image :"},
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
        ClearSeenBoxes();
        std::vector<std::wstring> rows = TapInIconImages(1, IDC_IMAGE_EDIT, {IDOK});
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

namespace {

// Directory fields of image n: width, height (0 for 256), colour count, bit count (a cursor's:
// the hot spot), and the depth its block stores (0 for PNG).
struct EntryFields {
    int width, height, colours, planes, bits, blockBits;
    bool png;
};
EntryFields FieldsOf(const Bytes& file, int n) {
    const BYTE* e = &file[6 + 16 * n];
    Bytes block = IconFileBlock(file, n);
    bool png = block.size() > 8 && block[0] == 0x89 && block[1] == 'P';
    return {e[0],
            e[1],
            e[2],
            GetLE16(file, 10 + 16 * n),
            GetLE16(file, 12 + 16 * n),
            png || block.size() < 16 ? 0 : GetLE16(block, 14),
            png};
}

int ListSelection(HWND dialog) {
    return (int)SendDlgItemMessageW(dialog, IDC_IMAGE_LIST, LB_GETCURSEL, 0, 0);
}

} // namespace

// Every form at any size, blank or from the canvas, listed as added and written with
// directory fields from its own image (256 as 0); 256 suggests PNG; a size out of range is
// refused with a word.
TEST_F(Editor, ImagesOfAnySizeAndFormAreAddedAndWrittenRight) {
    NewCreate(32);
    const struct {
        const wchar_t* size;
        int form;
        bool fromCanvas;
        const wchar_t* row;
        EntryFields fields;
    } cases[] = {
        {L"20", FORM_16_COLOURS, false, L"20 x 20, 16 colours, BMP", {20, 20, 16, 0, 4, 4, false}},
        {L"48 x 24",
         FORM_256_COLOURS,
         true,
         L"48 x 24, 256 colours, BMP",
         {48, 24, 0, 0, 8, 8, false}},
        {L"64", FORM_TRUE_COLOUR, true, L"64 x 64, 32 bits, BMP", {64, 64, 0, 0, 32, 32, false}},
        {L"1", FORM_PNG, false, L"1 x 1, 32 bits, PNG", {1, 1, 0, 1, 32, 0, true}},
        {L"256", -1, true, L"256 x 256, 32 bits, PNG", {0, 0, 0, 1, 32, 0, true}},
        {L" 256 X 256 ",
         FORM_TRUE_COLOUR,
         false,
         L"256 x 256, 32 bits, BMP",
         {0, 0, 0, 0, 32, 32, false}},
    };
    std::vector<std::wstring> rows;
    int suggested = -1;
    IconImages(
        [&](HWND dialog) {
            for (auto& c : cases) {
                ChooseSizeAndForm(dialog, c.size, c.form);
                if (c.form < 0)
                    suggested = (int)SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_GETCURSEL, 0, 0);
                CheckDlgButton(dialog, IDC_ADD_FROM_CANVAS,
                               c.fromCanvas ? BST_CHECKED : BST_UNCHECKED);
                TapControl(dialog, IDC_IMAGE_ADD);
            }
            for (const wchar_t* bad : {L"257", L"0", L"16 x", L"x16", L"16 x 16 x 16"}) {
                ChooseSizeAndForm(dialog, bad, FORM_16_COLOURS);
                TapControl(dialog, IDC_IMAGE_ADD);
            }
            rows = Rows(dialog);
            TapControl(dialog, IDCANCEL);
        },
        std::vector<int>(5, IDOK));
    EXPECT_EQ(FORM_PNG, suggested) << "256 is suggested as PNG";
    ASSERT_EQ(std::size(cases) + 1, rows.size()) << "the refused sizes add nothing";
    EXPECT_EQ(5, std::count_if(SeenBoxes().begin(), SeenBoxes().end(),
                               [](const SeenBox& box) {
                                   return box.text ==
                                          L"Type a size of 1 to 256 pixels, or width x height.";
                               }))
        << "one box a refused size";
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"forms.ico"));
    ASSERT_EQ((int)std::size(cases) + 1, IconFileImageCount(file));
    for (size_t i = 0; i < std::size(cases); i++) {
        const auto& c = cases[i];
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.size)));
        EXPECT_EQ(std::to_wstring(i + 2) + L": " + c.row, rows[i + 1]);
        EntryFields f = FieldsOf(file, (int)i + 1);
        EXPECT_EQ(c.fields.width, f.width);
        EXPECT_EQ(c.fields.height, f.height);
        EXPECT_EQ(c.fields.colours, f.colours);
        EXPECT_EQ(c.fields.planes, f.planes);
        EXPECT_EQ(c.fields.bits, f.bits);
        EXPECT_EQ(c.fields.blockBits, f.blockBits);
        EXPECT_EQ(c.fields.png, f.png);
    }
}

// Make All Sizes from a 256 x 256 PNG image: the question's Cancel changes nothing; OK puts
// the five standard sizes in size order, the 32 x 32 there before replaced, the canvas's own
// image serving for 256.
TEST_F(Editor, MakeAllSizesMakesTheStandardSetInOrder) {
    IconImage png, old32 = Square(32, 12, false), kept = Square(20, 3, false);
    png.width = png.height = 256;
    png.png = MakeSolidPng(256, 256, 0x2040C0FF);
    ChooseFile(Write(L"big.ico", MakeIconFile({png, old32, kept})));
    File(L"&Open a ICON file");
    IconImages([](HWND dialog) { TapRow(dialog, 0, true); });
    ASSERT_EQ(256, CanvasWidth);
    Modified = 0;
    std::vector<std::wstring> before, cancelled, made;
    IconImages([&](HWND dialog) {
        before = Rows(dialog);
        HandleNextDialog([](HWND sizes) { PressDialogButton(sizes, IDOK); });
        AnswerNextBox(IDCANCEL);
        TapControl(dialog, IDC_MAKE_ALL_SIZES);
        cancelled = Rows(dialog);
        HandleNextDialog([](HWND sizes) { PressDialogButton(sizes, IDOK); });
        AnswerNextBox(IDOK);
        TapControl(dialog, IDC_MAKE_ALL_SIZES);
        made = Rows(dialog);
        TapControl(dialog, IDCANCEL);
    });
    EXPECT_EQ(before, cancelled);
    EXPECT_EQ(2, std::count_if(SeenBoxes().begin(), SeenBoxes().end(), [](const SeenBox& box) {
                  return box.text == L"Replace the 1 image of the sizes to make?";
              }));
    EXPECT_EQ((std::vector<std::wstring>{
                  L"1: 16 x 16, 32 bits, BMP", L"2: 20 x 20, 16 colours, BMP",
                  L"3: 24 x 24, 32 bits, BMP", L"4: 32 x 32, 32 bits, BMP",
                  L"5: 48 x 48, 32 bits, BMP", L"6: 256 x 256, 32 bits, PNG (on canvas)"}),
              made);
    EXPECT_EQ(1, Modified);
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"all.ico"));
    ASSERT_EQ(6, IconFileImageCount(file));
    EXPECT_EQ(Bytes(png.png), IconFileBlock(file, 5)) << "the canvas's image left as it was";
    // Each made image holds the picture's colour, opaque.
    for (int n : {0, 2, 3, 4}) {
        Bytes block = IconFileBlock(file, n);
        int side = block.size() > 8 ? GetLE32(block, 4) : 0;
        ASSERT_GT(side, 0);
        size_t middle = 40 + ((size_t)side / 2 * side + side / 2) * 4;
        EXPECT_EQ(0xFF2040C0u, GetLE32(block, middle)) << "image " << n;
    }
    ExpectNoFailureShown();
}

// A form changed: an image not on the canvas from PNG to 16 colours, the canvas's from 16
// colours to PNG, which the canvas then shows, its pixels as they were.
TEST_F(Editor, AnImageChangesItsForm) {
    IconImage png;
    png.width = png.height = 16;
    png.png = MakeSolidPng(16, 16, 0xFF0000FF);
    ChooseFile(Write(L"two.ico", MakeIconFile({png, Square(32, 12, true)})));
    File(L"&Open a ICON file");
    MenuItem(L"&Canvas", L"Opaque/Transparency"); // the pen on the picture, not the mask
    TapLineColor(ROW_BLACK);
    Drag(0, 3, 4, 3);
    std::vector<std::wstring> rows;
    IconImages([&](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_SETCURSEL, FORM_16_COLOURS, 0);
        TapRow(dialog, 0);
        TapControl(dialog, IDC_CHANGE_FORM);
        SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_SETCURSEL, FORM_PNG, 0);
        TapRow(dialog, 1);
        TapControl(dialog, IDC_CHANGE_FORM);
        rows = Rows(dialog);
        TapControl(dialog, IDCANCEL);
    });
    EXPECT_EQ((std::vector<std::wstring>{L"1: 16 x 16, 16 colours, BMP",
                                         L"2: 32 x 32, 32 bits, PNG (on canvas)"}),
              rows);
    ASSERT_EQ(32, ImageInfo->bmiHeader.biBitCount);
    EXPECT_EQ(BLACK, Cell(2, 3)) << "the stroke made before the change";
    EXPECT_EQ(BLUE, Cell(5, 5));
    EXPECT_EQ(1, TransparencyMode);
    EXPECT_EQ("T...", MaskRow(0, 0, 4));
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"changed.ico"));
    EXPECT_EQ(9, IconFileIndex(file, 7, 7, 0)) << "red, the nearest of the 16 colours";
    EXPECT_TRUE(FieldsOf(file, 1).png);
    ExpectNoFailureShown();
}

// A cursor shows its hot spot as a cross over the cell, not in the image; Hot Spot and a tap
// move it, Undo and Redo exchange it, the file keeps it exactly, and an image added to the
// cursor gets it scaled.
TEST_F(Editor, ACursorsHotSpotIsMovedSavedAndUndone) {
    Bytes cursor = MakeIconFile({Square(32, 15, false)});
    PutLE16(cursor, 2, 2);
    PutLE16(cursor, 10, 3);
    PutLE16(cursor, 12, 4);
    ChooseFile(Write(L"arrow.cur", cursor));
    File(L"&Open a ICON file");
    EXPECT_NE(WHITE, Cell(3, 4)) << "the cross";
    EXPECT_EQ(WHITE, Cell(4, 4));
    MenuItem(L"&Canvas", L"Hot Spot");
    Tap(10, 12);
    POINT spot = {};
    ASSERT_TRUE(CursorHotSpot(SelectedIconImage, &spot));
    EXPECT_EQ(10, spot.x);
    EXPECT_EQ(12, spot.y);
    EXPECT_NE(WHITE, Cell(10, 12));
    EXPECT_EQ(WHITE, Cell(3, 4));
    EXPECT_EQ("FFFF", ImageRow(12, 9, 13)) << "the image is not drawn on";
    EXPECT_EQ(1, Modified);
    MenuItem(L"&Edit", L"Undo");
    CursorHotSpot(SelectedIconImage, &spot);
    EXPECT_EQ(3, spot.x);
    EXPECT_NE(WHITE, Cell(3, 4));
    MenuItem(L"&Edit", L"Redo");
    TapLineColor(ROW_BLACK);
    Tap(1, 1); // an ordinary stroke again
    EXPECT_EQ("0", ImageRow(1, 1, 2));
    TapInIconImages(-1, IDC_ADD_16);
    Bytes file = SaveAs(CMD_SAVE_ICON, PathOf(L"moved.cur"));
    ASSERT_EQ(2, IconFileImageCount(file));
    EXPECT_EQ(2, GetLE16(file, 2));
    EXPECT_EQ(10, FieldsOf(file, 0).planes);
    EXPECT_EQ(12, FieldsOf(file, 0).bits);
    EXPECT_EQ(5, FieldsOf(file, 1).planes) << "scaled from the canvas image's";
    EXPECT_EQ(6, FieldsOf(file, 1).bits);
    ChooseFile(PathOf(L"moved.cur"));
    File(L"&Open a ICON file");
    CursorHotSpot(SelectedIconImage, &spot);
    EXPECT_EQ(10, spot.x);
    EXPECT_EQ(12, spot.y);
    ExpectNoFailureShown();
    // An icon has none.
    NewCreate(16);
    AnswerNextBox(IDOK);
    MenuItem(L"&Canvas", L"Hot Spot");
    EXPECT_EQ(L"Only a cursor has a hot spot.", SeenBoxes().back().text);
}

// Removing images before, at and after the one on the canvas: the list marks the canvas's
// image where it now stands, the list's choice stays on the row tapped, and the canvas's
// edits are saved into the image they were made on.
TEST_F(Editor, RemovingImagesAroundTheChosenOneKeepsListAndCanvasTogether) {
    ChooseFile(Write(L"four.ico", MakeIconFile({Square(16, 11, false), Square(24, 10, false),
                                                Square(32, 12, false), Square(48, 3, false)})));
    File(L"&Open a ICON file");
    ASSERT_EQ(2, SelectedIconImage);
    TapLineColor(ROW_BLACK);
    Drag(0, 0, 3, 0);
    std::vector<std::wstring> afterLast, afterFirst;
    int choiceAfterLast = -1, choiceAfterFirst = -1;
    IconImages(
        [&](HWND dialog) {
            TapRow(dialog, 3);
            TapControl(dialog, IDC_IMAGE_REMOVE);
            afterLast = Rows(dialog);
            choiceAfterLast = ListSelection(dialog);
            TapRow(dialog, 0);
            TapControl(dialog, IDC_IMAGE_REMOVE);
            afterFirst = Rows(dialog);
            choiceAfterFirst = ListSelection(dialog);
            TapControl(dialog, IDCANCEL);
        },
        {IDYES, IDYES});
    EXPECT_EQ(
        (std::vector<std::wstring>{L"1: 16 x 16, 16 colours, BMP", L"2: 24 x 24, 16 colours, BMP",
                                   L"3: 32 x 32, 16 colours, BMP (on canvas)"}),
        afterLast);
    EXPECT_EQ(2, choiceAfterLast);
    EXPECT_EQ((std::vector<std::wstring>{L"1: 24 x 24, 16 colours, BMP",
                                         L"2: 32 x 32, 16 colours, BMP (on canvas)"}),
              afterFirst);
    EXPECT_EQ(0, choiceAfterFirst);
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ("000CC", ImageRow(0, 0, 5));
    Bytes saved = SaveAs(CMD_SAVE_ICON, PathOf(L"two.ico"));
    ASSERT_EQ(2, IconFileImageCount(saved));
    EXPECT_EQ(0, IconFileIndex(saved, 2, 0, 1)) << "the stroke in the 32 x 32";
    EXPECT_EQ(10, IconFileIndex(saved, 3, 0, 0)) << "the 24 x 24 untouched";
    // At the chosen one: the canvas moves to its neighbour, which the list then marks.
    EXPECT_EQ(std::vector<std::wstring>{L"1: 24 x 24, 16 colours, BMP (on canvas)"},
              TapInIconImages(1, IDC_IMAGE_REMOVE, {IDYES}));
    EXPECT_EQ(24, CanvasWidth);
    EXPECT_EQ("AAAA", ImageRow(0, 0, 4));
    ExpectNoFailureShown();
}
