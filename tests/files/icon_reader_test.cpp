// The icon reader: images found through the directory, the one to edit chosen by its own
// header, PNG images decoded only when chosen, the whole mask looked at, and broken icons refused
// with their message while the icon held before stays.
#include "files/files.h"
#include "files_test_support.h"
#include "test_support.h"

namespace {

class IconReader : public FileTest {
  protected:
    void ExpectRefused(const Bytes& file, const std::wstring& caption, const wchar_t* format,
                       const std::wstring& name) {
        AnswerOk(1);
        ImageSlot before = ImageSlots[0];
        IconEntry* held = IconEntries;
        EXPECT_FALSE(OpenIconFile(Write(L"bad.ico", file)));
        std::wstring text = format;
        size_t at = text.find(L"%s");
        if (at != std::wstring::npos) text.replace(at, 2, name.empty() ? L"(untitled)" : name);
        EXPECT_EQ(Boxes({{caption, text}}), TakeBoxes());
        EXPECT_EQ(held, IconEntries);
        EXPECT_EQ(before.Dib, ImageSlots[0].Dib);
        EXPECT_EQ(before.AndMask, ImageSlots[0].AndMask);
    }
};

IconImage FourBit(int width, int height, DWORD shift = 0) {
    IconImage im;
    im.width = width;
    im.height = height;
    im.table = StandardTable16();
    im.pixel = [=](int x, int y) { return (DWORD)(x + y + shift) % 16; };
    return im;
}

COLORREF StandardColour(int index) {
    RGBQUAD q = StandardTable16()[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

TEST_F(IconReader, TheFirstImageThirtyTwoWideIsChosenElseTheFirst) {
    EXPECT_TRUE(OpenIconFile(Write(L"a.ico", MakeIconFile({FourBit(16, 16), FourBit(32, 32, 3)}))));
    EXPECT_EQ(1, SelectedIconImage);
    EXPECT_EQ(32, ImageSlots[0].Width);
    EXPECT_EQ(32, ImageSlots[0].Height);
    EXPECT_EQ(StandardColour(3), NormalisedPixel(ImageSlots[0].Dib, 0, 0));
    EXPECT_EQ(StandardColour((31 + 30 + 3) % 16), NormalisedPixel(ImageSlots[0].Dib, 31, 30));
    ReleaseSlot(0);

    EXPECT_TRUE(OpenIconFile(Write(L"b.ico", MakeIconFile({FourBit(32, 32), FourBit(16, 16)}))));
    EXPECT_EQ(0, SelectedIconImage);
    ReleaseSlot(0);

    EXPECT_TRUE(OpenIconFile(Write(L"c.ico", MakeIconFile({FourBit(48, 48), FourBit(48, 48, 1)}))));
    EXPECT_EQ(0, SelectedIconImage);
    EXPECT_EQ(48, ImageSlots[0].Width);
    ReleaseSlot(0);

    // The directory's width is only a hint: here it calls the 16-pixel image 32 wide.
    Bytes lying = MakeIconFile({FourBit(16, 16), FourBit(32, 32)});
    lying[6] = 32;
    lying[22] = 16;
    EXPECT_TRUE(OpenIconFile(Write(L"d.ico", lying)));
    EXPECT_EQ(1, SelectedIconImage);
    EXPECT_EQ(2, IconDirectory.idCount);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(IconReader, ImagesAreDecodedFromTheirOwnHeader) {
    IconImage eight;
    eight.width = eight.height = 16;
    eight.bits = 8;
    eight.table = GreyTable(256);
    eight.pixel = [](int x, int y) { return (DWORD)(x * 16 + y); };
    eight.directoryBits = 0; // a directory that leaves the bit count out
    IconImage one = FourBit(32, 32);
    one.bits = 1;
    one.table = {{0, 0, 255, 0}, {255, 0, 0, 0}};
    one.pixel = [](int x, int y) { return (DWORD)((x ^ y) & 1); };
    one.directoryBits = 8; // and one that gets it wrong
    EXPECT_TRUE(OpenIconFile(Write(L"a.ico", MakeIconFile({eight, one}))));
    EXPECT_EQ(1, SelectedIconImage);
    EXPECT_EQ(RGB(255, 0, 0), NormalisedPixel(ImageSlots[0].Dib, 0, 0));
    EXPECT_EQ(RGB(0, 0, 255), NormalisedPixel(ImageSlots[0].Dib, 1, 0));
    EXPECT_EQ(8, IconEntries[0].wBitCount); // filled in from the image
    ASSERT_TRUE(SelectIconImage(0, 0));
    EXPECT_EQ(16, ImageSlots[0].Width);
    RGBQUAD q = GreyTable(256)[5 * 16 + 9];
    EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), NormalisedPixel(ImageSlots[0].Dib, 5, 9));

    // Every bit count, at widths whose rows end in a partly used byte or word (the mask's
    // too), and in a single row, as writers store the height and the mask: the pixels and the
    // mask as built. (A 1-bit image of the plain height without its mask reads the same as
    // one of half that height with its mask.)
    const SIZE sizes[] = {{1, 5}, {7, 5}, {9, 5}, {31, 5}, {33, 5}, {33, 1}};
    const struct {
        const char* name;
        bool plainHeight, mask, listedDoubled, padded;
    } forms[] = {{"doubled height", false, true, false, false},
                 {"plain height", true, true, false, false},
                 {"plain height, padded", true, true, false, true},
                 {"plain height, no mask", true, false, false, false},
                 {"doubled height, no mask", false, false, false, false},
                 {"the directory's height doubled too", false, true, true, false}};
    for (const auto& form : forms)
        for (int bits : {1, 4, 8, 16, 24, 32})
            for (SIZE size : sizes) {
                if (bits == 1 && form.plainHeight && !form.mask) continue;
                SCOPED_TRACE(std::string(form.name) + ", " + std::to_string(bits) + " bits, " +
                             std::to_string(size.cx) + "x" + std::to_string(size.cy));
                IconImage im;
                im.width = size.cx;
                im.height = size.cy;
                im.bits = bits;
                im.table = GreyTable(bits <= 8 ? 1 << bits : 0);
                // Channels of 0 or 255, which every bit count holds exactly.
                im.pixel = [bits](int x, int y) {
                    DWORD i = (DWORD)(x * 5 + y * 3 + 1);
                    return bits <= 8 ? i % (1u << bits)
                                     : 0xFF000000u | (i & 1 ? 0xFF0000 : 0) | (i & 2 ? 0xFF00 : 0) |
                                           (i & 4 ? 0xFF : 0);
                };
                im.transparent = [](int x, int y) { return (x + y) % 3 == 0; };
                Bytes file = MakeIconFile({im});
                if (form.plainHeight) PutLE32(file, 22 + 8, size.cy);
                if (form.listedDoubled) file[7] = (BYTE)(2 * size.cy);
                if (!form.mask) {
                    file.resize(file.size() - RowBytes(size.cx, 1) * size.cy);
                    PutLE32(file, 14, (DWORD)(file.size() - 22));
                    im.transparent = [](int, int) { return false; };
                }
                if (form.padded) {
                    file.resize(file.size() + 16, 0xA5);
                    PutLE32(file, 14, (DWORD)(file.size() - 22));
                }
                ASSERT_TRUE(OpenIconFile(Write(L"e.ico", file)));
                const ImageSlot& slot = ImageSlots[0];
                ASSERT_EQ(size.cx, slot.Width);
                ASSERT_EQ(size.cy, slot.Height);
                EXPECT_EQ(form.mask, IconHasTransparency);
                for (int y = 0; y < size.cy; y++)
                    for (int x = 0; x < size.cx; x++) {
                        DWORD v = im.pixel(x, y);
                        RGBQUAD e = bits <= 8 ? im.table[v] : RGBQUAD{};
                        COLORREF want = bits <= 8 ? RGB(e.rgbRed, e.rgbGreen, e.rgbBlue)
                                                  : RGB(v >> 16, (v >> 8) & 255, v & 255);
                        ASSERT_EQ(want, NormalisedPixel(slot.Dib, x, y)) << x << "," << y;
                        ASSERT_EQ(im.transparent(x, y),
                                  MaskBit(slot.AndMask, size.cx, size.cy, x, y))
                            << x << "," << y;
                    }
            }
}

TEST_F(IconReader, ImagesAreFoundAtTheirOffsetsWhereverTheyLie) {
    // Blocks in reverse order with gaps between them.
    Bytes a = MakeIconBlock(FourBit(16, 16, 1)), b = MakeIconBlock(FourBit(32, 32, 2));
    Bytes file(6 + 32 + 10, 0);
    PutLE16(file, 2, 1);
    PutLE16(file, 4, 2);
    size_t bAt = file.size();
    file.insert(file.end(), b.begin(), b.end());
    file.insert(file.end(), 7, 0xEE);
    size_t aAt = file.size();
    file.insert(file.end(), a.begin(), a.end());
    const Bytes* blocks[2] = {&a, &b};
    size_t offsets[2] = {aAt, bAt};
    for (int i = 0; i < 2; i++) {
        file[6 + 16 * i] = file[7 + 16 * i] = (BYTE)(i ? 32 : 16);
        PutLE16(file, 12 + 16 * i, 4);
        PutLE32(file, 14 + 16 * i, (DWORD)blocks[i]->size());
        PutLE32(file, 18 + 16 * i, (DWORD)offsets[i]);
    }
    EXPECT_TRUE(OpenIconFile(Write(L"a.ico", file)));
    EXPECT_EQ(1, SelectedIconImage);
    EXPECT_EQ(StandardColour(2), NormalisedPixel(ImageSlots[0].Dib, 0, 0));
    EXPECT_TRUE(std::equal(a.begin(), a.end(), IconEntries[0].ImageData));
}

TEST_F(IconReader, TransparencyIsJudgedFromTheWholeMask) {
    IconImage upper = FourBit(32, 32);
    upper.transparent = [](int x, int y) { return x == 5 && y == 2; }; // top rows only
    EXPECT_TRUE(OpenIconFile(Write(L"a.ico", MakeIconFile({upper}))));
    EXPECT_TRUE(IconHasTransparency);
    EXPECT_TRUE(MaskBit(ImageSlots[0].AndMask, 32, 32, 5, 2));
    EXPECT_FALSE(MaskBit(ImageSlots[0].AndMask, 32, 32, 6, 2));
    ReleaseSlot(0);

    // Set padding bits at the end of each mask row mark no pixel.
    Bytes padded = MakeIconFile({FourBit(16, 16)});
    for (int row = 0; row < 16; row++)
        padded[6 + 16 + 40 + 64 + 128 + 4 * row + 2] = 0xFF;
    EXPECT_TRUE(OpenIconFile(Write(L"b.ico", padded)));
    EXPECT_FALSE(IconHasTransparency);
}

TEST_F(IconReader, ThirtyTwoBitImagesShowTheirAlphaAsTransparency) {
    IconImage im;
    im.width = im.height = 16;
    im.bits = 32;
    im.pixel = [](int x, int) { return x < 4 ? 0x00000000u : 0xFF123456u; };
    EXPECT_TRUE(OpenIconFile(Write(L"a.ico", MakeIconFile({im}))));
    EXPECT_TRUE(IconHasTransparency);
    EXPECT_TRUE(MaskBit(ImageSlots[0].AndMask, 16, 16, 3, 9));
    EXPECT_FALSE(MaskBit(ImageSlots[0].AndMask, 16, 16, 4, 9));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), NormalisedPixel(ImageSlots[0].Dib, 4, 9));
}

