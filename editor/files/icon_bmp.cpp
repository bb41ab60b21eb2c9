// An icon's images in BMP form: checked against the entry's bytes, whatever height their
// writer gave the header, and decoded into the form the canvas takes followed by the AND mask.
#include "files/files.h"
#include <cstdlib>
#include <cstring>

BYTE* EditImageMask(BYTE* image) {
    int width = (int)ReadLE32(image + 4), height = (int)ReadLE32(image + 8);
    int bits = ReadLE16(image + 14);
    size_t table = bits <= 8 ? 4u << bits : 0;
    return image + 40 + table + DibStride(width, bits) * height;
}

// Checks a BMP image of the icon: a header of the 40-byte family, colour table and pixels
// inside the entry's bytes. Writers disagree about whether the header's height counts the AND
// mask (most double it, some give the plain height the directory gives, some double the
// directory's too), and some leave the mask out: the height whose pixels and mask fit the
// bytes present is taken, else one whose pixels end the bytes exactly, every pixel then
// opaque (a 32-bit image, whose alpha tells its transparency, may leave bytes over). A reading
// that uses the bytes exactly comes before one that leaves bytes over (the padding some
// writers add): else an image of the plain height without its mask would be taken for one of
// half that height, its upper rows read as the mask. Fills the layout, the height and the
// size of the mask present.
static bool CheckIconImage(const IconEntry* entry, DibLayout* layout, int* height,
                           size_t* maskBytes) {
    if (entry->dwBytesInRes < 40 || ReadLE32(entry->ImageData) < 40) return false;
    int stored = (int)ReadLE32(entry->ImageData + 8);
    int listed = entry->bHeight ? entry->bHeight : 256;
    int halved = stored / 2 ? stored / 2 : stored;
    int heights[2] = {stored == listed ? stored : halved, halved};
    for (int exact = 1; exact >= 0; exact--) {
        for (int withMask = 1; withMask >= 0; withMask--) {
            for (int h : heights) {
                if (ParseDib(entry->ImageData, entry->dwBytesInRes, 0, h, layout) != DIB_OK)
                    continue;
                size_t over = layout->PixelBytes - layout->SourceStride * layout->Height;
                *maskBytes = withMask ? DibStride(layout->Width, 1) * layout->Height : 0;
                if (exact      ? over == *maskBytes
                    : withMask ? *maskBytes <= over
                               : layout->SourceBits == 32) {
                    *height = h;
                    return true;
                }
            }
        }
    }
    return false;
}

bool BmpImageShape(const IconEntry* entry, int* width, int* height, int* bits) {
    DibLayout layout;
    size_t maskBytes;
    if (IsPngImage(entry) || !CheckIconImage(entry, &layout, height, &maskBytes)) return false;
    *width = layout.Width;
    *bits = layout.SourceBits;
    return true;
}

// A 32-bit image that carries alpha shows its fully transparent pixels as such, whatever
// the AND mask says.
static void MergeAlphaIntoMask(const DibLayout* l, const BYTE* pixels, BYTE* mask) {
    size_t pixelCount = (size_t)l->Width * l->Height;
    bool hasAlpha = false;
    for (size_t i = 0; i < pixelCount && !hasAlpha; i++)
        hasAlpha = pixels[4 * i + 3] != 0;
    if (!hasAlpha) return;
    size_t maskStride = DibStride(l->Width, 1);
    for (int y = 0; y < l->Height; y++)
        for (int x = 0; x < l->Width; x++)
            if (pixels[((size_t)y * l->Width + x) * 4 + 3] == 0)
                mask[y * maskStride + x / 8] |= (BYTE)(0x80 >> (x % 8));
}

// Decodes a BMP image of the icon into the form the canvas takes, followed by its AND mask.
// False when the image cannot be decoded or memory is lacking (*noMemory tells which).
bool DecodeIconImage(IconEntry* entry, bool* noMemory) {
    *noMemory = false;
    DibLayout layout;
    int height;
    size_t maskBytes;
    if (IsPngImage(entry) || !CheckIconImage(entry, &layout, &height, &maskBytes)) return false;
    BYTE* image = (BYTE*)calloc(1, layout.OutSize + DibStride(layout.Width, 1) * layout.Height);
    if (!image) {
        *noMemory = true;
        return false;
    }
    DecodeDib(&layout, image);
    BYTE* mask = image + layout.OutSize;
    memcpy(mask, layout.Pixels + layout.SourceStride * layout.Height, maskBytes);
    if (layout.OutBits == 32) MergeAlphaIntoMask(&layout, image + 40, mask);
    entry->EditImage = image;
    return true;
}
