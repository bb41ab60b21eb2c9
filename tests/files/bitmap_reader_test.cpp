// The bitmap reader: every form the format allows arrives in the canvas's form with its true
// pixels; broken files are refused with their message and leave the slot empty.
#include "files/files.h"
#include "files_test_support.h"
#include "test_support.h"

namespace {

class BitmapReader : public FileTest {
  protected:
    void ExpectRefused(const Bytes& file, const wchar_t* message) {
        AnswerOk(message ? 2 : 1);
        EXPECT_TRUE(OpenBitmapFile(Write(L"bad.bmp", file)));
        EXPECT_EQ(nullptr, ImageSlots[0].Dib);
        EXPECT_EQ(nullptr, SlotBitmapMemory[0]);
        Boxes expected;
        if (message) {
            std::wstring text = message;
            text.replace(text.find(L"%s"), 2, PathOf(L"bad.bmp"));
            expected.push_back({L"VornDib", text});
        }
        expected.push_back({L"BITMAP", L"Could not open DIB file"});
        EXPECT_EQ(expected, TakeBoxes());
        ReleaseSlot(0);
    }
};

// Eight colours that every format holds exactly, 5-bit channels included.
DWORD DirectColour(int x, int y) {
    int i = (x * 3 + y * 5) % 8;
    return (i & 1 ? 0xFF0000 : 0) | (i & 2 ? 0x00FF00 : 0) | (i & 4 ? 0x0000FF : 0);
}
COLORREF AsColorRef(DWORD rgb) {
    return RGB(rgb >> 16, (rgb >> 8) & 255, rgb & 255);
}

const int W = 13, H = 7; // odd sizes, so every row has padding

// Sizes where a row's last byte or word is partly used, or a row is a single pixel, or the
// picture a single row.
const SIZE Sizes[] = {{W, H}, {1, H}, {7, H}, {9, H}, {31, H}, {33, H}, {33, 1}, {1, 1}};

void ExpectPicture(const ImageSlot& slot, int bits, const std::function<COLORREF(int, int)>& want,
                   SIZE size = {W, H}) {
    ASSERT_NE(nullptr, slot.Dib);
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)slot.Dib;
    EXPECT_EQ(40u, h->biSize);
    EXPECT_EQ((DWORD)BI_RGB, h->biCompression);
    EXPECT_EQ(size.cx, h->biWidth);
    EXPECT_EQ(size.cy, h->biHeight);
    EXPECT_EQ(bits, h->biBitCount);
    EXPECT_EQ(bits <= 8 ? 1u << bits : 0u, h->biClrUsed);
    EXPECT_EQ(size.cx, slot.Width);
    EXPECT_EQ(size.cy, slot.Height);
    EXPECT_EQ(slot.Dib + 40 + (bits <= 8 ? 4 << bits : 0), slot.Bits);
    // The block ends with the last row.
    EXPECT_EQ(40 + (bits <= 8 ? 4u << bits : 0) + RowBytes(size.cx, bits) * size.cy,
              LocalSize(SlotBitmapMemory[0]));
    for (int y = 0; y < size.cy; y++)
        for (int x = 0; x < size.cx; x++)
            ASSERT_EQ(want(x, y), NormalisedPixel(slot.Dib, x, y)) << x << "," << y;
}

TEST(DibFields, BothHeaderFormsAreReadAtAnyAddress) {
    BmpForm core;
    core.headerSize = 12;
    core.bits = 8;
    Bytes a = MakeDib(core, 300, 5, {}, [](int, int) { return 0u; });
    a.insert(a.begin(), 1); // an odd address
    EXPECT_EQ(12u, ReadLE32(&a[1]));
    EXPECT_EQ(300, DibWidth(&a[1]));
    EXPECT_EQ(5, DibHeight(&a[1]));
    EXPECT_EQ(8, DibBitCount(&a[1]));
    EXPECT_EQ(&a[1] + 12 + 3 * 256, DibBits(&a[1]));
    BmpForm info;
    info.bits = 4;
    info.tableEntries = 3; // biClrUsed 3
    info.topDown = true;
    Bytes b = MakeDib(info, 40000, 2, {}, [](int, int) { return 0u; });
    EXPECT_EQ(&b[0] + 40 + 12, DibBits(&b[0]));
    EXPECT_EQ(-2, DibHeight(&b[0])); // top-down
    EXPECT_EQ((short)40000, DibWidth(&b[0]));
    BmpForm deep;
    deep.bits = 32;
    Bytes c = MakeDib(deep, 2, 2, {}, [](int, int) { return 0u; });
    EXPECT_EQ(&c[0] + 40, DibBits(&c[0]));
}