// A PNG image is held as its bytes and chosen only where no BMP image is: the first 32 wide,
// else the first; it is decoded with a mask transparent where alpha is below 128.
TEST_F(IconReader, PngImagesAreChosenOnlyWhereNoBmpImageIs) {
    auto png = [](int side, DWORD rgba) {
        IconImage image;
        image.width = image.height = side;
        image.png = MakeSolidPng(side, side, rgba);
        return image;
    };
    EXPECT_TRUE(
        OpenIconFile(Write(L"a.ico", MakeIconFile({png(32, 0xFF0000FF), FourBit(16, 16)}))));
    EXPECT_EQ(1, SelectedIconImage);
    EXPECT_TRUE(IsPngImage(&IconEntries[0]));
    EXPECT_EQ(nullptr, IconEntries[0].EditImage);
    const struct {
        std::vector<IconImage> images;
        int chosen, side;
        COLORREF colour;
        bool clear;
    } cases[] = {{{png(48, 0x00FF00FF), png(32, 0xFF0000FF), png(16, 0x0000FFFF)},
                  1,
                  32,
                  RGB(255, 0, 0),
                  false},
                 {{png(48, 0x00FF0040), png(16, 0x0000FFFF)}, 0, 48, RGB(0, 255, 0), true}};
    for (auto& c : cases) {
        EXPECT_TRUE(OpenIconFile(Write(L"png.ico", MakeIconFile(c.images))));
        EXPECT_EQ(c.chosen, SelectedIconImage);
        ASSERT_EQ(c.side, ImageSlots[0].Width);
        EXPECT_EQ(32, DibBitCount(ImageSlots[0].Dib));
        EXPECT_EQ(c.colour, NormalisedPixel(ImageSlots[0].Dib, c.side - 1, 0));
        EXPECT_EQ(c.clear, MaskBit(ImageSlots[0].AndMask, c.side, c.side, c.side - 1, 0));
        EXPECT_EQ(c.clear, IconHasTransparency);
    }
    Bytes cut = png(32, 0xFF0000FF).png;
    cut.resize(cut.size() - 16); // into the image data's check value
    IconImage damaged;
    damaged.width = damaged.height = 32;
    damaged.png = cut;
    ExpectRefused(MakeIconFile({damaged}), L"Mosaro", L"Damaged PNG image :%s", PathOf(L"bad.ico"));
}

