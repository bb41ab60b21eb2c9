// The held icon as a set of images the user changes: one made from a picture that was no
// icon yet, images added and removed, the edited image kept while another is chosen, and a
// PNG image decoded when it is chosen.
#include "files/files.h"
#include "base/report.h"
#include <cstdlib>
#include <cstring>

static const WCHAR IconCaption[] = L"Mosaro";

static int PngBitsPerPixel(const PngHeader* header) {
    static const int Samples[7] = {1, 0, 3, 1, 2, 0, 4};
    return header->ColourType <= 6 ? header->Depth * Samples[header->ColourType] : 0;
}

// An image left with edits is told as it now is; any other as its file bytes give it.
bool IconImageFactsOf(int index, IconImageFacts* facts) {
    if (!IconEntries || index < 0 || index >= IconDirectory.idCount) return false;
    const IconEntry* e = &IconEntries[index];
    *facts = IconImageFacts{};
    facts->Png = IsPngImage(e);
    PngHeader png;
    if (e->Edited && e->EditImage) {
        facts->Width = DibWidth(e->EditImage);
        facts->Height = DibHeight(e->EditImage);
        facts->Bits = DibBitCount(e->EditImage);
    } else if (facts->Png && ReadPngHeader(e->ImageData, e->dwBytesInRes, &png)) {
        facts->Width = (int)png.Width;
        facts->Height = (int)png.Height;
        facts->Bits = PngBitsPerPixel(&png);
        // A damaged header's depth is only shown, never trusted as a shift.
        if (png.ColourType == 3 && png.Depth >= 1 && png.Depth <= 8)
            facts->Colours = 1 << png.Depth;
        return true;
    } else if (!BmpImageShape(e, &facts->Width, &facts->Height, &facts->Bits)) {
        return false;
    }
    if (facts->Bits <= 8) facts->Colours = 1 << facts->Bits;
    return true;
}

// The image in the decoded form EditImage holds: header, full colour table, pixels and the
// mask (every pixel opaque when there is none). None when memory is lacking.
static BYTE* CopyOfImage(const ImageToWrite* image, size_t* size) {
    ImageShape shape;
    if (!ImageShapeOf(image, &shape)) return nullptr;
    *size = 40 + shape.TableBytes + shape.XorBytes + shape.MaskBytes;
    BYTE* copy = (BYTE*)calloc(1, *size);
    if (!copy) return nullptr;
    MakeImageHeader(image->Info, &shape, shape.Height, copy);
    memcpy(copy + 40, image->Info->bmiColors, shape.TableBytes);
    memcpy(copy + 40 + shape.TableBytes, image->Bits, shape.XorBytes);
    if (image->Mask)
        memcpy(copy + 40 + shape.TableBytes + shape.XorBytes, image->Mask, shape.MaskBytes);
    return copy;
}

static void PointSlot(ImageSlot* slot, BYTE* image) {
    slot->Dib = image;
    slot->Bits = image ? DibBits(image) : nullptr;
    slot->AndMask = image ? EditImageMask(image) : nullptr;
    if (image) {
        slot->Width = (short)DibWidth(image);
        slot->Height = (short)DibHeight(image);
    }
}

// A slot that shows one decoded image shows another in its place.
static void RepointSlots(const BYTE* from, BYTE* to) {
    for (int s = 0; from && s < SLOT_COUNT; s++)
        if (ImageSlots[s].Dib == from) PointSlot(&ImageSlots[s], to);
}

static void FreeEntry(IconEntry* entry) {
    RepointSlots(entry->EditImage, nullptr);
    free(entry->ImageData);
    free(entry->EditImage);
    *entry = IconEntry{};
}

// Fills a new entry with the image in BMP form, as the icon writer stores it.
static bool MakeBmpEntry(const ImageToWrite* image, IconEntry* entry) {
    ImageShape shape;
    if (!ImageShapeOf(image, &shape)) return false;
    *entry = IconEntry{};
    DWORD size = MakeIconEntry(0, shape.Width, shape.Height, shape.Bits, entry);
    return StoreIconImage(true, entry, shape.Bits, shape.Width, shape.Height, size, image->Info,
                          image->Bits, image->Mask);
}

