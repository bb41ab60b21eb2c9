// Writes the image as an icon file: alone, or put back into the held icon in place of the
// image chosen for editing, with the other images the user edited, each in its own form,
// every other held image written back as it was read.
#include "files/files.h"
#include "base/report.h"
#include <cstdlib>
#include <cstring>

static size_t BlockSize(int width, int height, int bits) {
    size_t table = bits <= 8 ? 4u << bits : 0;
    return 40 + table + DibStride(width, bits) * height + DibStride(width, 1) * height;
}

DWORD MakeIconEntry(DWORD imageOffset, int width, int height, int bitCount, IconEntry* entry) {
    DWORD size = (DWORD)BlockSize(width, height, bitCount);
    // The writer takes images of 1 to 256 pixels a side; the directory stores 256 as 0.
    entry->bWidth = (BYTE)(width % 256);
    entry->bHeight = (BYTE)(height % 256);
    entry->bColorCount = bitCount < 24 ? (BYTE)((1u << bitCount) % 256) : 0;
    entry->bReserved = 0;
    entry->wPlanes = 0;
    entry->wBitCount = (WORD)bitCount;
    entry->dwBytesInRes = size;
    entry->dwImageOffset = imageOffset;
    return size;
}

void FillPngEntry(int width, int height, BYTE* png, size_t size, IconEntry* entry) {
    MakeIconEntry(0, width, height, 32, entry);
    entry->bColorCount = 0;
    entry->wPlanes = 1;
    entry->dwBytesInRes = (DWORD)size;
    entry->ImageData = png;
}

static bool MaskSet(const BYTE* mask, size_t maskStride, int x, int y) {
    return (mask[y * maskStride + x / 8] >> (7 - x % 8)) & 1;
}

// The first black colour-table entry; in a table without black, the darkest, which disturbs
// the screen under a transparent pixel least.
static int BlackIndex(const BYTE* table, int entries) {
    int darkest = 0, lowest = 3 * 255 + 1;
    for (int i = 0; i < entries; i++) {
        int sum = table[4 * i] + table[4 * i + 1] + table[4 * i + 2];
        if (sum < lowest) {
            darkest = i;
            lowest = sum;
        }
    }
    return darkest;
}

// Windows draws an icon by masking the screen and then combining the colour image into it,
// so a transparent pixel must be black there; a 32-bit image also carries the mask in its
// alpha bytes, where pixels the drawing calls left at 0 are opaque.
static void PrepareColourPixels(BYTE* pixels, const BYTE* table, int width, int height, int bits,
                                const BYTE* mask) {
    size_t stride = DibStride(width, bits), maskStride = DibStride(width, 1);
    int black = bits <= 8 ? BlackIndex(table, 1 << bits) : 0;
    for (int y = 0; y < height; y++) {
        BYTE* row = pixels + y * stride;
        for (int x = 0; x < width; x++) {
            bool transparent = mask && MaskSet(mask, maskStride, x, y);
            if (bits == 32) {
                BYTE* p = row + 4 * x;
                if (transparent)
                    memset(p, 0, 4);
                else if (p[3] == 0)
                    p[3] = 255;
            } else if (transparent && bits > 8) {
                memset(row + x * (bits / 8), 0, bits / 8);
            } else if (transparent) {
                int perByte = 8 / bits, shift = (perByte - 1 - x % perByte) * bits;
                BYTE* p = row + x / perByte;
                *p = (BYTE)((*p & ~(((1 << bits) - 1) << shift)) | black << shift);
            }
        }
    }
}

bool StoreIconImage(bool isNew, IconEntry* entry, int bitCount, int width, int height, DWORD size,
                    const BITMAPINFO* info, const BYTE* bits, const BYTE* mask) {
    ImageShape shape = {width,
                        height,
                        bitCount,
                        bitCount <= 8 ? 4u << bitCount : 0,
                        DibStride(width, bitCount) * height,
                        DibStride(width, 1) * height};
    if (size < 40 + shape.TableBytes + shape.XorBytes + shape.MaskBytes) return false;
    if (isNew) {
        entry->ImageData = (BYTE*)calloc(1, size);
        if (!entry->ImageData) return false;
    }
    BYTE* block = entry->ImageData;
    MakeImageHeader(info, &shape, 2 * height, block);
    BYTE* table = block + 40;
    memcpy(table, info->bmiColors, shape.TableBytes);
    BYTE* pixels = table + shape.TableBytes;
    memcpy(pixels, bits, shape.XorBytes);
    if (mask)
        memcpy(pixels + shape.XorBytes, mask, shape.MaskBytes);
    else
        memset(pixels + shape.XorBytes, 0, shape.MaskBytes);
    PrepareColourPixels(pixels, table, width, height, bitCount, mask);
    return true;
}

