// The fill tool's areas in the image and the mask, its undo step, and colours picked from
// the picture of each bit count.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

#define DARK_RED RGB(128, 0, 0) // index 4 of the standard table, palette cell 4

// Sets the image (or the mask) from rows of hex indices, the top-left pixel at (0, 0).
static void Draw(const char* rows, bool mask = false) {
    BITMAPINFO* info = mask ? MaskInfo : ImageInfo;
    BYTE* bits = mask ? MaskBits : ImageBits;
    GdiFlush();
    for (int y = 0; *rows; y++, rows++)
        for (int x = 0; *rows != '\n'; x++, rows++)
            SetIndexAt(RowOf(info, bits, y), InfoBitCount(info), x,
                       *rows <= '9' ? *rows - '0' : *rows - 'A' + 10);
}

// A 32-bit pixel's bytes as stored: blue, green, red, alpha.
static BYTE* Pixel32(int x, int y) {
    return RowOf(ImageInfo, ImageBits, y) + 4 * x;
}

static void SetPixel32(int x, int y, COLORREF color, BYTE alpha) {
    BYTE* p = Pixel32(x, y);
    p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color), p[3] = alpha;
}

// An 8 x 8 picture, optionally a mask, the mode and the opaque/transparent choice, the tap's
// cell, and the image and mask after the fill with the red fill colour (index 9).
static const struct FillCase {
    const char* what;
    const char *image, *mask;
    int maskMode, opacity, x, y;
    const char *imageAfter, *maskAfter;
} FillCases[] = {
    {"an enclosed area",
     "FFFFFFFF\nF0000FFF\nF0FF0FFF\nF0FF0FFF\nF0000FFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\n", nullptr, 0,
     0, 2, 2, "FFFFFFFF\nF0000FFF\nF0990FFF\nF0990FFF\nF0000FFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\n",
     nullptr},
    {"the whole picture", "", nullptr, 0, 0, 5, 5,
     "99999999\n99999999\n99999999\n99999999\n99999999\n99999999\n99999999\n99999999\n", nullptr},
    {"an area touching the edges, cut by a line",
     "FFF0FFFF\nFFF0FFFF\nFFF0FFFF\nFFF0FFFF\nFFF0FFFF\nFFF0FFFF\nFFF0FFFF\nFFF0FFFF\n", nullptr, 0,
     0, 0, 7, "9990FFFF\n9990FFFF\n9990FFFF\n9990FFFF\n9990FFFF\n9990FFFF\n9990FFFF\n9990FFFF\n",
     nullptr},
    // Pixels touching at a corner only are not one area.
    {"a one-pixel area", "FFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFF0FFF\nFFFFF0FF\n", nullptr, 0,
     0, 4, 4, "FFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFF9FFF\nFFFFF0FF\nFFFFFFFF\nFFFFFFFF\n",
     nullptr},
    // White pixels of the transparent half are another area; the filled ones stay opaque.
    {"one colour of two transparencies", "",
     "11110000\n11110000\n11110000\n11110000\n11110000\n11110000\n11110000\n11110000\n", 0, 0, 6, 0,
     "FFFF9999\nFFFF9999\nFFFF9999\nFFFF9999\nFFFF9999\nFFFF9999\nFFFF9999\nFFFF9999\n",
     "11110000\n11110000\n11110000\n11110000\n11110000\n11110000\n11110000\n11110000\n"},
    // In the mask mode the area of one colour becomes transparent, its colour stays.
    {"the mask mode, transparent",
     "FFFFFFFF\nF0000FFF\nF0FF0FFF\nF0FF0FFF\nF0000FFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\n",
     "00000000\n", 1, 1, 0, 0,
     "FFFFFFFF\nF0000FFF\nF0FF0FFF\nF0FF0FFF\nF0000FFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\n",
     "11111111\n10000111\n10000111\n10000111\n10000111\n11111111\n11111111\n11111111\n"},
    {"the mask mode, opaque", "", "11110000\n11110000\n", 1, 0, 1, 1,
     "FFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\nFFFFFFFF\n",
     "00000000\n00000000\n00000000\n00000000\n00000000\n00000000\n00000000\n00000000\n"},
};

