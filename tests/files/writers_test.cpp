// The bitmap and icon writers: the bytes they write, the image in its own format, the mask
// and black under transparent pixels, the held icon written back, and saves that never leave
// a broken file in place of a good one.
#include "canvas/canvas.h"
#include "files/files.h"
#include "files_test_support.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// Only these files are in the folder: no temporary or set-aside file is left.
void ExpectOnlyFilesIn(const std::wstring& folder, std::vector<std::wstring> names) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, found);
}

class Writers : public FileTest {
  protected:
    bool ReadBitmap(const std::wstring& path) { return OpenBitmapFile(path) && ImageSlots[0].Dib; }
    void ExpectOnlyFiles(std::vector<std::wstring> names) { ExpectOnlyFilesIn(Folder, names); }
};

DWORD Pattern(int x, int y) {
    return (DWORD)(x * 7 + y * 3) % 16;
}

// The slot holds the canvas's image; where transparent is given, the slot's mask must hold
// those pixels and only they may differ in colour (an icon stores them black).
void ExpectSlotMatchesCanvas(const ImageSlot& slot,
                             const std::function<bool(int, int)>& transparent = nullptr) {
    ASSERT_NE(nullptr, slot.Dib);
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)slot.Dib;
    ASSERT_EQ(ImageInfo->bmiHeader.biBitCount, h->biBitCount);
    ASSERT_EQ(CanvasWidth, slot.Width);
    ASSERT_EQ(CanvasHeight, slot.Height);
    Bytes canvas = CanvasAsDib();
    for (int y = 0; y < CanvasHeight; y++)
        for (int x = 0; x < CanvasWidth; x++) {
            bool clear = transparent && transparent(x, y);
            if (transparent) {
                ASSERT_EQ(clear, MaskBit(slot.AndMask, CanvasWidth, CanvasHeight, x, y))
                    << x << "," << y;
            }
            if (!clear) {
                ASSERT_EQ(NormalisedPixel(canvas.data(), x, y), NormalisedPixel(slot.Dib, x, y))
                    << x << "," << y;
            }
        }
}

TEST_F(Writers, ANewSixteenBySixteenImageMakesA246ByteBitmap) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    std::wstring path = PathOf(L"a.bmp");
    ASSERT_TRUE(WriteDib(nullptr, path.c_str(), CanvasBitmap()));
    Bytes file = ReadWholeFile(path);
    ASSERT_EQ(246u, file.size());
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(246u, GetLE32(file, 2));
    EXPECT_EQ(0u, GetLE32(file, 6));
    EXPECT_EQ(118u, GetLE32(file, 10));
    EXPECT_TRUE(std::equal(file.begin() + 14, file.begin() + 118, (BYTE*)ImageInfo));
    EXPECT_TRUE(std::equal(file.begin() + 118, file.end(), ImageBits));
    EXPECT_TRUE(ReadBitmap(path));
    ExpectSlotMatchesCanvas(ImageSlots[0]);
    // Transparency is no part of a bitmap.
    SetCanvasMask([](int x, int) { return x < 8; });
    TransparencyMode = 1;
    ASSERT_TRUE(WriteDib(nullptr, path.c_str(), CanvasBitmap()));
    TransparencyMode = 0;
    EXPECT_EQ(file, ReadWholeFile(path));
    ExpectOnlyFiles({L"a.bmp"});
}