// A palette PNG's indices past its palette show opaque black, whatever a longer transparency
// chunk says of them; the decoder is never given data that would decode from memory nobody
// wrote.
TEST_F(IconReader, PngPaletteIndicesPastThePaletteAreOpaqueBlack) {
    Bytes rows;
    for (int y = 0; y < 16; y++) {
        rows.push_back(0);
        for (int x = 0; x < 16; x++)
            rows.push_back((BYTE)(x < 4 ? x : 200 + y)); // 0 and 1 named, 2 and up not
    }
    Bytes palette = {255, 0, 0, 0, 255, 0};
    struct {
        Bytes transparency;
        bool firstClear;
    } cases[] = {{{}, false}, {{0, 255, 0, 0, 0, 0, 0, 0}, true}};
    for (const auto& c : cases) {
        std::vector<std::pair<std::string, Bytes>> chunks = {{"PLTE", palette}};
        if (!c.transparency.empty()) chunks.push_back({"tRNS", c.transparency});
        IconImage image;
        image.png = MakePng(16, 16, 8, 3, rows, chunks);
        ASSERT_TRUE(OpenIconFile(Write(L"palette.ico", MakeIconFile({image}))));
        const BYTE* dib = ImageSlots[0].Dib;
        EXPECT_EQ(RGB(255, 0, 0), NormalisedPixel(dib, 0, 0));
        EXPECT_EQ(c.firstClear, MaskBit(ImageSlots[0].AndMask, 16, 16, 0, 0));
        EXPECT_EQ(RGB(0, 255, 0), NormalisedPixel(dib, 1, 5));
        for (int y = 0; y < 16; y++)
            for (int x = 2; x < 16; x++) {
                ASSERT_EQ(RGB(0, 0, 0), NormalisedPixel(dib, x, y)) << x << "," << y;
                ASSERT_FALSE(MaskBit(ImageSlots[0].AndMask, 16, 16, x, y)) << x << "," << y;
            }
    }
    EXPECT_TRUE(TakeBoxes().empty());
}