const BYTE* HeldIconMask(int width, int height) {
    if (!IconEntries) return nullptr;
    BYTE* opened = IconEntries[SelectedIconImage].EditImage;
    if (!opened || DibWidth(opened) != width || DibHeight(opened) != height) return nullptr;
    return EditImageMask(opened);
}

static bool WriteIcon(FILE* file, const IconDir* directory, const IconEntry* entries) {
    BYTE head[6];
    memcpy(head, &directory->idReserved, 2);
    memcpy(head + 2, &directory->idType, 2);
    memcpy(head + 4, &directory->idCount, 2);
    if (fwrite(head, 1, 6, file) != 6) return false;
    for (int i = 0; i < directory->idCount; i++) {
        const IconEntry* e = &entries[i];
        BYTE bytes[16] = {e->bWidth, e->bHeight, e->bColorCount, e->bReserved};
        memcpy(bytes + 4, &e->wPlanes, 2);
        memcpy(bytes + 6, &e->wBitCount, 2);
        memcpy(bytes + 8, &e->dwBytesInRes, 4);
        memcpy(bytes + 12, &e->dwImageOffset, 4);
        if (fwrite(bytes, 1, 16, file) != 16) return false;
    }
    for (int i = 0; i < directory->idCount; i++)
        if (!WritePieces(file, entries[i].ImageData, entries[i].dwBytesInRes)) return false;
    return true;
}

static void ReportSaveFailure(int finished, const WCHAR* path) {
    if (finished == SAVE_IN_USE)
        ReportError(nullptr, FileInUseText, path, L"Mosaro");
    else if (finished == SAVE_DISK_FULL)
        ReportError(nullptr, DiskFullText, path, L"Mosaro");
    else if (finished == SAVE_REPLACE_FAILED)
        ReportError(nullptr, L"Could not open a file :%s", path, L"Mosaro");
}

// The image an entry is written from besides the chosen one: the edited copy of an image
// the user left for another; false for one written back as it was read.
static bool EditedImageOf(const IconEntry* entry, ImageToWrite* image) {
    if (!entry->Edited || !entry->EditImage) return false;
    *image = ImageToWrite{(const BITMAPINFO*)entry->EditImage, DibBits(entry->EditImage),
                          EditImageMask(entry->EditImage)};
    return true;
}

// An entry tells sizes up to 256 (stored as 0). Every image rebuilt must fit one, the
// canvas's and each edited image's alike: bytes would say one size and the entry another.
static bool RebuiltImagesFit(const ImageShape* canvas) {
    if (canvas->Width > 256 || canvas->Height > 256) return false;
    for (int i = 0; IconEntries && i < IconDirectory.idCount; i++) {
        ImageToWrite edited;
        ImageShape shape;
        if (i != SelectedIconImage && EditedImageOf(&IconEntries[i], &edited) &&
            ImageShapeOf(&edited, &shape) && (shape.Width > 256 || shape.Height > 256))
            return false;
    }
    return true;
}

// A PNG image whose pixels and mask are still those it was decoded into (the held copy holds
// no edits of its own) keeps its bytes as they are, without a second decode to find that out.
static bool StillAsDecoded(const IconEntry* entry, const ImageToWrite* image,
                           const ImageShape* shape) {
    const BYTE* decoded = entry->EditImage;
    if (entry->Edited || !decoded || !image->Mask || shape->Bits != 32 ||
        DibWidth(decoded) != shape->Width || DibHeight(decoded) != shape->Height ||
        DibBitCount(decoded) != 32)
        return false;
    return memcmp(decoded + 40, image->Bits, shape->XorBytes) == 0 &&
           memcmp(decoded + 40 + shape->XorBytes, image->Mask, shape->MaskBytes) == 0;
}

static PngProblem PngBytesOf(const IconEntry* was, const ImageToWrite* image,
                             const ImageShape* shape, BYTE** png, size_t* size) {
    if (!StillAsDecoded(was, image, shape))
        return EncodeIconPng(image, was->ImageData, was->dwBytesInRes, png, size);
    *size = was->dwBytesInRes;
    *png = (BYTE*)malloc(*size);
    if (!*png) return PNG_NO_MEMORY;
    memcpy(*png, was->ImageData, *size);
    return PNG_OK;
}