TEST_F(Writers, EveryFormatIsWrittenAsItIsAndReadsBackTheSame) {
    // Widths whose rows end in a partly used byte or word, and a single row, among them.
    const SIZE sizes[] = {{16, 11}, {32, 11}, {13, 11}, {1, 11}, {7, 11},
                          {9, 11},  {31, 11}, {33, 11}, {33, 1}};
    auto transparent = [](int x, int y) { return (x + y) % 3 == 0; };
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (SIZE size : sizes) {
            int width = size.cx, height = size.cy;
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + "x" +
                         std::to_string(height));
            SetCanvasImage(width, height, bits, GreyTable(bits <= 8 ? 1 << bits : 0),
                           [&](int x, int y) {
                               return bits <= 8 ? (DWORD)(x * 5 + y * 3 + 1) % (1u << bits)
                                                : (DWORD)(x * 0x10305 + y * 0x50301);
                           });
            std::wstring bmp = PathOf(L"a.bmp"), ico = PathOf(L"a.ico");
            ASSERT_TRUE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
            Bytes file = ReadWholeFile(bmp);
            EXPECT_EQ(bits, GetLE16(file, 28));
            EXPECT_EQ(54 + (bits <= 8 ? 4u << bits : 0) + RowBytes(width, bits) * height,
                      file.size());
            ASSERT_TRUE(ReadBitmap(bmp));
            ExpectSlotMatchesCanvas(ImageSlots[0]);
            SetCanvasMask(transparent);
            ASSERT_TRUE(WriteIconFile(ico.c_str(), CanvasIcon()));
            EXPECT_EQ(6 + 16 + 40 + (bits <= 8 ? 4u << bits : 0) +
                          (RowBytes(width, bits) + RowBytes(width, 1)) * height,
                      ReadWholeFile(ico).size());
            ReleaseHeldIcon();
            ASSERT_TRUE(OpenIconFile(ico));
            ExpectSlotMatchesCanvas(ImageSlots[0], transparent);
            ReleaseHeldIcon();
            ReleaseSlot(0);
        }
    }
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(Writers, ANewSixteenBySixteenIconHasTheFormatsFields) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    std::wstring path = PathOf(L"a.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    Bytes file = ReadWholeFile(path);
    ASSERT_EQ(318u, file.size());
    EXPECT_EQ(0, GetLE16(file, 0));
    EXPECT_EQ(1, GetLE16(file, 2));
    EXPECT_EQ(1, GetLE16(file, 4));
    EXPECT_EQ(16, file[6]);
    EXPECT_EQ(16, file[7]);
    EXPECT_EQ(16, file[8]);
    EXPECT_EQ(0, file[9]);
    EXPECT_EQ(0, GetLE16(file, 10));
    EXPECT_EQ(4, GetLE16(file, 12));
    EXPECT_EQ(296u, GetLE32(file, 14));
    EXPECT_EQ(22u, GetLE32(file, 18));
    EXPECT_EQ(40u, GetLE32(file, 22));
    EXPECT_EQ(32u, GetLE32(file, 30));
    EXPECT_EQ(128u, GetLE32(file, 42));
    EXPECT_EQ(16u, GetLE32(file, 54));
    EXPECT_TRUE(std::equal(file.begin() + 62, file.begin() + 62 + 64, (BYTE*)ImageInfo + 40));
    EXPECT_TRUE(std::equal(file.begin() + 126, file.begin() + 254, ImageBits));
    EXPECT_TRUE(std::all_of(file.begin() + 254, file.end(), [](BYTE b) { return b == 0; }));
    // The icon made stays held; saving again gives the same bytes.
    ASSERT_NE(nullptr, IconEntries);
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    EXPECT_EQ(file, ReadWholeFile(path));
    ExpectOnlyFiles({L"a.ico"});
}

TEST_F(Writers, TransparentPixelsAreBlackInTheFileAndKeepTheirColourInTheImage) {
    auto transparent = [](int x, int y) { return x >= 10 && y < 3; };
    for (int bits : {4, 16, 24}) {
        SCOPED_TRACE(bits);
        // Red: entry 9 of the standard table, or the colour itself.
        DWORD red = bits == 4 ? 9u : 0xFF0000u;
        SetCanvasImage(16, 16, bits, StandardTable16(), [&](int, int) { return red; });
        SetCanvasMask(transparent);
        TransparencyMode = 1;
        std::wstring path = PathOf(L"a.ico");
        ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
        // Leaving the mode keeps the edited mask in every later save.
        TransparencyMode = 0;
        ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
        EXPECT_EQ(RGB(255, 0, 0), NormalisedPixel(CanvasAsDib().data(), 12, 1));
        ReleaseHeldIcon();
        ASSERT_TRUE(OpenIconFile(path));
        EXPECT_TRUE(IconHasTransparency);
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++) {
                EXPECT_EQ(transparent(x, y), MaskBit(ImageSlots[0].AndMask, 16, 16, x, y));
                EXPECT_EQ(transparent(x, y) ? RGB(0, 0, 0) : RGB(255, 0, 0),
                          NormalisedPixel(ImageSlots[0].Dib, x, y));
            }
        ReleaseHeldIcon();
    }
}