// Data that inflates past what the image's size needs is refused as damaged before the codec
// inflates it; an image whose decoding would pass the memory limit is refused as too large
// before anything is decoded.
TEST_F(IconReader, PngDataBeyondItsSizeAndImagesTooLargeAreRefused) {
    Bytes rows(16 * (1 + 16 * 4), 0);
    IconImage bomb;
    bomb.png = MakePng(16, 16, 8, 6, rows, {}, 8 << 20);
    ASSERT_LT(bomb.png.size(), 20000u);
    ExpectRefused(MakeIconFile({bomb}), L"Mosaro", L"Damaged PNG image :%s", PathOf(L"bad.ico"));
    // Only just all the rows need: decoded.
    IconImage exact;
    exact.png = MakePng(16, 16, 8, 6, rows);
    ASSERT_TRUE(OpenIconFile(Write(L"exact.ico", MakeIconFile({exact}))));
    EXPECT_EQ(16, ImageSlots[0].Width);
    // 16-bit colour and alpha, 11,400 pixels a side; 1-bit grey of that size; 8-bit colour and
    // alpha 11,000 a side: each decoded image alone would fit the limit.
    const struct {
        DWORD side;
        int depth, type;
    } large[] = {{11400, 16, 6}, {11400, 1, 0}, {11000, 8, 6}};
    for (const auto& l : large) {
        IconImage huge;
        huge.width = huge.height = 0;
        huge.png = MakePng(l.side, l.side, l.depth, l.type, Bytes(1, 0));
        ExpectRefused(MakeIconFile({huge}), L"Mosaro", L"PNG image too large to edit :%s",
                      PathOf(L"bad.ico"));
    }
}

