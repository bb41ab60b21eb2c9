// What the canvas makes of what the readers hand it: the slot's image becomes the canvas's
// image with the file's pixels, format and (at 4 bits) palette, and an icon's mask becomes
// the canvas's mask, which later icon saves write.
#include "canvas/canvas.h"
#include "files/files.h"
#include "files_test_support.h"
#include "base/editor_state.h"
#include "test_support.h"

namespace {

class CanvasLoad : public FileTest {
  protected:
    void SetUp() override {
        FileTest::SetUp();
        Canvas = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(Canvas);
        FileTest::TearDown();
    }
    HWND Canvas = nullptr;
};

TEST_F(CanvasLoad, BitmapsOfEveryFormArriveWithTheirPixels) {
    struct Case {
        const char* name;
        BmpForm form;
        int canvasBits;
    };
    BmpForm topDown, rle4, fields;
    topDown.bits = 24;
    topDown.topDown = true;
    rle4.bits = 4;
    rle4.compression = BI_RLE4;
    fields.bits = 16;
    fields.compression = BI_BITFIELDS;
    fields.masks[0] = 0xF800;
    fields.masks[1] = 0x07E0;
    fields.masks[2] = 0x001F;
    const Case cases[] = {{"24 top-down", topDown, 24}, {"rle4", rle4, 4}, {"565", fields, 24}};
    std::vector<RGBQUAD> table = GreyTable(16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto pixel = [&](int x, int y) {
            DWORD i = (DWORD)(x + 2 * y) % 16;
            return c.form.bits <= 8
                       ? i
                       : (i & 1 ? 0xFF0000u : 0) | (i & 2 ? 0xFF00u : 0) | (i & 4 ? 0xFFu : 0);
        };
        ASSERT_TRUE(
            OpenBitmapFile(Write(L"a.bmp", MakeBmpFile(c.form, 11, 6, table, pixel)), Canvas));
        ASSERT_NE(nullptr, ImageSlots[0].Dib);
        CanvasWidth = ImageSlots[0].Width;
        CanvasHeight = ImageSlots[0].Height;
        ASSERT_TRUE(LoadSlotImage(Canvas, 19));
        EXPECT_EQ(nullptr, ImageSlots[0].Dib); // the file's block is let go
        EXPECT_EQ(nullptr, SlotBitmapMemory[0]);
        ASSERT_EQ(c.canvasBits, ImageInfo->bmiHeader.biBitCount);
        EXPECT_EQ(11, CanvasWidth);
        EXPECT_EQ(6, CanvasHeight);
        for (int y = 0; y < 6; y++)
            for (int x = 0; x < 11; x++) {
                DWORD v = pixel(x, y);
                COLORREF want = c.form.bits <= 8
                                    ? RGB(table[v].rgbRed, table[v].rgbGreen, table[v].rgbBlue)
                                    : RGB(v >> 16, (v >> 8) & 255, v & 255);
                ASSERT_EQ(want, DibPixelColor(ImageInfo, ImageBits, x, y)) << x << "," << y;
            }
        if (c.canvasBits == 4) {
            EXPECT_EQ(0, memcmp(PaletteColors, table.data(), 64)); // the file's colours
        }
        ReleaseSlot(0);
    }
}

TEST_F(CanvasLoad, LargeBitmapsBecomeTheCanvasImageWithoutACopy) {
    // Large enough to be read straight into the section the canvas takes over; odd widths
    // give every row padding, and the heights more rows than one piece of the read.
    struct Case {
        const char* name;
        BmpForm form;
        int width, height, canvasBits;
    };
    BmpForm plain24, topDown24, topDown8, twoBits, fields565, fields32;
    plain24.bits = topDown24.bits = 24;
    topDown24.topDown = topDown8.topDown = twoBits.topDown = true;
    topDown8.bits = 8;
    topDown8.tableEntries = 200;
    twoBits.bits = 2;
    fields565.bits = 16;
    fields565.compression = fields32.compression = BI_BITFIELDS;
    fields565.masks[0] = 0xF800;
    fields565.masks[1] = 0x07E0;
    fields565.masks[2] = 0x001F;
    fields32.bits = 32;
    fields32.topDown = true;
    fields32.masks[0] = 0x000000FF; // red and blue where the other usually is
    fields32.masks[1] = 0x0000FF00;
    fields32.masks[2] = 0x00FF0000;
    const Case cases[] = {{"24 bottom-up", plain24, 301, 97, 24},
                          {"24 top-down", topDown24, 301, 97, 24},
                          {"8 top-down, short table", topDown8, 331, 211, 8},
                          {"2 top-down", twoBits, 1001, 263, 4},
                          {"565 bottom-up", fields565, 301, 150, 24},
                          {"32 top-down, own masks", fields32, 171, 101, 32}};
    std::vector<RGBQUAD> table = GreyTable(256);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int colours = c.form.bits == 2 ? 4 : c.form.bits == 8 ? 200 : 0;
        auto pixel = [&](int x, int y) -> DWORD {
            DWORD i = (DWORD)(x * 7 + y * 3);
            if (colours) return i % colours;
            return (i & 1 ? 0xFF0000u : 0) | (i & 2 ? 0xFF00u : 0) | (i & 4 ? 0xFFu : 0);
        };
        ASSERT_TRUE(OpenBitmapFile(
            Write(L"large.bmp", MakeBmpFile(c.form, c.width, c.height, table, pixel)), Canvas));
        ASSERT_NE(nullptr, ImageSlots[0].Dib);
        const BYTE* pixels = ImageSlots[0].Bits;
        CanvasWidth = ImageSlots[0].Width;
        CanvasHeight = ImageSlots[0].Height;
        ASSERT_TRUE(LoadSlotImage(Canvas, 19));
        EXPECT_EQ(pixels, ImageBits); // the pixels read are the canvas's own
        EXPECT_EQ(nullptr, ImageSlots[0].Dib);
        EXPECT_EQ(nullptr, SlotBitmapMemory[0]);
        EXPECT_EQ(nullptr, SlotBitmapSection[0]);
        ASSERT_EQ(c.canvasBits, ImageInfo->bmiHeader.biBitCount);
        ASSERT_EQ(c.width, CanvasWidth);
        ASSERT_EQ(c.height, CanvasHeight);
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++) {
                DWORD v = pixel(x, y);
                COLORREF want = colours ? RGB(table[v].rgbRed, table[v].rgbGreen, table[v].rgbBlue)
                                        : RGB(v >> 16, (v >> 8) & 255, v & 255);
                ASSERT_EQ(want, DibPixelColor(ImageInfo, ImageBits, x, y)) << x << "," << y;
            }
        ReleaseSlot(0);
    }
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(CanvasLoad, AnIconsMaskBecomesTheCanvasMaskAndIsSavedAfterTheModeIsLeft) {
    IconImage im;
    im.width = im.height = 32;
    im.table = StandardTable16();
    im.pixel = [](int x, int y) { return (DWORD)(x ^ y) % 16; };
    im.transparent = [](int x, int y) { return y < 3 && x > 20; }; // top rows only
    ASSERT_TRUE(OpenIconFile(Write(L"a.ico", MakeIconFile({im})), Canvas));
    ASSERT_TRUE(IconHasTransparency);
    CanvasWidth = CanvasHeight = 32;
    ASSERT_TRUE(LoadSlotImage(Canvas, 21));
    ASSERT_TRUE(CreateMask(Canvas, IconHasTransparency));
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            ASSERT_EQ(im.transparent(x, y) ? 1 : 0, DibPixelIndex(MaskInfo, MaskBits, x, y));
    // Two more transparent pixels, then the mode is left before saving.
    MaskBits[0] |= 0xC0; // bottom row, x 0 and 1
    TransparencyMode = 0;
    DocumentKind = DOCUMENT_ICON_FILE;
    std::wstring path = PathOf(L"b.ico");
    ASSERT_TRUE(WriteIconFile(path.c_str(), CanvasIcon()));
    ReleaseHeldIcon();
    ReleaseSlot(0);
    ASSERT_TRUE(OpenIconFile(path, Canvas));
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            ASSERT_EQ(im.transparent(x, y) || (y == 31 && x < 2),
                      MaskBit(ImageSlots[0].AndMask, 32, 32, x, y))
                << x << "," << y;
    // The held icon let go, the slot no longer points into it, and a mask made now is opaque.
    ReleaseHeldIcon();
    EXPECT_FALSE(IconHasTransparency);
    ASSERT_TRUE(CreateMask(Canvas, 1));
    EXPECT_EQ(0, DibPixelIndex(MaskInfo, MaskBits, 25, 1));
}

} // namespace