TEST_F(Writers, WithoutBlackInTheTableTransparentPixelsTakeTheDarkestColour) {
    SetCanvasImage(8, 2, 1, {{0, 0, 200, 0}, {60, 0, 0, 0}}, [](int, int) { return 0u; });
    SetCanvasMask([](int x, int) { return x < 3; });
    std::wstring path = PathOf(L"a.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    Bytes file = ReadWholeFile(path);
    size_t pixels = 22 + 40 + 8;
    EXPECT_EQ(0xE0, file[pixels]);     // bottom row: x 0 to 2 take entry 1
    EXPECT_EQ(0xE0, file[pixels + 4]); // top row
    EXPECT_EQ(0x00, ImageBits[0]);     // the image keeps its own
}

TEST_F(Writers, ThirtyTwoBitIconsCarryTheMaskInTheirAlpha) {
    SetCanvasImage(16, 16, 32, {}, [](int, int) { return 0x00336699u; });
    SetCanvasMask([](int x, int) { return x == 0; });
    std::wstring path = PathOf(L"a.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    Bytes file = ReadWholeFile(path);
    size_t pixels = 22 + 40;
    EXPECT_EQ(0u, GetLE32(file, pixels));              // bottom row, x 0: transparent
    EXPECT_EQ(0xFF336699u, GetLE32(file, pixels + 4)); // x 1: opaque
    EXPECT_EQ(0x00336699u, ((DWORD*)ImageBits)[1]);    // the image is left alone
}

TEST_F(Writers, TheHeldIconIsWrittenBackWithOnlyTheEditedImageChanged) {
    IconImage small;
    small.width = small.height = 16;
    small.table = StandardTable16();
    small.pixel = Pattern;
    small.transparent = [](int x, int y) { return x == y; };
    IconImage big = small;
    big.width = big.height = 32;
    IconImage png;
    png.width = png.height = 48;
    png.png = MakeSolidPng(48, 48, 0x00FF00FF);
    Bytes original = MakeIconFile({png, small, big});
    ASSERT_TRUE(OpenIconFile(Write(L"in.ico", original)));
    ASSERT_EQ(2, SelectedIconImage);
    CanvasFromSlot(0);
    DocumentKind = DOCUMENT_ICON_FILE;
    COLORREF opened = NormalisedPixel(ImageSlots[0].Dib, 1, 31);
    ImageBits[0] = 0xCC; // an edit in the bottom row
    std::wstring path = PathOf(L"out.ico"), undone = PathOf(L"undone.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    Bytes written = ReadWholeFile(path);
    // The edit undone after the save, then another image chosen: the next save writes the
    // image as it was left, not as the first save wrote it.
    ImageBits[0] = ImageSlots[0].Bits[0];
    ASSERT_TRUE(KeepEditedImage(0, CanvasIcon()));
    ASSERT_TRUE(SwitchIconImage(0, 1, path.c_str()));
    CanvasFromSlot(0);
    ASSERT_TRUE(WriteIconFile(undone.c_str(), CanvasIcon()));
    ASSERT_EQ(original.size(), written.size());
    // The directory and the other two images are as they were read.
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 6 + 32, written.begin()));
    size_t bigAt = GetLE32(original, 6 + 32 + 12);
    EXPECT_TRUE(std::equal(original.begin() + 54, original.begin() + bigAt, written.begin() + 54));
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(GetLE32(original, 18 + 16 * i), GetLE32(written, 18 + 16 * i));
    // The edited image: new pixels, the mask as it was opened.
    ReleaseHeldIcon();
    ASSERT_TRUE(OpenIconFile(path));
    EXPECT_EQ(3, IconDirectory.idCount);
    EXPECT_EQ(RGB(0, 0, 255), NormalisedPixel(ImageSlots[0].Dib, 0, 31));
    EXPECT_EQ(RGB(0, 0, 255), NormalisedPixel(ImageSlots[0].Dib, 1, 31));
    for (int i = 0; i < 32; i++)
        EXPECT_TRUE(MaskBit(ImageSlots[0].AndMask, 32, 32, i, i));
    EXPECT_FALSE(MaskBit(ImageSlots[0].AndMask, 32, 32, 1, 0));
    ASSERT_TRUE(OpenIconFile(undone));
    EXPECT_EQ(opened, NormalisedPixel(ImageSlots[0].Dib, 1, 31));
}

TEST_F(Writers, OffsetsFollowTheBlocksAsWrittenAndAnImageOfAnotherFormatGetsANewEntry) {
    IconImage small;
    small.width = small.height = 16;
    small.table = StandardTable16();
    small.pixel = Pattern;
    IconImage big = small;
    big.width = big.height = 32;
    Bytes original = MakeIconFile({small, big});
    // Eleven bytes of noise between the blocks, which the written file drops.
    size_t bigAt = GetLE32(original, 6 + 16 + 12);
    original.insert(original.begin() + bigAt, 11, 0x5A);
    PutLE32(original, 6 + 16 + 12, (DWORD)(bigAt + 11));
    ASSERT_TRUE(OpenIconFile(Write(L"in.ico", original)));
    ASSERT_EQ(1, SelectedIconImage);
    // The image became 20 x 12 at 24 bits: its entry is made anew, the other is kept.
    SetCanvasImage(20, 12, 24, {}, [](int x, int y) { return (DWORD)(x * 0x0A0B0C + y); });
    std::wstring path = PathOf(L"out.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    Bytes written = ReadWholeFile(path);
    size_t smallSize = GetLE32(original, 6 + 8);
    EXPECT_EQ(38u, GetLE32(written, 6 + 12));
    EXPECT_EQ(38 + smallSize, GetLE32(written, 6 + 16 + 12));
    EXPECT_TRUE(
        std::equal(original.begin() + 38, original.begin() + 38 + smallSize, written.begin() + 38));
    EXPECT_EQ(20, written[6 + 16]);
    EXPECT_EQ(12, written[6 + 16 + 1]);
    EXPECT_EQ(24, GetLE16(written, 6 + 16 + 6));
    EXPECT_EQ(written.size(), 38 + smallSize + GetLE32(written, 6 + 16 + 8));
    ReleaseHeldIcon();
    ASSERT_TRUE(OpenIconFile(path));
    EXPECT_EQ(0, SelectedIconImage); // none is 32 wide now: the first is chosen
    ASSERT_TRUE(SelectIconImage(0, 1));
    ExpectSlotMatchesCanvas(ImageSlots[0]);
}

TEST_F(Writers, AFailedSaveLeavesTheOldFileAsItWas) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    Bytes old = {'o', 'l', 'd'};
    std::wstring bmp = Write(L"a.bmp", old), ico = Write(L"a.ico", old);
    // Another program holds both files open and lets nobody rename them.
    HANDLE holds[2];
    int n = 0;
    for (const std::wstring& p : {bmp, ico})
        holds[n++] = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 0, nullptr);
    AnswerOk(2);
    EXPECT_FALSE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
    EXPECT_FALSE(WriteIconFile(ico.c_str(), CanvasIcon()));
    for (HANDLE h : holds)
        CloseHandle(h);
    EXPECT_EQ(Boxes({{L"WriteDib", L"Another program is using the file :" + bmp},
                     {L"Mosaro", L"Another program is using the file :" + ico}}),
              TakeBoxes());
    EXPECT_EQ(old, ReadWholeFile(bmp));
    EXPECT_EQ(old, ReadWholeFile(ico));
    EXPECT_EQ(nullptr, IconEntries); // the icon was not taken as held
    ExpectOnlyFiles({L"a.bmp", L"a.ico"});

    // Held open by a program that shares it every way: told the same.
    HANDLE shared = CreateFileW(ico.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    AnswerOk(1);
    EXPECT_FALSE(WriteIconFile(ico.c_str(), CanvasIcon()));
    CloseHandle(shared);
    EXPECT_EQ(Boxes({{L"Mosaro", L"Another program is using the file :" + ico}}), TakeBoxes());
    EXPECT_EQ(old, ReadWholeFile(ico));
    ExpectOnlyFiles({L"a.bmp", L"a.ico"});

    // A read-only file and a folder that does not exist are not written either.
    SetFileAttributesW(bmp.c_str(), FILE_ATTRIBUTE_READONLY);
    std::wstring nowhere = PathOf(L"no\\such\\a.ico");
    AnswerOk(2);
    EXPECT_FALSE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
    EXPECT_FALSE(WriteIconFile(nowhere.c_str(), CanvasIcon()));
    EXPECT_EQ(Boxes({{L"WriteDib", L"failed in openning a file!"},
                     {L"Mosaro", L"Could not open a file :" + nowhere}}),
              TakeBoxes());
    EXPECT_EQ(old, ReadWholeFile(bmp));

    // Once free, the save replaces the file whole.
    SetFileAttributesW(bmp.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
    EXPECT_EQ(246u, ReadWholeFile(bmp).size());
    ExpectOnlyFiles({L"a.bmp", L"a.ico"});
}

TEST_F(Writers, ANameOutsideTheCodePageWritesThatFileAndNoOther) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    Bytes decoy = {'d'};
    Write(L"a.bmp", decoy);
    std::wstring wide = PathOf(L"\u0101.bmp");
    EXPECT_TRUE(WriteDib(nullptr, wide.c_str(), CanvasBitmap()));
    EXPECT_EQ(246u, ReadWholeFile(wide).size());
    EXPECT_EQ(decoy, ReadWholeFile(PathOf(L"a.bmp")));
}

// The new file's name is longer than the target's: beside a target that just fits the path
// limit it does not, and the save must work all the same.
TEST_F(Writers, NamesThatJustFitThePathLimitAreSaved) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    for (size_t length : {250, 259}) {
        std::wstring folder = Folder + L"\\" + std::wstring(length - Folder.size() - 7, L'd');
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        std::wstring bmp = folder + L"\\a.bmp", ico = folder + L"\\a.ico";
        ASSERT_EQ(length, ico.size());
        Bytes old = {'o', 'l', 'd'};
        ASSERT_TRUE(WriteWholeFile(ico, old));
        EXPECT_TRUE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
        EXPECT_TRUE(WriteIconFile(ico.c_str(), CanvasIcon()));
        EXPECT_EQ(246u, ReadWholeFile(bmp).size());
        EXPECT_EQ(318u, ReadWholeFile(ico).size());
        ExpectOnlyFilesIn(folder, {L"a.bmp", L"a.ico"});
        EXPECT_TRUE(TakeBoxes().empty());
        DeleteFileW(bmp.c_str());
        DeleteFileW(ico.c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

TEST_F(Writers, ACursorIsSavedBackAsACursorWithEveryHotSpot) {
    IconImage small;
    small.table = StandardTable16();
    small.pixel = Pattern;
    IconImage big = small;
    big.width = big.height = 32;
    Bytes original = MakeIconFile({small, big});
    PutLE16(original, 2, ICON_TYPE_CURSOR);
    for (int at : {10, 12, 26, 28}) // hot spots (0, 0) and (3, 5)
        PutLE16(original, at, at == 26 ? 3 : at == 28 ? 5 : 0);
    ASSERT_TRUE(OpenIconFile(Write(L"in.cur", original)));
    ASSERT_EQ(1, SelectedIconImage);
    CanvasFromSlot(0);
    DocumentKind = DOCUMENT_ICON_FILE;
    ImageBits[0] = 0xCC;
    std::wstring path = PathOf(L"out.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    Bytes written = ReadWholeFile(path);
    ASSERT_EQ(original.size(), written.size());
    // The header, the image left alone and its entry are byte for byte as read; the edited
    // image's entry keeps its hot spot.
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 6 + 16, written.begin()));
    EXPECT_TRUE(std::equal(original.begin() + 26, original.begin() + 30, written.begin() + 26));
    size_t bigAt = GetLE32(original, 6 + 16 + 12);
    EXPECT_TRUE(std::equal(original.begin() + 38, original.begin() + bigAt, written.begin() + 38));
    EXPECT_NE(original[bigAt + 40 + 64], written[bigAt + 40 + 64]);
    ReleaseHeldIcon();
    ASSERT_TRUE(OpenIconFile(path));
    EXPECT_EQ(RGB(0, 0, 255), NormalisedPixel(ImageSlots[0].Dib, 0, 31));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(Writers, IconImagesAreAtMost256PixelsASide) {
    SetCanvasImage(256, 256, 4, StandardTable16(), Pattern);
    std::wstring path = PathOf(L"a.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    Bytes file = ReadWholeFile(path);
    EXPECT_EQ(0, file[6]); // 256 is stored as 0
    EXPECT_EQ(0, file[7]);
    ReleaseHeldIcon();
    ASSERT_TRUE(OpenIconFile(path));
    EXPECT_EQ(256, ImageSlots[0].Width);
    EXPECT_EQ(256, ImageSlots[0].Height);
    for (std::pair<int, int> size : {std::pair<int, int>{257, 1}, {1, 257}}) {
        ResetFileState();
        SetCanvasImage(size.first, size.second, 4, StandardTable16(), Pattern);
        std::wstring large = PathOf(L"large.ico");
        AnswerOk(1);
        EXPECT_FALSE(WriteIconFile(large.c_str(), CanvasIcon()));
        EXPECT_EQ(Boxes({{L"Mosaro", L"An icon image can be at most 256 x 256 pixels :" + large}}),
                  TakeBoxes());
    }
    ExpectOnlyFiles({L"a.ico"});

    // An image left with edits is held to the same sizes while another is on the canvas: its
    // entry could not tell its size.
    ResetFileState();
    IconImage png, bmp;
    png.width = png.height = 0;
    png.png = MakeSolidPng(300, 300, 0xFF0000FF);
    bmp.table = StandardTable16();
    bmp.pixel = Pattern;
    std::wstring two = Write(L"two.ico", MakeIconFile({png, bmp}));
    ASSERT_TRUE(OpenIconFile(two));
    ASSERT_EQ(1, SelectedIconImage);
    ASSERT_TRUE(SwitchIconImage(0, 0, two.c_str()));
    CanvasFromSlot(0);
    ImageBits[0] ^= 0xFF;
    ASSERT_TRUE(KeepEditedImage(0, CanvasIcon()));
    ASSERT_TRUE(SwitchIconImage(0, 1, two.c_str()));
    CanvasFromSlot(0);
    std::wstring edited = PathOf(L"edited.ico");
    AnswerOk(1);
    EXPECT_FALSE(WriteIconFile(edited.c_str(), CanvasIcon()));
    EXPECT_EQ(Boxes({{L"Mosaro", L"An icon image can be at most 256 x 256 pixels :" + edited}}),
              TakeBoxes());
    ExpectOnlyFiles({L"a.ico", L"two.ico"});
}

// The attributes a user sees stay with the picture, whether the save puts its new file in the
// old one's place or, for a file with a second name, writes over the old one; a read-only
// file is not written at all.
TEST_F(Writers, SavesKeepTheFilesAttributes) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    Bytes old = {'o', 'l', 'd'};
    for (const wchar_t* name : {L"hidden.bmp", L"system.ico", L"linked.bmp", L"locked.bmp"})
        Write(name, old);
    ASSERT_EQ(0, RunLinuxCommand("cd '" + LinuxPath(Folder) + "' && ln -f linked.bmp second.bmp"));
    const DWORD seen = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    const struct {
        const wchar_t* name;
        DWORD attributes;
        bool written;
    } cases[] = {
        {L"hidden.bmp", FILE_ATTRIBUTE_HIDDEN, true},
        {L"system.ico", FILE_ATTRIBUTE_SYSTEM, true},
        {L"linked.bmp", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true}, // in place
        {L"locked.bmp", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, false},
    };
    for (const auto& c : cases) {
        std::wstring path = PathOf(c.name);
        bool icon = path.back() == L'o';
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
        ASSERT_EQ(c.attributes, GetFileAttributesW(path.c_str()) & seen) << "none kept here";
        if (!c.written) AnswerOk(1);
        EXPECT_EQ(c.written, icon ? WriteIconFile(path.c_str(), CanvasIcon())
                                  : WriteDib(nullptr, path.c_str(), CanvasBitmap()));
        EXPECT_EQ(c.written ? icon ? 318u : 246u : 3u, ReadWholeFile(path).size()) << c.name;
        EXPECT_EQ(c.attributes, GetFileAttributesW(path.c_str()) & seen) << c.name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    TakeBoxes();
    ExpectOnlyFiles({L"hidden.bmp", L"system.ico", L"linked.bmp", L"second.bmp", L"locked.bmp"});
}

TEST_F(Writers, TheNameNeverGoesMissingWhileSavesReplaceTheFile) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    std::wstring bmp = PathOf(L"a.bmp"), ico = PathOf(L"a.ico");
    ASSERT_TRUE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
    ASSERT_TRUE(WriteIconFile(ico.c_str(), CanvasIcon()));
    std::atomic<bool> done{false};
    std::atomic<int> polls{0}, missing{0};
    std::thread watcher([&] {
        while (!done) {
            for (const std::wstring& p : {bmp, ico})
                missing += GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES;
            polls++;
        }
    });
    for (int i = 0; i < 40; i++) {
        ImageBits[0] = (BYTE)i;
        EXPECT_TRUE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
        EXPECT_TRUE(WriteIconFile(ico.c_str(), CanvasIcon()));
    }
    done = true;
    watcher.join();
    EXPECT_EQ(0, missing.load());
    EXPECT_GT(polls.load(), 40);
    EXPECT_EQ(39, ReadWholeFile(bmp)[118]);
    ExpectOnlyFiles({L"a.bmp", L"a.ico"});
}

// Under Wine the files are Linux files: a save keeps their mode, their other names (hard
// links) and a symbolic link saved through.
TEST_F(Writers, SavesKeepAccessRightsHardLinksAndSymbolicLinks) {
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    Bytes old = {'o', 'l', 'd'};
    for (const wchar_t* name : {L"private.bmp", L"linked.bmp", L"real.ico"})
        Write(name, old);
    std::string folder = LinuxPath(Folder);
    ASSERT_FALSE(folder.empty());
    ASSERT_EQ(0, RunLinuxCommand("cd '" + folder +
                                 "' && chmod 640 private.bmp && ln -f linked.bmp other.bmp && "
                                 "ln -sf real.ico link.ico"));
    for (const wchar_t* name : {L"private.bmp", L"linked.bmp"})
        EXPECT_TRUE(WriteDib(nullptr, PathOf(name).c_str(), CanvasBitmap()));
    EXPECT_TRUE(WriteIconFile(PathOf(L"link.ico").c_str(), CanvasIcon()));
    EXPECT_EQ(0, RunLinuxCommand("cd '" + folder +
                                 "' && test $(stat -c %a private.bmp) = 640 && "
                                 "test $(stat -c %h linked.bmp) = 2 && test -L link.ico"));
    EXPECT_EQ(246u, ReadWholeFile(PathOf(L"private.bmp")).size());
    EXPECT_EQ(246u, ReadWholeFile(PathOf(L"other.bmp")).size());
    EXPECT_EQ(318u, ReadWholeFile(PathOf(L"real.ico")).size());
    ExpectOnlyFiles({L"private.bmp", L"linked.bmp", L"other.bmp", L"real.ico", L"link.ico"});
    // (DeleteFileW on the link would remove the file it names under Wine.)
    EXPECT_EQ(0, RunLinuxCommand("rm '" + folder + "/link.ico'"));
}

// The save the child process below makes is ended between writing and replacing.
TEST_F(Writers, AnInterruptedSaveLeavesTheOldFileAndItsNewFileGoesOnceOld) {
    Bytes old = {'o', 'l', 'd'};
    std::wstring ico = Write(L"a.ico", old);
    EXPECT_EQ(77, RunTestInChild(L"InterruptedSave.Child", L"PIXMORA_INTERRUPTED_SAVE", ico));
    EXPECT_EQ(old, ReadWholeFile(ico));
    WIN32_FIND_DATAW left;
    HANDLE find = FindFirstFileW((Folder + L"\\~pixmora-*.tmp").c_str(), &left);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    std::wstring leftover = PathOf(left.cFileName);
    EXPECT_EQ(318u, ReadWholeFile(leftover).size());
    // A save soon after leaves it, for it may be another copy's save still going on...
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    ASSERT_TRUE(WriteDib(nullptr, PathOf(L"b.bmp").c_str(), CanvasBitmap()));
    ExpectOnlyFiles({L"a.ico", L"b.bmp", left.cFileName});
    // ...and removes it once it is two hours old.
    HANDLE file =
        CreateFileW(leftover.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER then = {{now.dwLowDateTime, now.dwHighDateTime}};
    then.QuadPart -= 2ull * 3600 * 10000000;
    FILETIME earlier = {then.LowPart, then.HighPart};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &earlier));
    CloseHandle(file);
    ASSERT_TRUE(WriteDib(nullptr, PathOf(L"b.bmp").c_str(), CanvasBitmap()));
    ExpectOnlyFiles({L"a.ico", L"b.bmp"});
}

TEST(InterruptedSave, Child) {
    WCHAR path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"PIXMORA_INTERRUPTED_SAVE", path, MAX_PATH))
        GTEST_SKIP() << "run by Writers.AnInterruptedSaveLeavesTheOldFileAndItsNewFileGoesOnceOld";
    SetCanvasImage(16, 16, 4, StandardTable16(), Pattern);
    BeforeSaveReplaces = [] { TerminateProcess(GetCurrentProcess(), 77); };
    WriteIconFile(path, CanvasIcon());
    ADD_FAILURE() << "the save was not ended before it replaced the file";
}

} // namespace

