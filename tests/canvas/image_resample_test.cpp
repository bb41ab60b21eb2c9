// Pictures made at another size: averaged down with the colour weighted by alpha (no dark
// fringe at a hard transparent edge), repeated up by whole pixels (pixel art stays crisp),
// and into 16 colours with transparency where less than half covers.
#include "canvas/canvas.h"
#include "files/files.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

// A picture in a block of its own: header (with a table for up to 8 bits), pixels, mask.
struct Picture {
    std::vector<BYTE> block;
    size_t table, stride, maskStride;
    int width, height;
    Picture(int w, int h, int bits) : width(w), height(h) {
        table = bits <= 8 ? 4u << bits : 0;
        stride = DibStride(w, bits);
        maskStride = DibStride(w, 1);
        block.assign(40 + table + stride * h + maskStride * h, 0);
        BITMAPINFOHEADER& head = *(BITMAPINFOHEADER*)block.data();
        head = BITMAPINFOHEADER{40, w, h, 1, (WORD)bits, BI_RGB};
    }
    BYTE* Row(int y) { return block.data() + 40 + table + stride * (height - 1 - y); }
    // Marks a pixel transparent in the mask, as the canvas holds a clear pixel.
    void Clear(int x, int y) {
        block[40 + table + stride * height + maskStride * (height - 1 - y) + x / 8] |=
            (BYTE)(0x80 >> (x % 8));
    }
    ImageToWrite Image() {
        return {(const BITMAPINFO*)block.data(), block.data() + 40 + table,
                block.data() + 40 + table + stride * height};
    }
};

struct Made {
    ImageToWrite image = {};
    BYTE* block = nullptr;
    ~Made() { free(block); }
    const BYTE* Pixel(int x, int y, int bits) const {
        int w = image.Info->bmiHeader.biWidth, h = image.Info->bmiHeader.biHeight;
        return image.Bits + DibStride(w, bits) * (h - 1 - y) + x * bits / 8;
    }
    bool Clear(int x, int y) const {
        int w = image.Info->bmiHeader.biWidth, h = image.Info->bmiHeader.biHeight;
        return (image.Mask[DibStride(w, 1) * (h - 1 - y) + x / 8] >> (7 - x % 8)) & 1;
    }
};

} // namespace

// A 256 x 256 picture, an opaque orange square with a hard edge that cuts through the new
// pixels, clear black around it (alpha 0 and the mask set, as a PNG image is held): every new edge pixel keeps the orange within a level or two,
// partly covered, and is clear only where nothing covers it; in 16 colours, transparent
// where less than half is covered.
TEST(Resample, AHardTransparentEdgeKeepsItsColourWhenScaledDown) {
    Picture source(256, 256, 32);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++)
            if (x >= 36 && x < 220 && y >= 40 && y < 216) {
                BYTE* p = source.Row(y) + 4 * x;
                p[0] = 20, p[1] = 140, p[2] = 240, p[3] = 255;
            } else {
                source.Clear(x, y);
            }
    ImageToWrite from = source.Image();
    Made small;
    small.block = ResampleImage(&from, 16, 16, 32, &small.image);
    ASSERT_NE(nullptr, small.block);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            const BYTE* p = small.Pixel(x, y, 32);
            if (p[3] == 0) {
                EXPECT_TRUE(small.Clear(x, y)) << x << "," << y;
                continue;
            }
            EXPECT_FALSE(small.Clear(x, y)) << x << "," << y;
            EXPECT_NEAR(20, p[0], 2) << x << "," << y;
            EXPECT_NEAR(140, p[1], 2) << x << "," << y;
            EXPECT_NEAR(240, p[2], 2) << x << "," << y;
        }
    // 36 / 16 = 2.25: the left edge column is three quarters covered; the top row
    // (40 / 16 = 2.5) half.
    EXPECT_NEAR(191, small.Pixel(2, 8, 32)[3], 1);
    EXPECT_NEAR(128, small.Pixel(8, 2, 32)[3], 1);
    EXPECT_EQ(0, small.Pixel(1, 8, 32)[3]);
    EXPECT_EQ(255, small.Pixel(8, 8, 32)[3]);

    Made indexed;
    indexed.block = ResampleImage(&from, 16, 16, 4, &indexed.image);
    ASSERT_NE(nullptr, indexed.block);
    EXPECT_FALSE(indexed.Clear(2, 8)) << "three quarters covered";
    EXPECT_FALSE(indexed.Clear(8, 2)) << "half covered";
    EXPECT_TRUE(indexed.Clear(1, 8));
    EXPECT_TRUE(indexed.Clear(13, 13)) << "three quarters by half: under half";
}

// 16 x 16 pixel art of 16 colours, one transparent pixel: at 32 and 48 every source pixel
// becomes a 2 x 2 and 3 x 3 block of its own index, the transparent one a clear block; at
// 24 (not a whole factor) each new pixel is one source pixel, never a mixture.
TEST(Resample, PixelArtStaysCrispWhenScaledUp) {
    Picture art(16, 16, 4);
    DWORD* table = (DWORD*)(art.block.data() + 40);
    for (int i = 0; i < 16; i++)
        table[i] = (DWORD)(i * 0x0F0F0F);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            BYTE& b = art.Row(y)[x / 2];
            b |= (BYTE)(((x * 3 + y) % 16) << (x % 2 ? 0 : 4));
        }
    art.Clear(7, 5);
    ImageToWrite from = art.Image();
    for (int side : {32, 48, 24}) {
        SCOPED_TRACE(side);
        Made big;
        big.block = ResampleImage(&from, side, side, 4, &big.image);
        ASSERT_NE(nullptr, big.block);
        for (int y = 0; y < side; y++)
            for (int x = 0; x < side; x++) {
                int sx = x * 16 / side, sy = y * 16 / side;
                if (side == 24) sx = (2 * x + 1) * 16 / 48, sy = (2 * y + 1) * 16 / 48;
                bool clear = sx == 7 && sy == 5;
                ASSERT_EQ(clear, big.Clear(x, y)) << x << "," << y;
                if (clear) continue;
                int index = (*big.Pixel(x, y, 4) >> (x % 2 ? 0 : 4)) & 15;
                ASSERT_EQ((sx * 3 + sy) % 16, index) << x << "," << y;
            }
    }
}