bool HoldImageAsIcon(int slot, const ImageToWrite* image) {
    if (slot < 0 || slot >= SLOT_COUNT) return false;
    IconEntry* entries = (IconEntry*)calloc(1, sizeof(IconEntry));
    size_t size;
    BYTE* copy = entries ? CopyOfImage(image, &size) : nullptr;
    if (!copy || !MakeBmpEntry(image, entries)) {
        free(copy);
        if (entries) free(entries->ImageData);
        free(entries);
        return false;
    }
    // The canvas keeps its pixels as they are (the file's form blackens those under
    // transparent ones), so the decoded copy is the canvas's own.
    entries->EditImage = copy;
    ReleaseHeldIcon();
    IconDirectory = IconDir{0, ICON_TYPE_ICON, 1};
    IconEntries = entries;
    SelectedIconImage = 0;
    return SelectIconImage(slot, 0);
}

// Fills a new entry with a 32-bit image as PNG: its colours and alpha, alpha 0 where the mask
// is transparent (a drawn pixel's alpha 0 is opaque, as in BMP form).
static bool MakePngEntry(const ImageToWrite* image, IconEntry* entry) {
    ImageShape shape;
    if (!ImageShapeOf(image, &shape) || shape.Bits != 32) return false;
    size_t stride = (size_t)shape.Width * 4, maskStride = DibStride(shape.Width, 1);
    BYTE* pixels = (BYTE*)malloc(stride * shape.Height);
    if (!pixels) return false;
    for (int y = 0; y < shape.Height; y++) {
        int row = shape.Height - 1 - y; // stored bottom-up, written top-down
        const BYTE* from = image->Bits + row * stride;
        BYTE* to = pixels + y * stride;
        memcpy(to, from, stride);
        for (int x = 0; x < shape.Width; x++) {
            bool clear = image->Mask && (image->Mask[row * maskStride + x / 8] >> (7 - x % 8)) & 1;
            to[4 * x + 3] = clear ? 0 : from[4 * x + 3] ? from[4 * x + 3] : 255;
        }
    }
    BYTE* png = nullptr;
    size_t size = 0;
    bool written = WritePngPixels(shape.Width, shape.Height, false, pixels, &png, &size);
    free(pixels);
    *entry = IconEntry{};
    if (!written || size > 0xFFFFFFFFu) {
        free(png);
        return false;
    }
    FillPngEntry(shape.Width, shape.Height, png, size, entry);
    return true;
}

bool PutIconImage(int index, const ImageToWrite* image, bool png) {
    int count = IconDirectory.idCount;
    if (!IconEntries || index < 0 || index > count || (index == count && count >= 0xFFFF))
        return false;
    IconEntry entry;
    if (!(png ? MakePngEntry(image, &entry) : MakeBmpEntry(image, &entry))) return false;
    // A cursor's entry holds the hot spot there: a new image's is its top left corner.
    if (IconDirectory.idType == ICON_TYPE_CURSOR) {
        entry.wPlanes = index < count ? IconEntries[index].wPlanes : 0;
        entry.wBitCount = index < count ? IconEntries[index].wBitCount : 0;
    }
    if (index < count) {
        FreeEntry(&IconEntries[index]);
        IconEntries[index] = entry;
        return true;
    }
    IconEntry* grown = (IconEntry*)realloc(IconEntries, (count + 1) * sizeof(IconEntry));
    if (!grown) {
        free(entry.ImageData);
        return false;
    }
    grown[count] = entry;
    IconEntries = grown;
    IconDirectory.idCount = (WORD)(count + 1);
    return true;
}

bool IconImageOf(int index, const WCHAR* name, ImageToWrite* image) {
    if (!IconEntries || index < 0 || index >= IconDirectory.idCount) return false;
    IconEntry* e = &IconEntries[index];
    bool noMemory = false;
    if (!e->EditImage && !(IsPngImage(e) ? DecodePngImage(e, name) : DecodeIconImage(e, &noMemory)))
        return false;
    *image = ImageToWrite{(const BITMAPINFO*)e->EditImage, DibBits(e->EditImage),
                          EditImageMask(e->EditImage)};
    return true;
}

// Size, then depth, then form: the order the images are listed and written in.
static long long SortKey(int index) {
    IconImageFacts f = {};
    IconImageFactsOf(index, &f);
    return ((long long)f.Width * f.Height << 24) | (long long)f.Width << 7 | f.Bits << 1 | f.Png;
}