namespace {

// A full disk: PIXMORA_FULL_DISK_DIR names a folder on a small file system (the test run
// mounts a 64 KB one), which a file of the test's own fills to the room each case leaves.
#define BLOCK 4096u

std::wstring FullDiskFolder() {
    WCHAR folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"PIXMORA_FULL_DISK_DIR", folder, MAX_PATH);
    return folder;
}

ULONGLONG Room(const std::wstring& folder) {
    ULARGE_INTEGER room = {};
    EXPECT_TRUE(GetDiskFreeSpaceExW(folder.c_str(), &room, nullptr, nullptr));
    return room.QuadPart;
}

// Fills the file system until that much room is left.
void LeaveRoom(const std::wstring& folder, ULONGLONG room) {
    std::wstring filler = folder + L"\\filler";
    DeleteFileW(filler.c_str());
    ULONGLONG free = Room(folder);
    ASSERT_GE(free, room) << "the small file system is too small for the case";
    HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    Bytes block(BLOCK, 0x55);
    DWORD done = 0;
    for (ULONGLONG left = free - room; left > 0; left -= BLOCK)
        ASSERT_TRUE(WriteFile(file, block.data(), BLOCK, &done, nullptr));
    CloseHandle(file);
    ASSERT_EQ(room, Room(folder));
}