TEST_F(BitmapReader, ASixteenBySixteenFourBitFileReadsInPlace) {
    BmpForm form;
    Bytes file =
        MakeBmpFile(form, 16, 16, StandardTable16(), [](int x, int y) { return (x + y) % 16u; });
    ASSERT_EQ(246u, file.size());
    EXPECT_TRUE(OpenBitmapFile(Write(L"a.bmp", file)));
    const ImageSlot& slot = ImageSlots[0];
    ASSERT_NE(nullptr, slot.Dib);
    EXPECT_EQ((BYTE*)SlotBitmapMemory[0], slot.Dib);
    EXPECT_EQ(232u, LocalSize(SlotBitmapMemory[0]));
    EXPECT_EQ(slot.Dib + 104, slot.Bits);
    EXPECT_EQ(16, slot.Width);
    EXPECT_EQ(16, slot.Height);
    EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), slot.Dib));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(BitmapReader, IndexedFormsGiveTheirTruePixels) {
    std::vector<RGBQUAD> table = GreyTable(256);
    struct Case {
        const char* name;
        BmpForm form;
        int outBits;
        int colours;
    };
    std::vector<Case> cases;
    for (int bits : {1, 4, 8}) {
        BmpForm f;
        f.bits = bits;
        cases.push_back({"plain", f, bits, 1 << bits});
        f.topDown = true;
        cases.push_back({"top-down", f, bits, 1 << bits});
        f.topDown = false;
        f.headerSize = 12;
        cases.push_back({"core header", f, bits, 1 << bits});
        f.headerSize = 124;
        f.gap = 37;
        cases.push_back({"v5 header with a gap", f, bits, 1 << bits});
        f.headerSize = 40;
        f.gap = 0;
        f.tableEntries = bits == 1 ? 2 : 5;
        cases.push_back({"short table", f, bits, bits == 1 ? 2 : 5});
        f.tableEntries = -1;
        f.clrUsedZero = true;
        cases.push_back({"clrUsed 0", f, bits, 1 << bits});
    }
    BmpForm two;
    two.bits = 2;
    cases.push_back({"two bits", two, 4, 4});
    BmpForm rle8;
    rle8.bits = 8;
    rle8.compression = BI_RLE8;
    cases.push_back({"rle8", rle8, 8, 256});
    BmpForm rle4;
    rle4.bits = 4;
    rle4.compression = BI_RLE4;
    cases.push_back({"rle4", rle4, 4, 16});
    for (const Case& c : cases)
        for (SIZE size : Sizes) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.form.bits) + " " +
                         std::to_string(size.cx) + "x" + std::to_string(size.cy));
            auto index = [&](int x, int y) { return (DWORD)((x * 5 + y * 3 + 1) % c.colours); };
            EXPECT_TRUE(OpenBitmapFile(
                Write(L"i.bmp", MakeBmpFile(c.form, size.cx, size.cy, table, index))));
            ExpectPicture(
                ImageSlots[0], c.outBits,
                [&](int x, int y) {
                    RGBQUAD q = table[index(x, y)];
                    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
                },
                size);
            ReleaseSlot(0);
        }
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(BitmapReader, DirectColourFormsGiveTheirTruePixels) {
    struct Case {
        const char* name;
        int bits, headerSize, outBits;
        DWORD compression;
        DWORD masks[4];
        bool topDown;
    };
    const Case cases[] = {
        {"24", 24, 40, 24, BI_RGB, {}, false},
        {"24 top-down", 24, 40, 24, BI_RGB, {}, true},
        {"24 core", 24, 12, 24, BI_RGB, {}, false},
        {"32", 32, 40, 32, BI_RGB, {}, false},
        {"16 555", 16, 40, 16, BI_RGB, {}, false},
        {"16 565 bitfields", 16, 40, 24, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, false},
        {"16 565 in a v4 header", 16, 108, 24, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, true},
        {"32 swapped bitfields", 32, 40, 32, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}, false},
        {"32 standard bitfields, v5",
         32,
         124,
         32,
         BI_BITFIELDS,
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         false},
        {"32 in a 52-byte header", 32, 52, 32, BI_BITFIELDS, {0xFF000000, 0xFF0000, 0xFF00}, false},
        {"32 in a 56-byte header",
         32,
         56,
         32,
         BI_BITFIELDS,
         {0xFF00, 0xFF0000, 0xFF000000, 0xFF},
         false},
    };
    for (const Case& c : cases)
        for (SIZE size : Sizes) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(size.cx) + "x" +
                         std::to_string(size.cy));
            BmpForm f;
            f.bits = c.bits;
            f.headerSize = c.headerSize;
            f.compression = c.compression;
            f.topDown = c.topDown;
            for (int i = 0; i < 4; i++)
                f.masks[i] = c.masks[i];
            EXPECT_TRUE(OpenBitmapFile(
                Write(L"d.bmp", MakeBmpFile(f, size.cx, size.cy, {}, DirectColour))));
            ExpectPicture(
                ImageSlots[0], c.outBits,
                [](int x, int y) { return AsColorRef(DirectColour(x, y)); }, size);
            ReleaseSlot(0);
        }
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(BitmapReader, RunLengthEscapesJumpsAndLiteralRunsDecode) {
    // RLE8, 6 x 3: a literal run of 3 with its padding byte, a jump of (1, 1), a run of 2,
    // an end of line, a run of 6, and no end-of-picture mark at all.
    BmpForm f;
    f.bits = 8;
    f.compression = BI_RLE8;
    Bytes file = MakeBmpFile(f, 6, 3, GreyTable(256), [](int, int) { return 0u; });
    size_t pixels = GetLE32(file, 10);
    file.resize(pixels);
    Bytes rle = {0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 2, 9, 0, 0, 6, 7};
    file.insert(file.end(), rle.begin(), rle.end());
    PutLE32(file, 2, (DWORD)file.size());
    EXPECT_TRUE(OpenBitmapFile(Write(L"r.bmp", file)));
    const BYTE* dib = ImageSlots[0].Dib;
    ASSERT_NE(nullptr, dib);
    const BYTE* bits = ImageSlots[0].Bits;
    const BYTE want[3][8] = {
        {1, 2, 3, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 9, 9, 0, 0}, {7, 7, 7, 7, 7, 7, 0, 0}};
    for (int row = 0; row < 3; row++)
        for (int x = 0; x < 6; x++)
            EXPECT_EQ(want[row][x], bits[row * 8 + x]) << row << "," << x;
}

