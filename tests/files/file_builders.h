// Builds bitmap and icon files in memory for the file tests, in the many forms the formats
// allow, from a picture given pixel by pixel.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

typedef std::vector<BYTE> Bytes;

// A pixel of the picture: an index for up to 8 bits, else 0x00RRGGBB (alpha in the top byte).
typedef std::function<DWORD(int x, int y)> PixelSource;

struct BmpForm {
    int headerSize = 40; // 12, 40, 52, 56, 108, 124
    int bits = 4;
    DWORD compression = BI_RGB; // BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS
    bool topDown = false;
    DWORD masks[4] = {0, 0, 0, 0}; // bitfields: red, green, blue, alpha
    int tableEntries = -1;         // -1: 2^bits up to 8 bits, none above
    bool clrUsedZero = false;      // leave biClrUsed 0 (table of 2^bits)
    int gap = 0;                   // bytes between the colour table and the pixels
};

// The standard 16-colour table as RGBQUAD words and a 256-entry grey ramp.
std::vector<RGBQUAD> StandardTable16();
std::vector<RGBQUAD> GreyTable(int entries);

// A packed DIB (header, masks, table, pixels) and the file around it.
Bytes MakeDib(const BmpForm& form, int width, int height, const std::vector<RGBQUAD>& table,
              const PixelSource& pixel);
Bytes MakeBmpFile(const BmpForm& form, int width, int height, const std::vector<RGBQUAD>& table,
                  const PixelSource& pixel);

// One image of an icon: BMP form (colour pixels and a mask) or PNG bytes as they are.
struct IconImage {
    int width = 16, height = 16, bits = 4;
    std::vector<RGBQUAD> table;
    PixelSource pixel;
    std::function<bool(int x, int y)> transparent; // none: all opaque
    Bytes png;                                     // when set, the image is stored as PNG
    int directoryBits = -1;                        // -1: the real bit count
};
// The block of one image as an icon file holds it.
Bytes MakeIconBlock(const IconImage& image);
// A whole icon file, the blocks back to back after the directory.
Bytes MakeIconFile(const std::vector<IconImage>& images);

// Bytes of one stored row, padded to 32 bits: the tests' own count, kept apart from the
// program's so that a fault in one is not repeated in the other.
size_t RowBytes(int width, int bits);

void PutLE16(Bytes& b, size_t at, int v);
void PutLE32(Bytes& b, size_t at, DWORD v);
DWORD GetLE32(const Bytes& b, size_t at);
int GetLE16(const Bytes& b, size_t at);

// A small valid PNG (uncompressed deflate) of a solid colour, or of a colour for each pixel
// (0xRRGGBBAA).
Bytes MakeSolidPng(int width, int height, DWORD rgba);
// A PNG of that header with the zlib data given as its one data chunk, and the chunks given
// between the header and the data.
Bytes MakePngOfData(DWORD width, DWORD height, int depth, int colourType, const Bytes& zlib,
                    const std::vector<std::pair<std::string, Bytes>>& before = {});
// A PNG of the filtered rows given (each led by its filter byte), compressed by zlib, with
// the chunks given between the header and the data, and that many more zero bytes after the
// rows inside the compressed data.
Bytes MakePng(DWORD width, DWORD height, int depth, int colourType, const Bytes& rows,
              const std::vector<std::pair<std::string, Bytes>>& before = {}, size_t padding = 0);
Bytes MakePng(int width, int height, const std::function<DWORD(int x, int y)>& rgba);
// The PNG with another size in its header (the check value made right), its pixels as they were.
Bytes WithPngSize(const Bytes& png, DWORD width, DWORD height);

// Pixel colour (0x00BBGGRR) of a normalised DIB, and its mask bit.
COLORREF NormalisedPixel(const BYTE* dib, int x, int y);
bool MaskBit(const BYTE* mask, int width, int height, int x, int y);

// ---- Reading 4-bit bitmap and icon files back -----------------------------------------
// Pixel index (x, y, top-down) of a 4-bit bitmap file's image, or -1 when the file is not
// one; size in *width, *height.
int BmpFileIndex(const Bytes& file, int x, int y, int* width = nullptr, int* height = nullptr);
// Of image n (the first by default) of an icon file of 4-bit images: pixel index, and whether
// the AND mask marks it transparent.
int IconFileIndex(const Bytes& file, int x, int y, int n = 0);
bool IconFileTransparent(const Bytes& file, int x, int y, int n = 0);
int IconFileImageCount(const Bytes& file);