DWORD Product(int x, int y) {
    return (DWORD)(x * y * 2654435761u);
}

// Saves that fail for want of room, after their first block as at the start: the saves fail
// with their messages, the old files stay whole, and no new file is left.
TEST(FullDisk, SavesThatDoNotFitLeaveTheOldFilesAsTheyWere) {
    std::wstring disk = FullDiskFolder();
    ASSERT_FALSE(disk.empty()) << "PIXMORA_FULL_DISK_DIR names no folder on a small file system";
    const WCHAR* folder = disk.c_str();
    LeaveRoom(disk, 4 * BLOCK);
    // A 120 x 120 24-bit image needs 43200 bytes of pixels alone.
    ULARGE_INTEGER room = {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder, &room, nullptr, nullptr));
    ASSERT_LT(room.QuadPart, 43200u) << "not a small file system: the saves would fit";
    std::wstring bmp = std::wstring(folder) + L"\\old.bmp",
                 ico = std::wstring(folder) + L"\\old.ico";
    Bytes old(2000, 0x11);
    ASSERT_TRUE(WriteWholeFile(bmp, old));
    ASSERT_TRUE(WriteWholeFile(ico, old));
    SetCanvasImage(120, 120, 24, {}, [](int x, int y) { return (DWORD)(x * y); });
    AnswerOk(1);
    EXPECT_FALSE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
    EXPECT_FALSE(WriteIconFile(ico.c_str(), CanvasIcon()));
    Boxes boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"WriteDib", boxes[0].first);
    EXPECT_EQ(L"failed in writing pixel bits!", boxes[0].second);
    EXPECT_EQ(old, ReadWholeFile(bmp));
    EXPECT_EQ(old, ReadWholeFile(ico));
    ExpectOnlyFilesIn(folder, {L"old.bmp", L"old.ico", L"filler"});

    // One block left: the bitmap fails while its rows are written, the icon (7,358 bytes)
    // when its last bytes are flushed to the disk.
    LeaveRoom(disk, BLOCK);
    SetCanvasImage(60, 60, 24, {}, Product);
    AnswerOk(1);
    EXPECT_FALSE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
    SetCanvasImage(48, 48, 24, {}, Product);
    EXPECT_FALSE(WriteIconFile(ico.c_str(), CanvasIcon()));
    EXPECT_EQ(Boxes({{L"WriteDib", L"failed in writing pixel bits!"}}), TakeBoxes());
    EXPECT_EQ(old, ReadWholeFile(bmp));
    EXPECT_EQ(old, ReadWholeFile(ico));
    ExpectOnlyFilesIn(folder, {L"old.bmp", L"old.ico", L"filler"});
    DeleteFileW(bmp.c_str());
    DeleteFileW(ico.c_str());
    DeleteFileW((disk + L"\\filler").c_str());
    ClearCanvasImage();
    ResetFileState();
}

