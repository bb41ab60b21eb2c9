// Makes an image at another size and bit count from a picture, keeping what it shows:
// smaller by averaging the pixels each new pixel covers, weighting each colour by its alpha
// so that transparent pixels lend no colour to the edge; larger by repeating whole pixels
// (the nearest source pixel, which is the same when the factor is whole), so pixel art stays
// crisp. Into 16 or 256 colours each pixel takes the nearest colour of the table.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include <cstdlib>
#include <cstring>

// What one new pixel takes along an axis: source pixels First.. with their weights.
struct AxisSpan {
    int First;
    int Count;
    int Weights; // index of its first weight in the axis's weight list
};

// The spans of an axis of `from` source pixels made `to` long. Going down, new pixel i
// covers [i * from, (i + 1) * from) in units where a source pixel is `to` long, and each
// source pixel it meets weighs the length they share; going up it takes one pixel whole.
static bool MakeSpans(int from, int to, AxisSpan** spans, int** weights) {
    *spans = (AxisSpan*)malloc(to * sizeof(AxisSpan));
    *weights = (int*)malloc((from + to) * sizeof(int));
    if (!*spans || !*weights) return false;
    int used = 0;
    for (int i = 0; i < to; i++) {
        AxisSpan& s = (*spans)[i];
        s.Weights = used;
        if (to >= from) {
            s.First = (int)(((long long)2 * i + 1) * from / (2LL * to));
            s.Count = 1;
            (*weights)[used++] = 1;
            continue;
        }
        long long start = (long long)i * from, end = start + from;
        s.First = (int)(start / to);
        int last = (int)((end - 1) / to);
        s.Count = last - s.First + 1;
        for (int j = s.First; j <= last; j++) {
            long long low = (long long)j * to > start ? (long long)j * to : start;
            long long high = (long long)(j + 1) * to < end ? (long long)(j + 1) * to : end;
            (*weights)[used++] = (int)(high - low);
        }
    }
    return true;
}

// The source as blue, green, red and alpha bytes, rows top-down. A transparent pixel has
// alpha 0; a 32-bit image keeps its alpha, where the drawing calls' 0 means opaque, and
// a pixel the mask clears keeps only an alpha under half.
static BYTE* SourcePixels(const ImageToWrite* source, int width, int height) {
    BYTE* out = (BYTE*)malloc((size_t)width * height * 4);
    if (!out) return nullptr;
    BITMAPINFO* info = (BITMAPINFO*)source->Info;
    int bits = InfoBitCount(info);
    size_t maskStride = DibStride(width, 1);
    for (int y = 0; y < height; y++) {
        const BYTE* row = RowOf(info, (BYTE*)source->Bits, y);
        const BYTE* mask = source->Mask ? source->Mask + maskStride * (height - 1 - y) : nullptr;
        for (int x = 0; x < width; x++) {
            BYTE* p = out + ((size_t)y * width + x) * 4;
            DWORD colour = ColorAt(info, row, x);
            p[0] = (BYTE)colour;
            p[1] = (BYTE)(colour >> 8);
            p[2] = (BYTE)(colour >> 16);
            bool clear = mask && (mask[x / 8] >> (7 - x % 8)) & 1;
            int alpha = bits == 32 ? row[4 * x + 3] : 255;
            if (bits == 32 && alpha == 0) alpha = 255;
            p[3] = (BYTE)(clear ? (alpha < 128 ? alpha : 0) : alpha);
        }
    }
    return out;
}

// The colours a 4- or 8-bit image takes: a 4-bit source's own table (else the palette's
// colours); for 8 bits the source's table first (its colours stay exact), then the cube.
static void ChooseTable(const ImageToWrite* source, BITMAPINFO* info, int bitCount) {
    BITMAPINFO* from = (BITMAPINFO*)source->Info;
    int sourceBits = InfoBitCount(from);
    if (bitCount == 4) {
        CopyMemory(InfoTable(info), sourceBits == 4 ? InfoTable(from) : (DWORD*)PaletteColors,
                   16 * 4);
        return;
    }
    FillStandardTable(info, 8);
    if (sourceBits <= 8) CopyMemory(InfoTable(info), InfoTable(from), TableEntries(sourceBits) * 4);
}