// PNG images are read as browsers read them: to where their own chunks end within the file
// when the directory gives a smaller size, and without the end chunk when the image data is
// whole. A wrong check value in the bytes present is still refused, and nothing is read past
// the file.
TEST_F(IconReader, PngImagesAreReadToTheEndOfTheirOwnChunks) {
    auto rgba = [](int x, int y) -> DWORD { return x == y ? 0xFF000080u : 0x00FF0010u; };
    const Bytes whole = MakePng(16, 16, rgba);
    const size_t end = whole.size() - 12; // where the end chunk starts
    auto icon = [](const Bytes& png, DWORD listed) {
        IconImage image;
        image.png = png;
        Bytes file = MakeIconFile({image});
        PutLE32(file, 6 + 8, listed);
        return file;
    };
    auto withCrcWrong = [](Bytes png, size_t at) {
        png[at] ^= 1;
        return png;
    };
    const Bytes noEnd(whole.begin(), whole.begin() + end);
    const struct {
        const char* what;
        Bytes file;
        size_t held; // the image's bytes as held, 0: refused
    } cases[] = {
        {"whole", icon(whole, (DWORD)whole.size()), whole.size()},
        {"no end chunk", icon(noEnd, (DWORD)end), end},
        {"end chunk cut short", icon(Bytes(whole.begin(), whole.end() - 5), (DWORD)end + 7),
         end + 7},
        {"directory size short", icon(whole, 40), whole.size()},
        {"directory size short, no end chunk", icon(noEnd, 40), end},
        {"short, then other bytes",
         [&] {
             Bytes file = icon(whole, 40);
             file.insert(file.end(), 50, 'x');
             return file;
         }(),
         whole.size()},
        {"image data cut short", icon(Bytes(whole.begin(), whole.begin() + end - 6), 40), 0},
        {"wrong check value, no end chunk", icon(withCrcWrong(noEnd, end - 1), (DWORD)end), 0},
        {"wrong check value past the listed size",
         icon(withCrcWrong(whole, end - 1), (DWORD)end - 20), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.held) {
            ExpectRefused(c.file, L"Mosaro", L"Damaged PNG image :%s", PathOf(L"bad.ico"));
            continue;
        }
        ASSERT_TRUE(OpenIconFile(Write(L"png.ico", c.file)));
        ASSERT_EQ(16, ImageSlots[0].Width);
        EXPECT_EQ(c.held, IconEntries[0].dwBytesInRes);
        EXPECT_EQ(RGB(255, 0, 0), NormalisedPixel(ImageSlots[0].Dib, 3, 3));
        EXPECT_FALSE(MaskBit(ImageSlots[0].AndMask, 16, 16, 3, 3));
        EXPECT_EQ(RGB(0, 255, 0), NormalisedPixel(ImageSlots[0].Dib, 4, 3));
        EXPECT_TRUE(MaskBit(ImageSlots[0].AndMask, 16, 16, 4, 3));
        ReleaseSlot(0);
    }
}