class Fill : public CanvasTest<8, 8> {};

TEST_F(Fill, FillsTheAreaOfOneColourAndOneTransparencyUnderTheTap) {
    for (const FillCase& c : FillCases) {
        SCOPED_TRACE(c.what);
        CloseCanvas();
        canvas = OpenCanvas(8, 8, 10);
        Draw(c.image);
        if (c.mask) {
            UseFreshMask();
            Draw(c.mask, true);
        }
        TransparencyMode = c.maskMode;
        OpacityTool = c.opacity;
        CurrentTool = TOOL_FILL;
        FillColor = COLOR_RED;
        TapCell(canvas, c.x, c.y);
        EXPECT_EQ(c.imageAfter, Picture(0, 0, 8, 8));
        if (c.maskAfter) {
            EXPECT_EQ(c.maskAfter, Picture(0, 0, 8, 8, true));
        }
        EXPECT_EQ(1, Modified);
        // What the canvas shows after the full paint.
        if (!c.maskMode) {
            EXPECT_EQ(COLOR_RED, CellColor(canvas, c.x, c.y));
        }
    }
}

TEST_F(Fill, IsOneUndoStepAndATapThatChangesNothingKeepsIt) {
    const char* before = "FFFFFFFF\nF0000FFF\nF0FF0FFF\nF0FF0FFF\nF0000FFF\nFFFFFFFF\n"
                         "FFFFFFFF\nFFFFFFFF\n";
    Draw(before);
    CurrentTool = TOOL_FILL;
    FillColor = COLOR_RED;
    TapCell(canvas, 2, 2);
    std::string filled = Picture(0, 0, 8, 8);
    // The second tap of a double tap finds the area red already.
    TapCell(canvas, 2, 2);
    UndoCommand();
    PumpMessages();
    EXPECT_EQ(before, Picture(0, 0, 8, 8));
    EXPECT_EQ(COLOR_WHITE, CellColor(canvas, 2, 2));
    RedoCommand();
    EXPECT_EQ(filled, Picture(0, 0, 8, 8));
}

TEST_F(Fill, ThirtyTwoBitPixelsTakeTheExactColourOpaqueAndOtherAlphasAreOtherAreas) {
    ImageBitCount = 32;
    ASSERT_TRUE(CreateImage(canvas));
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            SetPixel32(x, y, RGB(10, 20, 30), x < 4 ? 255 : 100);
    // The drawing calls leave alpha 0 in the pixels they paint: opaque all the same.
    SetPixel32(0, 7, RGB(10, 20, 30), 0);
    CurrentTool = TOOL_FILL;
    FillColor = RGB(1, 2, 3);
    TapCell(canvas, 1, 1);
    GdiFlush();
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            const BYTE* p = Pixel32(x, y);
            if (x < 4)
                EXPECT_EQ(0xFF010203u, (DWORD)(p[3] << 24 | p[2] << 16 | p[1] << 8 | p[0]))
                    << x << ", " << y;
            else
                EXPECT_EQ(100, p[3]) << "the half-transparent area at " << x << ", " << y;
        }
}

// ---- Pick -----------------------------------------------------------------------------------

static void CtrlTap(HWND canvas, int x, int y, WPARAM keys = MK_CONTROL) {
    SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(At(x), At(y)));
    SendMessageW(canvas, WM_LBUTTONUP, keys, MAKELPARAM(At(x), At(y)));
    PumpMessages();
}

// For each bit count: the colour a pixel is given and, picked, gives; with a cell of the start
// palette that holds it, that cell is chosen and the palette stays, else the current cell
// takes it.
static const struct PickCase {
    int bitCount;
    COLORREF color;
    int cellHolding; // -1: none
} PickCases[] = {
    {4, DARK_RED, 4},
    {4, COLOR_BLUE, 9},
    {24, RGB(10, 20, 30), -1},
    {32, RGB(200, 100, 7), -1},
};