// One new pixel from the source pixels its spans cover: alpha the plain average, colour
// the average weighted by alpha.
static void AveragePixel(const BYTE* pixels, int width, const AxisSpan& sx, const int* wx,
                         const AxisSpan& sy, const int* wy, BYTE* out) {
    unsigned long long total = 0, alpha = 0, colour[3] = {};
    for (int j = 0; j < sy.Count; j++) {
        const BYTE* row = pixels + (size_t)(sy.First + j) * width * 4;
        for (int i = 0; i < sx.Count; i++) {
            unsigned long long w = (unsigned long long)wy[sy.Weights + j] * wx[sx.Weights + i];
            const BYTE* p = row + (size_t)(sx.First + i) * 4;
            unsigned long long a = w * p[3];
            total += w;
            alpha += a;
            colour[0] += a * p[0];
            colour[1] += a * p[1];
            colour[2] += a * p[2];
        }
    }
    for (int c = 0; c < 3; c++)
        out[c] = alpha ? (BYTE)((colour[c] + alpha / 2) / alpha) : 0;
    out[3] = (BYTE)((alpha + total / 2) / total);
}

// A block of header, table, pixels and mask for an image of that size and bit count.
static BYTE* NewImageBlock(int width, int height, int bitCount, ImageToWrite* image) {
    size_t table = bitCount <= 8 ? 4u << bitCount : 0;
    size_t xorBytes = DibStride(width, bitCount) * height, maskBytes = DibStride(width, 1) * height;
    BYTE* block = (BYTE*)calloc(1, 40 + table + xorBytes + maskBytes);
    if (!block) return nullptr;
    BITMAPINFOHEADER& h = ((BITMAPINFO*)block)->bmiHeader;
    h = BITMAPINFOHEADER{sizeof h, width, height, 1, (WORD)bitCount, BI_RGB, (DWORD)xorBytes};
    h.biClrUsed = bitCount <= 8 ? 1u << bitCount : 0;
    *image = ImageToWrite{(BITMAPINFO*)block, block + 40 + table, block + 40 + table + xorBytes};
    return block;
}

BYTE* BlankIconImage(int width, int height, int bitCount, ImageToWrite* image) {
    BYTE* block = NewImageBlock(width, height, bitCount, image);
    if (!block) return nullptr;
    BITMAPINFO* info = (BITMAPINFO*)block;
    if (bitCount <= 8) {
        FillStandardTable(info, bitCount);
        FillWhite(info, (BYTE*)image->Bits);
    } else {
        memset((BYTE*)image->Mask, 0xFF, DibStride(width, 1) * height); // clear throughout
    }
    return block;
}

BYTE* ResampleImage(const ImageToWrite* source, int width, int height, int bitCount,
                    ImageToWrite* image) {
    ImageShape shape;
    if (!ImageShapeOf(source, &shape) || width < 1 || height < 1) return nullptr;
    BYTE* block = NewImageBlock(width, height, bitCount, image);
    BYTE* pixels = block ? SourcePixels(source, shape.Width, shape.Height) : nullptr;
    AxisSpan *xs = nullptr, *ys = nullptr;
    int *wx = nullptr, *wy = nullptr;
    bool ready = pixels && MakeSpans(shape.Width, width, &xs, &wx) &&
                 MakeSpans(shape.Height, height, &ys, &wy);
    if (ready) {
        BITMAPINFO* info = (BITMAPINFO*)block;
        if (bitCount <= 8) ChooseTable(source, info, bitCount);
        int entries = TableEntries(bitCount);
        BYTE* mask = (BYTE*)image->Mask;
        size_t maskStride = DibStride(width, 1);
        for (int y = 0; y < height; y++) {
            BYTE* row = RowOf(info, (BYTE*)image->Bits, y);
            for (int x = 0; x < width; x++) {
                BYTE p[4];
                AveragePixel(pixels, shape.Width, xs[x], wx, ys[y], wy, p);
                // True colour keeps every alpha but none; fewer colours are opaque or not.
                bool clear = bitCount == 32 ? p[3] == 0 : p[3] < 128;
                if (clear) mask[maskStride * (height - 1 - y) + x / 8] |= (BYTE)(0x80 >> (x % 8));
                if (bitCount == 32)
                    memcpy(row + 4 * x, p, 4);
                else
                    SetIndexAt(row, bitCount, x,
                               NearestIndex(InfoTable(info), entries,
                                            (DWORD)(p[2] << 16 | p[1] << 8 | p[0])));
            }
        }
    }
    free(pixels);
    free(xs);
    free(ys);
    free(wx);
    free(wy);
    if (!ready) {
        free(block);
        return nullptr;
    }
    return block;
}