TEST_F(BitmapReader, PixelsAreTakenFromTheOffsetTheFileGives) {
    BmpForm f;
    f.bits = 24;
    Bytes file = MakeBmpFile(f, W, H, {}, DirectColour);
    // A gap of 20 bytes of noise before the pixels, announced by bfOffBits.
    file.insert(file.begin() + 54, 20, 0xAB);
    PutLE32(file, 2, (DWORD)file.size());
    PutLE32(file, 10, 74);
    EXPECT_TRUE(OpenBitmapFile(Write(L"g.bmp", file)));
    ExpectPicture(ImageSlots[0], 24, [](int x, int y) { return AsColorRef(DirectColour(x, y)); });
    ReleaseSlot(0);
    // An offset inside the header or past the end is not believed.
    for (DWORD offset : {20u, 0xFFFFFF00u}) {
        Bytes plain = MakeBmpFile(f, W, H, {}, DirectColour);
        PutLE32(plain, 10, offset);
        EXPECT_TRUE(OpenBitmapFile(Write(L"o.bmp", plain)));
        ExpectPicture(ImageSlots[0], 24,
                      [](int x, int y) { return AsColorRef(DirectColour(x, y)); });
        ReleaseSlot(0);
    }
    // Nor one inside the colour table: at its first entry, its middle or its last byte.
    std::vector<RGBQUAD> table = GreyTable(256);
    auto index = [](int x, int y) { return (DWORD)(x * 7 + y * 3) % 256; };
    for (int bits : {8, 4, 1})
        for (DWORD into : {0u, (4u << bits) / 2, (4u << bits) - 1}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(into));
            BmpForm indexed;
            indexed.bits = bits;
            auto pixel = [&](int x, int y) { return index(x, y) % (1u << bits); };
            Bytes file = MakeBmpFile(indexed, W, H, table, pixel);
            PutLE32(file, 10, 54 + into);
            EXPECT_TRUE(OpenBitmapFile(Write(L"t.bmp", file)));
            ExpectPicture(ImageSlots[0], bits, [&](int x, int y) {
                RGBQUAD q = table[pixel(x, y)];
                return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
            });
            ReleaseSlot(0);
        }
}