TEST_F(Fill, APickTakesThePixelsColourForTheLineOrWithShiftTheFill) {
    for (const PickCase& c : PickCases) {
        SCOPED_TRACE(testing::Message() << c.bitCount << " bits, colour " << std::hex << c.color);
        CloseCanvas();
        canvas = OpenCanvas(8, 8, 10);
        ImageBitCount = c.bitCount;
        ASSERT_TRUE(CreateImage(canvas));
        PaintImagePixel(3, 4, c.color);
        if (c.bitCount == 32) Pixel32(3, 4)[3] = 90; // half transparent: picked without alpha
        LineColorCell = 2;
        FillColorCell = 5;
        CtrlTap(canvas, 3, 4);
        EXPECT_EQ(c.color, LineColor);
        EXPECT_EQ(c.cellHolding >= 0 ? c.cellHolding : 2, LineColorCell);
        EXPECT_EQ(c.cellHolding >= 0 ? StandardColors[2] : c.color, PaletteColors[2]);
        EXPECT_EQ(COLOR_BLACK, FillColor);
        CtrlTap(canvas, 3, 4, MK_CONTROL | MK_SHIFT);
        EXPECT_EQ(c.color, FillColor);
        // The colour is in a cell now: the one the line's pick gave it.
        EXPECT_EQ(c.cellHolding >= 0 ? c.cellHolding : 2, FillColorCell);
        EXPECT_EQ(StandardColors[5], PaletteColors[5]);
        // The pick drew nothing.
        EXPECT_EQ(0, Modified);
    }
}

TEST_F(Fill, ATransparentPixelPicksNothingAndPickColourMakesOnlyTheNextTapAPick) {
    UseFreshMask();
    Draw("00000000\n01000000\n", true);
    TransparencyMode = 0;
    PaintImagePixel(1, 1, COLOR_BLUE);
    CtrlTap(canvas, 1, 1);
    EXPECT_EQ(COLOR_BLACK, LineColor);
    EXPECT_EQ(0u, SeenBoxes().size());
    // The command's pick needs no Ctrl; the tap after it draws again.
    PaintImagePixel(4, 4, COLOR_BLUE);
    PickPending = 1;
    TapCell(canvas, 4, 4);
    EXPECT_EQ(COLOR_BLUE, LineColor);
    EXPECT_EQ(0, Modified);
    TapCell(canvas, 6, 6);
    EXPECT_EQ(12, ImageIndex(6, 6));
}

// ---- Custom colours ---------------------------------------------------------------------------

TEST_F(Fill, ACustomColourRecoloursTheEntryItsCellPaintsAndUndoTakesBothBack) {
    // Cell 9 shows blue and paints index 12.
    LineColor = PaletteColors[9];
    LineColorCell = 9;
    TapCell(canvas, 2, 2);
    ASSERT_EQ(12, ImageIndex(2, 2));
    Modified = 0;
    RecolourPaletteCell(canvas, 9, RGB(1, 2, 3));
    PumpMessages();
    EXPECT_EQ(RGB(1, 2, 3), PaletteColors[9]);
    EXPECT_EQ(RGB(1, 2, 3), LineColor);
    EXPECT_EQ(0x010203u, InfoTable(ImageInfo)[12]);
    EXPECT_EQ(12, ImageIndex(2, 2));
    EXPECT_EQ(RGB(1, 2, 3), CellColor(canvas, 2, 2));
    EXPECT_EQ(1, Modified);
    UndoCommand();
    PumpMessages();
    EXPECT_EQ(StandardColors[12], InfoTable(ImageInfo)[12]);
    EXPECT_EQ(StandardColors[9], PaletteColors[9]);
    EXPECT_EQ(StandardColors[9], LineColor);
    EXPECT_EQ(COLOR_BLUE, CellColor(canvas, 2, 2));
    RedoCommand();
    EXPECT_EQ(0x010203u, InfoTable(ImageInfo)[12]);
    // Pen strokes go on with the new colour, in the same entry.
    TapCell(canvas, 5, 5);
    EXPECT_EQ(12, ImageIndex(5, 5));
}

