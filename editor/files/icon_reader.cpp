// Reads an icon file whole into the held icon and points a slot at one of its images. The
// images are found through the directory and checked against the file; every image is held
// as its file bytes, and the one chosen for editing, BMP or PNG, is decoded into the
// canvas's form.
#include "files/files.h"
#include "base/report.h"
#include <cstdlib>
#include <cstring>

IconDir IconDirectory;
IconEntry* IconEntries;
int SelectedIconImage;
bool IconHasTransparency;

static const WCHAR IconCaption[] = L"Mosaro";

bool IsPngImage(const IconEntry* entry) {
    return IsPngData(entry->ImageData, entry->dwBytesInRes);
}

static void FreeEntries(IconEntry* entries, int count) {
    if (!entries) return;
    for (int i = 0; i < count; i++) {
        free(entries[i].ImageData);
        free(entries[i].EditImage);
    }
    free(entries);
}

void ReleaseHeldIcon() {
    if (IconEntries) {
        // A slot pointing at a held image must not keep a pointer into freed memory.
        for (int i = 0; i < IconDirectory.idCount; i++) {
            BYTE* image = IconEntries[i].EditImage;
            for (int s = 0; image && s < SLOT_COUNT; s++) {
                if (ImageSlots[s].Dib == image) {
                    ImageSlots[s].Dib = nullptr;
                    ImageSlots[s].Bits = nullptr;
                    ImageSlots[s].AndMask = nullptr;
                }
            }
        }
    }
    FreeEntries(IconEntries, IconDirectory.idCount);
    IconEntries = nullptr;
    IconDirectory.idCount = 0;
    IconHasTransparency = false;
}

static void ReportIconError(const WCHAR* format, const WCHAR* name, const WCHAR* caption) {
    ReportError(nullptr, format, name, caption);
}

static void ShowNoIconImage() {
    MessageBoxW(nullptr, L"Could not open ICON file", L"BITMAP", MB_OK | MB_ICONEXCLAMATION);
}

static void ParseEntry(const BYTE* bytes, bool cursor, IconEntry* e) {
    e->bWidth = bytes[0];
    e->bHeight = bytes[1];
    e->bColorCount = bytes[2];
    e->bReserved = bytes[3];
    e->wPlanes = (WORD)ReadLE16(bytes + 4);
    e->wBitCount = (WORD)ReadLE16(bytes + 6);
    e->dwBytesInRes = ReadLE32(bytes + 8);
    e->dwImageOffset = ReadLE32(bytes + 12);
    if (e->wPlanes == 0 && !cursor) e->wPlanes = 1;
}

// A PNG image whose directory size falls short of its own chunks, which run on whole in the
// file, is read to where they end (never past the file), as other programs read it.
static bool ReadRestOfPng(FILE* file, size_t length, IconEntry* e, bool* noMemory) {
    size_t available = length - e->dwImageOffset;
    if (!IsPngImage(e) || PngEnded(e->ImageData, e->dwBytesInRes) ||
        available <= e->dwBytesInRes)
        return true;
    if (available > MAX_IMAGE_BYTES) available = MAX_IMAGE_BYTES;
    BYTE* all = (BYTE*)malloc(available);
    *noMemory = !all;
    if (!all || fseek(file, (long)e->dwImageOffset, SEEK_SET) != 0 ||
        !ReadPieces(file, all, available)) {
        free(all);
        return false;
    }
    size_t end = PngChunksEnd(all, available);
    if (end <= e->dwBytesInRes) {
        free(all);
        return true;
    }
    BYTE* kept = (BYTE*)realloc(all, end);
    free(e->ImageData);
    e->ImageData = kept ? kept : all;
    e->dwBytesInRes = (DWORD)end;
    return true;
}

// Reads every image at its place in the file. Images may not overlap the directory, run
// past the end of the file, or add up to more than the file holds.
static bool ReadIconImages(FILE* file, size_t length, IconEntry* entries, int count,
                           bool* noMemory) {
    size_t directoryEnd = 6 + 16 * (size_t)count, total = directoryEnd;
    for (int i = 0; i < count; i++) {
        IconEntry* e = &entries[i];
        if (e->dwBytesInRes == 0 || e->dwImageOffset < directoryEnd || e->dwImageOffset > length ||
            e->dwBytesInRes > length - e->dwImageOffset)
            return false;
        total += e->dwBytesInRes;
        if (total > length) return false;
        e->ImageData = (BYTE*)calloc(1, e->dwBytesInRes);
        *noMemory = !e->ImageData;
        if (!e->ImageData || fseek(file, (long)e->dwImageOffset, SEEK_SET) != 0 ||
            !ReadPieces(file, e->ImageData, e->dwBytesInRes) ||
            !ReadRestOfPng(file, length, e, noMemory))
            return false;
    }
    return true;
}

// Every BMP image must be sound; the candidate is the first 32 pixels wide by its own
// header, else the first one. An icon of PNG images alone gives its first PNG 32 pixels wide,
// else its first. -1 when a BMP image is broken.
static int ChooseIconImage(IconEntry* entries, int count, bool cursor) {
    int first = -1, wide = -1, firstPng = -1, widePng = -1;
    for (int i = 0; i < count; i++) {
        IconEntry* e = &entries[i];
        PngHeader png;
        if (IsPngImage(e)) {
            if (firstPng < 0) firstPng = i;
            if (widePng < 0 && ReadPngHeader(e->ImageData, e->dwBytesInRes, &png) &&
                png.Width == 32)
                widePng = i;
            continue;
        }
        int width, height, bits;
        if (!BmpImageShape(e, &width, &height, &bits)) return -1;
        if (e->wBitCount == 0 && !cursor) e->wBitCount = (WORD)bits;
        if (first < 0) first = i;
        if (wide < 0 && width == 32) wide = i;
    }
    if (first >= 0) return wide >= 0 ? wide : first;
    return widePng >= 0 ? widePng : firstPng;
}