// A file with a second name is written over in place. Stored sparse (64 KB, of which only the
// first and the last block are on the disk), writing over it needs room for its holes, which a
// disk with room for the new file may lack: the save fails and the old bytes are all there.
TEST(FullDisk, WritingOverASparseFileNeverLeavesItHalfWritten) {
    std::wstring folder = FullDiskFolder();
    ASSERT_FALSE(folder.empty()) << "PIXMORA_FULL_DISK_DIR names no folder on a small file system";
    std::string linux = LinuxPath(folder);
    ASSERT_EQ(0, RunLinuxCommand("cd '" + linux +
                                 "' && truncate -s 65536 old.bmp && "
                                 "printf oooo | dd of=old.bmp conv=notrunc status=none && "
                                 "printf eeee | dd of=old.bmp bs=1 seek=65532 conv=notrunc "
                                 "status=none && ln old.bmp other.bmp"));
    std::wstring bmp = folder + L"\\old.bmp", other = folder + L"\\other.bmp";
    Bytes old = ReadWholeFile(bmp);
    ASSERT_EQ(65536u, old.size());
    const struct {
        int side; // of a 24-bit image: 40 takes 2 blocks, 60 takes 3
        ULONGLONG room;
    } cases[] = {
        // The new file fits, the copy of the old bytes does not: nothing is touched.
        {40, 2 * BLOCK},
        // The copy fits too (its 2 blocks), then the third block written in place does not:
        // the two written go back.
        {60, (3 + 2 + 1) * BLOCK},
    };
    for (const auto& c : cases) {
        LeaveRoom(folder, c.room);
        SetCanvasImage(c.side, c.side, 24, {}, Product);
        AnswerOk(1);
        EXPECT_FALSE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap())) << c.side;
        EXPECT_EQ(Boxes({{L"WriteDib", L"The disk is full :" + bmp}}), TakeBoxes()) << c.side;
        EXPECT_EQ(old, ReadWholeFile(bmp)) << c.side;
        ExpectOnlyFilesIn(folder, {L"old.bmp", L"other.bmp", L"filler"});
    }
    // With room, both names hold the new picture.
    DeleteFileW((folder + L"\\filler").c_str());
    EXPECT_TRUE(WriteDib(nullptr, bmp.c_str(), CanvasBitmap()));
    EXPECT_EQ(10854u, ReadWholeFile(other).size());
    ExpectOnlyFilesIn(folder, {L"old.bmp", L"other.bmp"});
    DeleteFileW(bmp.c_str());
    DeleteFileW(other.c_str());
    ClearCanvasImage();
    ResetFileState();
}

} // namespace