// Areas many blocks wide are compared a block of pixels at a time: a pixel of another colour
// or transparency inside a block still bounds the area.
TEST_F(Fill, WideAreasStopAtEveryPixelOfAnotherColourOrTransparency) {
    CloseCanvas();
    canvas = OpenCanvas(200, 70, 2);
    for (int y = 0; y < 70; y++)
        PaintImagePixel(150, y, COLOR_BLACK);
    PaintImagePixel(70, 10, COLOR_BLACK);
    UseFreshMask();
    GdiFlush();
    for (int x = 64; x < 128; x++)
        SetIndexAt(RowOf(MaskInfo, MaskBits, 20), 1, x, 1);
    TransparencyMode = 0;
    CurrentTool = TOOL_FILL;
    FillColor = COLOR_RED;
    SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    PumpMessages();
    const struct {
        int x, y, index;
    } expected[] = {{0, 0, 9},     {149, 69, 9}, {150, 5, 0},  {151, 5, 15},
                    {199, 0, 15},  {70, 10, 0},  {70, 11, 9},  {64, 20, 15},
                    {127, 20, 15}, {63, 20, 9},  {128, 20, 9}, {100, 21, 9}};
    for (const auto& e : expected)
        EXPECT_EQ(e.index, ImageIndex(e.x, e.y)) << e.x << ", " << e.y;
    EXPECT_EQ(1, MaskIndex(100, 20));
    EXPECT_EQ(0, MaskIndex(100, 21));
}

// Pictures of winding areas (mazes of two colours and two transparencies, wider than a block
// of pixels) filled from several taps, against the plainest fill there is: one pixel at a
// time, every neighbour of the tap's colour and transparency.
TEST_F(Fill, WindingAreasFillAsAPixelByPixelFillDoes) {
    const int width = 150, height = 40;
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int picture = 0; picture < 12; picture++) {
        SCOPED_TRACE(picture);
        CloseCanvas();
        canvas = OpenCanvas(width, height, 2);
        UseFreshMask();
        TransparencyMode = 0;
        GdiFlush();
        // Mostly one colour, so that areas wind between the others; a third of the pictures
        // also have transparent pixels of that colour.
        std::vector<int> index(width * height), clear(width * height);
        for (int i = 0; i < width * height; i++) {
            index[i] = next() % 8 < 5 ? 15 : 0;
            clear[i] = picture % 3 == 2 && next() % 8 == 0;
            SetIndexAt(RowOf(ImageInfo, ImageBits, i / width), 4, i % width, index[i]);
            SetIndexAt(RowOf(MaskInfo, MaskBits, i / width), 1, i % width, clear[i]);
        }
        int tapX = (int)(next() % width), tapY = (int)(next() % height);
        int tap = tapY * width + tapX;
        std::vector<int> todo = {tap}, done(width * height);
        done[tap] = 1;
        while (!todo.empty()) {
            int i = todo.back();
            todo.pop_back();
            int x = i % width, y = i / width;
            const int around[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (const auto& n : around) {
                int j = n[1] * width + n[0];
                if (n[0] < 0 || n[1] < 0 || n[0] >= width || n[1] >= height || done[j] ||
                    index[j] != index[tap] || clear[j] != clear[tap])
                    continue;
                done[j] = 1;
                todo.push_back(j);
            }
        }
        CurrentTool = TOOL_FILL;
        FillColor = COLOR_RED;
        SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tapX * 2 + 1, tapY * 2 + 1));
        SendMessageW(canvas, WM_LBUTTONUP, 0, MAKELPARAM(tapX * 2 + 1, tapY * 2 + 1));
        PumpMessages();
        int wrong = 0;
        for (int i = 0; i < width * height && wrong < 5; i++) {
            int x = i % width, y = i / width;
            int want = done[i] ? 9 : index[i], wantClear = done[i] ? 0 : clear[i];
            if (ImageIndex(x, y) != want || MaskIndex(x, y) != wantClear) {
                ADD_FAILURE() << "pixel " << x << ", " << y << ": " << ImageIndex(x, y) << "/"
                              << MaskIndex(x, y) << ", not " << want << "/" << wantClear;
                wrong++;
            }
        }
    }
}