void SortIconImages() {
    int count = IconDirectory.idCount;
    if (!IconEntries || count < 2) return;
    long long* keys = (long long*)malloc(count * sizeof(long long));
    if (!keys) return; // the order stays as it is
    for (int i = 0; i < count; i++)
        keys[i] = SortKey(i);
    // A few images: insertion sort, which keeps images of equal key in their order.
    const BYTE* chosen = IconEntries[SelectedIconImage].ImageData;
    for (int i = 1; i < count; i++) {
        IconEntry entry = IconEntries[i];
        long long key = keys[i];
        int j = i;
        for (; j > 0 && keys[j - 1] > key; j--) {
            IconEntries[j] = IconEntries[j - 1];
            keys[j] = keys[j - 1];
        }
        IconEntries[j] = entry;
        keys[j] = key;
    }
    for (int i = 0; i < count; i++)
        if (IconEntries[i].ImageData == chosen) SelectedIconImage = i;
    free(keys);
}

bool CursorHotSpot(int index, POINT* spot) {
    if (!IconEntries || IconDirectory.idType != ICON_TYPE_CURSOR || index < 0 ||
        index >= IconDirectory.idCount)
        return false;
    *spot = POINT{IconEntries[index].wPlanes, IconEntries[index].wBitCount};
    return true;
}

bool SetCursorHotSpot(int index, POINT spot) {
    POINT was;
    if (!CursorHotSpot(index, &was) || spot.x < 0 || spot.y < 0 || spot.x > 0xFFFF ||
        spot.y > 0xFFFF)
        return false;
    IconEntries[index].wPlanes = (WORD)spot.x;
    IconEntries[index].wBitCount = (WORD)spot.y;
    return true;
}

bool RemoveIconImage(int index) {
    int count = IconDirectory.idCount;
    if (!IconEntries || count <= 1 || index < 0 || index >= count || index == SelectedIconImage)
        return false;
    FreeEntry(&IconEntries[index]);
    memmove(&IconEntries[index], &IconEntries[index + 1], (count - 1 - index) * sizeof(IconEntry));
    IconDirectory.idCount = (WORD)(count - 1);
    if (index < SelectedIconImage) SelectedIconImage--;
    return true;
}

bool KeepEditedImage(int slot, const ImageToWrite* image) {
    if (!IconEntries || slot < 0 || slot >= SLOT_COUNT) return false;
    IconEntry* e = &IconEntries[SelectedIconImage];
    size_t size;
    BYTE* copy = CopyOfImage(image, &size);
    if (!copy) return false;
    // An image left as it was decoded stays as it is: its file bytes are still right.
    BYTE* old = e->EditImage;
    if (old && DibWidth(old) == DibWidth(copy) && DibHeight(old) == DibHeight(copy) &&
        DibBitCount(old) == DibBitCount(copy) && memcmp(old + 40, copy + 40, size - 40) == 0) {
        free(copy);
        return true;
    }
    RepointSlots(old, copy);
    PointSlot(&ImageSlots[slot], copy);
    free(old);
    e->EditImage = copy;
    e->Edited = true;
    return true;
}

bool DecodePngImage(IconEntry* entry, const WCHAR* name) {
    BYTE* image = nullptr;
    switch (DecodeIconPng(entry->ImageData, entry->dwBytesInRes, &image)) {
    case PNG_OK: entry->EditImage = image; return true;
    case PNG_DAMAGED: ReportError(nullptr, L"Damaged PNG image :%s", name, IconCaption); break;
    case PNG_TOO_LARGE:
        ReportError(nullptr, L"PNG image too large to edit :%s", name, IconCaption);
        break;
    case PNG_UNSUPPORTED:
        ReportError(nullptr, L"PNG images cannot be read here :%s", name, IconCaption);
        break;
    default: ReportError(nullptr, L"Could not allocate any memory :%s", name, IconCaption); break;
    }
    return false;
}

bool SwitchIconImage(int slot, int index, const WCHAR* name) {
    if (!IconEntries || index < 0 || index >= IconDirectory.idCount) return false;
    IconEntry* e = &IconEntries[index];
    if (!e->EditImage && IsPngImage(e) && !DecodePngImage(e, name)) return false;
    if (!SelectIconImage(slot, index)) return false;
    SelectedIconImage = index;
    IconHasTransparency = IconMaskHasTransparency(slot) != 0;
    return true;
}