TEST_F(IconReader, BrokenIconsAreRefusedAndTheHeldIconStays) {
    EXPECT_TRUE(OpenIconFile(Write(L"good.ico", MakeIconFile({FourBit(16, 16), FourBit(32, 32)}))));
    ASSERT_NE(nullptr, IconEntries);
    Bytes good = MakeIconFile({FourBit(16, 16), FourBit(32, 32)});
    std::wstring bad = PathOf(L"bad.ico");
    auto with = [&](size_t at, DWORD value) {
        Bytes b = good;
        PutLE32(b, at, value);
        return b;
    };
    const wchar_t* header = L"Wrong Header size!:%s";
    ExpectRefused(Bytes(good.begin(), good.begin() + 5), L"ReadICON",
                  L"Could not read a ICONDIR :%s", bad);
    ExpectRefused(Bytes(good.begin(), good.begin() + 30), L"ReadICON",
                  L"Could not read a ICONDIRENTRY :%s", bad);
    Bytes many = good;
    PutLE16(many, 4, 60000); // a count the file cannot hold
    ExpectRefused(many, L"ReadICON", L"Could not read a ICONDIRENTRY :%s", bad);
    // Headers other programs refuse: idType 0, 3 and 0xFFFF, idReserved 1.
    for (std::pair<size_t, int> field :
         {std::pair<size_t, int>{2, 0}, {2, 3}, {2, 0xFFFF}, {0, 1}}) {
        Bytes header = good;
        PutLE16(header, field.first, field.second);
        ExpectRefused(header, L"ReadICON", L"Not an icon or cursor file :%s", bad);
    }
    ExpectRefused(with(14 + 16, 0xFFFFFFF0), L"Mosaro", header, bad); // bytes past the end
    ExpectRefused(with(18 + 16, 0xFFFFFFF0), L"Mosaro", header, bad); // offset past the end
    ExpectRefused(with(18, 3), L"Mosaro", header, bad);               // inside the directory
    ExpectRefused(with(14, 100), L"Mosaro", header, bad);             // block cut short
    ExpectRefused(with(38, 12), L"Mosaro", header, bad);              // biSize of a core header
    ExpectRefused(with(38 + 4, 64), L"Mosaro", header, bad);          // wider than its block
    ExpectRefused(with(38 + 8, (DWORD)-32), L"Mosaro", header, bad);  // negative height
    Bytes none = good;
    PutLE16(none, 4, 0);
    AnswerOk(1);
    EXPECT_FALSE(OpenIconFile(Write(L"bad.ico", none)));
    EXPECT_EQ(Boxes({{L"BITMAP", L"Could not open ICON file"}}), TakeBoxes());
    for (const wchar_t* name : {L"missing.ico", L"COM1.ico", L"aux.ico", L"CON.ico"}) {
        AnswerOk(1);
        EXPECT_FALSE(OpenIconFile(PathOf(name)));
        EXPECT_EQ(Boxes({{L"Mosaro", L"Could not open a file :" + PathOf(name)}}), TakeBoxes());
    }
    EXPECT_EQ(2, IconDirectory.idCount);
}

TEST_F(IconReader, ReleasingTheHeldIconLeavesNoSlotPointingIntoIt) {
    EXPECT_TRUE(OpenIconFile(Write(L"a.ico", MakeIconFile({FourBit(16, 16)}))));
    EXPECT_NE(nullptr, ImageSlots[0].Dib);
    ReleaseHeldIcon();
    EXPECT_EQ(nullptr, IconEntries);
    EXPECT_EQ(nullptr, ImageSlots[0].Dib);
    EXPECT_EQ(nullptr, ImageSlots[0].AndMask);
    EXPECT_FALSE(IconHasTransparency);
    ReleaseHeldIcon();
    // The slot still names the file, so the next open reads it again without a dialog.
    EXPECT_TRUE(OpenIconIntoSlot(nullptr, 0));
    EXPECT_EQ(16, ImageSlots[0].Width);
}

TEST_F(IconReader, OpeningAnIconFreesABitmapReadBefore) {
    BmpForm form;
    EXPECT_TRUE(OpenBitmapFile(
        Write(L"a.bmp", MakeBmpFile(form, 4, 4, StandardTable16(), [](int, int) { return 1u; }))));
    EXPECT_NE(nullptr, SlotBitmapMemory[0]);
    EXPECT_TRUE(OpenIconFile(Write(L"b.ico", MakeIconFile({FourBit(16, 16)}))));
    EXPECT_EQ(nullptr, SlotBitmapMemory[0]);
    EXPECT_EQ(IconEntries[0].EditImage, ImageSlots[0].Dib);
}

} // namespace