TEST_F(BitmapReader, BrokenFilesAreRefusedWithTheirMessage) {
    BmpForm f;
    Bytes good = MakeBmpFile(f, 16, 16, StandardTable16(), [](int x, int) { return x % 16u; });
    auto with = [&](size_t at, DWORD value) {
        Bytes b = good;
        PutLE32(b, at, value);
        return b;
    };
    const wchar_t* bits = L"Could not read bitmap bits :%s";
    ExpectRefused(with(2, 0xFFFFFFF0), bits);                 // bfSize far past the end
    ExpectRefused(with(2, 247), bits);                        // one byte past the end
    ExpectRefused(with(2, 5), bits);                          // smaller than the file header
    ExpectRefused(Bytes(good.begin(), good.end() - 1), bits); // the last row cut short
    ExpectRefused(with(2, 100), bits);                        // bfSize leaves the pixels out
    ExpectRefused(with(46, 0x40000000), bits);                // colour table beyond the block
    ExpectRefused(with(14, 11), L"Wrong header size :%s");
    ExpectRefused(with(14, 13), L"Wrong header size :%s");
    ExpectRefused(with(14, 4000), L"Wrong header size :%s");
    ExpectRefused(with(18, 0), L"Wrong image size :%s");
    ExpectRefused(with(18, 40000), L"Wrong image size :%s");
    ExpectRefused(with(18, (DWORD)-16), L"Wrong image size :%s");
    ExpectRefused(with(22, 0), L"Wrong image size :%s");
    ExpectRefused(with(22, (DWORD)-40000), L"Wrong image size :%s");
    Bytes deep = good;
    PutLE16(deep, 28, 64);
    ExpectRefused(deep, L"Unsupported bitmap format :%s");
    ExpectRefused(with(30, 4 /* JPEG */), L"Unsupported bitmap format :%s");
    ExpectRefused(with(30, BI_RLE8), L"Unsupported bitmap format :%s"); // RLE8 at 4 bits
    // A run-length image far too large for memory is refused before any allocation.
    BmpForm rle;
    rle.bits = 8;
    rle.compression = BI_RLE8;
    Bytes huge = MakeBmpFile(rle, 4, 4, GreyTable(256), [](int, int) { return 1u; });
    PutLE32(huge, 18, 30000);
    PutLE32(huge, 22, 30000);
    ExpectRefused(huge, L"Could not allocate any memory :%s");
    Bytes notBitmap = good;
    notBitmap[0] = 'X';
    ExpectRefused(notBitmap, nullptr);
    ExpectRefused(Bytes(good.begin(), good.begin() + 9), L"Could not read a BITMAPFILEHEADER :%s");
}

TEST_F(BitmapReader, AMissingFileIsReportedAndTheOldImageForgotten) {
    AnswerOk(2);
    EXPECT_TRUE(OpenBitmapFile(PathOf(L"none.bmp")));
    EXPECT_EQ(nullptr, ImageSlots[0].Dib);
    Boxes expected = {{L"VornDib", L"Could not open a file :" + PathOf(L"none.bmp")},
                      {L"BITMAP", L"Could not open DIB file"}};
    EXPECT_EQ(expected, TakeBoxes());
}

TEST_F(BitmapReader, ANameOutsideTheCodePageOpensThatFileAndNoOther) {
    BmpForm f;
    f.bits = 24;
    Write(L"a.bmp", MakeBmpFile(f, W, H, {}, [](int, int) { return 0xFF0000u; }));
    std::wstring wide = Write(L"\u0101\u6F22.bmp", MakeBmpFile(f, W, H, {}, DirectColour));
    EXPECT_EQ(nullptr, ToAnsiPath(wide.c_str()));
    EXPECT_TRUE(OpenBitmapFile(wide));
    ExpectPicture(ImageSlots[0], 24, [](int x, int y) { return AsColorRef(DirectColour(x, y)); });
    EXPECT_STREQ("C:\\x.bmp", ToAnsiPath(L"C:\\x.bmp"));
}

} // namespace