// Reads the directory and images into a new icon; the held icon is replaced only when the
// whole file was read and its chosen image decoded.
static bool ReadIcon(FILE* file, const WCHAR* path, IconDir* directory, IconEntry** result,
                     int* chosen) {
    size_t length;
    BYTE head[6];
    if (!FileLength(file, &length) || fread(head, 1, 6, file) != 6) {
        ReportIconError(L"Could not read a ICONDIR :%s", path, L"ReadICON");
        return false;
    }
    directory->idReserved = (WORD)ReadLE16(head);
    directory->idType = (WORD)ReadLE16(head + 2);
    directory->idCount = (WORD)ReadLE16(head + 4);
    // Other programs refuse any other header, so one is never opened, nor written back.
    if (directory->idReserved != 0 ||
        (directory->idType != ICON_TYPE_ICON && directory->idType != ICON_TYPE_CURSOR)) {
        ReportIconError(L"Not an icon or cursor file :%s", path, L"ReadICON");
        return false;
    }
    bool cursor = directory->idType == ICON_TYPE_CURSOR;
    int count = directory->idCount;
    if (count == 0) {
        ShowNoIconImage();
        return false;
    }
    IconEntry* entries = (IconEntry*)calloc(count, sizeof(IconEntry));
    if (!entries) {
        ReportIconError(L"Could not allocate any memory :%s", path, IconCaption);
        return false;
    }
    for (int i = 0; i < count; i++) {
        BYTE bytes[16];
        if (fread(bytes, 1, 16, file) != 16) {
            FreeEntries(entries, count);
            ReportIconError(L"Could not read a ICONDIRENTRY :%s", path, L"ReadICON");
            return false;
        }
        ParseEntry(bytes, cursor, &entries[i]);
    }
    int candidate = -1;
    bool noMemory = false;
    if (ReadIconImages(file, length, entries, count, &noMemory))
        candidate = ChooseIconImage(entries, count, cursor);
    // A PNG that cannot be decoded has been told of, naming the file.
    if (candidate >= 0 && !noMemory && IsPngImage(&entries[candidate]) &&
        !DecodePngImage(&entries[candidate], path)) {
        FreeEntries(entries, count);
        return false;
    }
    if (candidate < 0 || noMemory ||
        (!entries[candidate].EditImage && !DecodeIconImage(&entries[candidate], &noMemory))) {
        FreeEntries(entries, count);
        ReportIconError(noMemory ? L"Could not allocate any memory :%s" : L"Wrong Header size!:%s",
                        path, IconCaption);
        return false;
    }
    *result = entries;
    *chosen = candidate;
    return true;
}

bool ReadIconFile(const WCHAR* path) {
    FILE* file = OpenFileStream(path, L"rb");
    if (!file) {
        ReportIconError(L"Could not open a file :%s", path, IconCaption);
        return false;
    }
    IconDir directory;
    IconEntry* entries = nullptr;
    int chosen = 0;
    bool read = ReadIcon(file, path, &directory, &entries, &chosen);
    fclose(file);
    if (!read) return false;
    ReleaseHeldIcon();
    IconDirectory = directory;
    IconEntries = entries;
    SelectedIconImage = chosen;
    return true;
}

bool SelectIconImage(int slot, int image) {
    bool noMemory = false;
    if (slot < 0 || slot >= SLOT_COUNT || !IconEntries || image < 0 ||
        image >= IconDirectory.idCount || !IconEntries[image].ImageData ||
        (!IconEntries[image].EditImage && !DecodeIconImage(&IconEntries[image], &noMemory))) {
        ShowNoIconImage();
        return false;
    }
    ImageSlot* s = &ImageSlots[slot];
    s->Dib = IconEntries[image].EditImage;
    s->Bits = DibBits(s->Dib);
    s->Width = (short)DibWidth(s->Dib);
    s->Height = (short)DibHeight(s->Dib);
    s->AndMask = EditImageMask(s->Dib);
    return true;
}

// Looks at every pixel of the mask, leaving out the padding at the end of each row.
int IconMaskHasTransparency(int slot) {
    if (slot < 0 || slot >= SLOT_COUNT || !ImageSlots[slot].AndMask) return 0;
    const ImageSlot* s = &ImageSlots[slot];
    size_t stride = DibStride(s->Width, 1);
    for (int y = 0; y < s->Height; y++) {
        const BYTE* row = s->AndMask + y * stride;
        for (int x = 0; x < s->Width; x += 8) {
            int bits = s->Width - x < 8 ? s->Width - x : 8;
            if (row[x / 8] & (BYTE)(0xFF00 >> bits)) return (int)((y * stride + x / 8) / 4) + 1;
        }
    }
    return 0;
}

bool OpenIconIntoSlot(HWND owner, int slot) {
    if (slot < 0 || slot >= SLOT_COUNT) return false;
    ImageSlot* s = &ImageSlots[slot];
    PrepareIconDialog(owner, s->Path, s->Directory);
    if (!s->Path[0] && !RunOpenDialog(owner, s->Directory, s->Path, s->Title)) return false;
    if (!ReadIconFile(s->Path)) return false;
    // A bitmap read before, in a block or a section of its own, is done with.
    if (SlotBitmapMemory[slot] || SlotBitmapSection[slot]) {
        FreeSlotBitmap(slot);
        s->Dib = nullptr;
    }
    if (!SelectIconImage(slot, SelectedIconImage)) return false;
    IconHasTransparency = IconMaskHasTransparency(slot) != 0;
    return true;
}
