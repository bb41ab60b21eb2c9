// Writes the image as an icon file: alone, or put back into the held icon in place of the
// image chosen for editing, every other held image written back as it was read.
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
    else if (finished == SAVE_REPLACE_FAILED)
        ReportError(nullptr, L"Could not open a file :%s", path, L"Mosaro");
}

// The icon to write is put together in a copy of the held directory, so that a failed save
// leaves the held icon as it was; it becomes the held icon once the file is in place.
bool WriteIconFile(const WCHAR* path, const ImageToWrite* image) {
    ImageShape shape;
    bool shaped = ImageShapeOf(image, &shape);
    if (shaped && (shape.Width > 256 || shape.Height > 256)) {
        ReportError(nullptr, L"An icon image can be at most 256 x 256 pixels :%s", path, L"Mosaro");
        return false;
    }
    SafeSave save;
    if (!shaped || !BeginSafeSave(path, &save)) {
        ReportError(nullptr, L"Could not open a file :%s", path, L"Mosaro");
        return false;
    }
    IconDir directory = IconEntries ? IconDirectory : IconDir{0, ICON_TYPE_ICON, 1};
    int chosen = IconEntries ? SelectedIconImage : 0;
    IconEntry* entries = (IconEntry*)calloc(directory.idCount, sizeof(IconEntry));
    if (!entries) {
        AbandonSafeSave(&save);
        return false;
    }
    if (IconEntries) memcpy(entries, IconEntries, directory.idCount * sizeof(IconEntry));
    IconEntry* target = &entries[chosen];
    // A cursor's entry holds the image's hot spot where an icon's holds planes and bit count.
    WORD hotSpotX = target->wPlanes, hotSpotY = target->wBitCount;
    DWORD size = MakeIconEntry(0, shape.Width, shape.Height, shape.Bits, target);
    if (directory.idType == ICON_TYPE_CURSOR) {
        target->wPlanes = hotSpotX;
        target->wBitCount = hotSpotY;
    }
    target->ImageData = nullptr;
    bool stored = StoreIconImage(true, target, shape.Bits, shape.Width, shape.Height, size,
                                 image->Info, image->Bits, image->Mask);
    DWORD offset = 6 + 16 * (DWORD)directory.idCount;
    for (int i = 0; i < directory.idCount; i++) {
        entries[i].dwImageOffset = offset;
        offset += entries[i].dwBytesInRes;
    }
    int finished = SAVE_WRITE_FAILED;
    if (stored && WriteIcon(save.File, &directory, entries))
        finished = FinishSafeSave(&save);
    else
        AbandonSafeSave(&save);
    if (finished != SAVE_DONE) {
        free(target->ImageData);
        free(entries);
        ReportSaveFailure(finished, path);
        return false;
    }
    if (IconEntries) {
        free(IconEntries[chosen].ImageData);
        free(IconEntries);
    }
    IconDirectory = directory;
    IconEntries = entries;
    SelectedIconImage = chosen;
    return true;
}