// Builds an entry's bytes anew from the image, in the form it was read in: a PNG image as
// PNG (the pixels the user left alone as they were), any other in BMP form. A cursor keeps
// its hot spot. The old bytes are left for the caller.
static bool RebuildEntry(const IconDir* directory, IconEntry* entry, const ImageToWrite* image) {
    ImageShape shape;
    if (!ImageShapeOf(image, &shape)) return false;
    IconEntry was = *entry;
    entry->ImageData = nullptr;
    if (IsPngImage(&was)) {
        BYTE* png = nullptr;
        size_t size = 0;
        if (PngBytesOf(&was, image, &shape, &png, &size) != PNG_OK || size > 0xFFFFFFFFu) {
            free(png);
            return false;
        }
        FillPngEntry(shape.Width, shape.Height, png, size, entry);
    } else {
        DWORD size = MakeIconEntry(0, shape.Width, shape.Height, shape.Bits, entry);
        if (!StoreIconImage(true, entry, shape.Bits, shape.Width, shape.Height, size, image->Info,
                            image->Bits, image->Mask))
            return false;
    }
    if (directory->idType == ICON_TYPE_CURSOR) {
        entry->wPlanes = was.wPlanes;
        entry->wBitCount = was.wBitCount;
    }
    return true;
}

// The icon to write is put together in a copy of the held directory: the chosen image from
// the canvas, each image left with edits from its copy, every other as it was read. A failed
// save leaves the held icon as it was; the copy becomes the held icon once the file is in
// place.
bool WriteIconFile(const WCHAR* path, const ImageToWrite* image) {
    ImageShape shape;
    bool shaped = ImageShapeOf(image, &shape);
    if (shaped && !RebuiltImagesFit(&shape)) {
        ReportError(nullptr, L"An icon image can be at most 256 x 256 pixels :%s", path, L"Mosaro");
        return false;
    }
    SafeSave save;
    if (!shaped || !BeginSafeSave(path, &save)) {
        ReportError(nullptr, L"Could not open a file :%s", path, L"Mosaro");
        return false;
    }
    IconDir directory = IconEntries ? IconDirectory : IconDir{0, ICON_TYPE_ICON, 1};
    int chosen = IconEntries ? SelectedIconImage : 0, count = directory.idCount;
    IconEntry* entries = (IconEntry*)calloc(count, sizeof(IconEntry));
    if (!entries) {
        AbandonSafeSave(&save);
        return false;
    }
    if (IconEntries) memcpy(entries, IconEntries, count * sizeof(IconEntry));
    auto heldBytes = [](int i) { return IconEntries ? IconEntries[i].ImageData : nullptr; };
    bool stored = true;
    for (int i = 0; i < count && stored; i++) {
        ImageToWrite edited;
        if (i == chosen)
            stored = RebuildEntry(&directory, &entries[i], image);
        else if (EditedImageOf(&entries[i], &edited))
            stored = RebuildEntry(&directory, &entries[i], &edited);
    }
    DWORD offset = 6 + 16 * (DWORD)count;
    for (int i = 0; i < count; i++) {
        entries[i].dwImageOffset = offset;
        offset += entries[i].dwBytesInRes;
    }
    int finished = SAVE_WRITE_FAILED;
    if (stored && WriteIcon(save.File, &directory, entries))
        finished = FinishSafeSave(&save);
    else
        AbandonSafeSave(&save);
    // Each rebuilt entry has bytes of its own: the new ones go on failure, the old on success.
    for (int i = 0; i < count; i++) {
        if (entries[i].ImageData == heldBytes(i)) continue;
        free(finished == SAVE_DONE ? heldBytes(i) : entries[i].ImageData);
        entries[i].Edited = false;
    }
    if (finished != SAVE_DONE) {
        free(entries);
        ReportSaveFailure(finished, path);
        return false;
    }
    // The chosen image's decoded copy is still the image it was opened as, which the bytes
    // just written need not be: should the canvas come back to it (an undo) before another
    // image is chosen, the copy, not these bytes, is what the user left.
    if (entries[chosen].EditImage) entries[chosen].Edited = true;
    free(IconEntries);
    IconDirectory = directory;
    IconEntries = entries;
    SelectedIconImage = chosen;
    return true;
}
