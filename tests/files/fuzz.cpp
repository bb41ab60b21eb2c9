// Fuzz test of the readers and the canvas's load: valid bitmaps and icons of many forms are
// mutated (header fields, sizes, counts, offsets, truncation, stray bytes) and each result
// is opened as the open commands do, taken by the canvas and, when accepted, saved and read
// again. Nothing may crash or hang; every refusal must show its message, every acceptance
// none; an accepted image must be in the canvas's form and the canvas must take it. Each
// seed, unchanged, must open with exactly the picture it was built from. The program's blocks
// of file data and decoded images lie against an inaccessible page, so a read or write of one
// byte past them crashes the case; a sample of the saved files is left for Pillow and
// ImageMagick to read (interop.py).
// PIXMORA_FUZZ_CASES (default 10000) and PIXMORA_FUZZ_SEED (default 1) steer a run,
// PIXMORA_FUZZ_GUARD=before puts the page before each block instead of after it, and
// PIXMORA_FUZZ_SAMPLE_DIR names the folder for the sample.
#include "canvas/canvas.h"
#include "file_builders.h"
#include "files_test_support.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include "test_support.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <cstdint>
#include <cwchar>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// ---- Message boxes: recorded without being shown ---------------------------------------------
// A real box costs tens of milliseconds under Wine; thousands of refusals would take
// minutes. The program's own import of MessageBoxW is pointed here instead, so each message
// the readers give is recorded, caption and text, and answered OK at once.
std::vector<std::wstring> Shown;

int WINAPI RecordBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    Shown.push_back(std::wstring(caption ? caption : L"") + L": " + (text ? text : L""));
    return IDOK;
}

// Points the program's import of a function at a replacement; the original, when asked for.
bool RedirectImport(const char* dll, const char* name, void* replacement, void** original) {
    BYTE* base = (BYTE*)GetModuleHandleW(nullptr);
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = (IMAGE_IMPORT_DESCRIPTOR*)(base + dir.VirtualAddress); d->Name; d++) {
        if (lstrcmpiA((char*)(base + d->Name), dll) != 0) continue;
        auto* names = (IMAGE_THUNK_DATA*)(base + d->OriginalFirstThunk);
        auto* slots = (IMAGE_THUNK_DATA*)(base + d->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
            if (lstrcmpA((char*)byName->Name, name) != 0) continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            if (original) *original = (void*)slots->u1.Function;
            slots->u1.Function = (ULONG_PTR)replacement;
            VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            return true;
        }
    }
    return false;
}

// ---- Blocks against an inaccessible page ------------------------------------------------
// The program's file data and decoded images come from calloc (icons) and LocalAlloc
// (bitmaps, DIB headers). Each such block gets pages of its own with an inaccessible page
// right after its last byte, or right before its first (GuardBefore); other memory goes to
// the runtime as usual. A touch of the page is reported with the case that made it.
bool GuardBefore;
int CurrentCase;
const size_t PageBytes = 4096;
struct GuardedBlock {
    BYTE* pages;
    size_t size;
    BYTE* guard;
};
std::unordered_map<const void*, GuardedBlock> GuardedBlocks;

void* AllocateGuarded(size_t size) {
    size_t used = size ? size : 1, pages = (used + PageBytes - 1) / PageBytes;
    BYTE* base = (BYTE*)VirtualAlloc(nullptr, (pages + 1) * PageBytes, MEM_RESERVE | MEM_COMMIT,
                                     PAGE_READWRITE);
    if (!base) return nullptr;
    BYTE* guard = GuardBefore ? base : base + pages * PageBytes;
    DWORD old;
    VirtualProtect(guard, PageBytes, PAGE_NOACCESS, &old);
    BYTE* block = GuardBefore ? base + PageBytes : guard - used;
    GuardedBlocks[block] = {base, size, guard};
    return block; // zero-filled, as VirtualAlloc gives it
}

bool ReleaseGuarded(const void* block) {
    auto found = GuardedBlocks.find(block);
    if (found == GuardedBlocks.end()) return false;
    VirtualFree(found->second.pages, 0, MEM_RELEASE);
    GuardedBlocks.erase(found);
    return true;
}

void* (*RuntimeRealloc)(void*, size_t);
void (*RuntimeFree)(void*);
HLOCAL(WINAPI* PlatformLocalFree)(HLOCAL);
HLOCAL(WINAPI* PlatformLocalAlloc)(UINT, SIZE_T);
SIZE_T(WINAPI* PlatformLocalSize)(HLOCAL);

void* GuardedCalloc(size_t count, size_t size) {
    return size && count > SIZE_MAX / size ? nullptr : AllocateGuarded(count * size);
}
void GuardedFree(void* block) {
    if (!ReleaseGuarded(block)) RuntimeFree(block);
}
void* GuardedRealloc(void* block, size_t size) {
    auto found = GuardedBlocks.find(block);
    if (found == GuardedBlocks.end()) return RuntimeRealloc(block, size);
    void* moved = AllocateGuarded(size);
    if (!moved) return nullptr;
    memcpy(moved, block, size < found->second.size ? size : found->second.size);
    ReleaseGuarded(block);
    return moved;
}
HLOCAL WINAPI GuardedLocalAlloc(UINT flags, SIZE_T size) {
    if (flags & LMEM_MOVEABLE) return PlatformLocalAlloc(flags, size);
    return (HLOCAL)AllocateGuarded(size);
}
HLOCAL WINAPI GuardedLocalFree(HLOCAL block) {
    return ReleaseGuarded(block) ? nullptr : PlatformLocalFree(block);
}
SIZE_T WINAPI GuardedLocalSize(HLOCAL block) {
    auto found = GuardedBlocks.find(block);
    return found == GuardedBlocks.end() ? PlatformLocalSize(block) : found->second.size;
}

LONG WINAPI ReportGuardTouched(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* r = exception->ExceptionRecord;
    if (r->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || r->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    BYTE* address = (BYTE*)r->ExceptionInformation[1];
    for (const auto& [block, guarded] : GuardedBlocks) {
        if (address < guarded.guard || address >= guarded.guard + PageBytes) continue;
        printf("case %d: %s %lld bytes %s a block of %llu bytes\n", CurrentCase,
               r->ExceptionInformation[0] ? "wrote" : "read",
               GuardBefore ? (long long)((BYTE*)block - address)
                           : (long long)(address - ((BYTE*)block + guarded.size)) + 1,
               GuardBefore ? "before" : "after", (unsigned long long)guarded.size);
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

bool GuardFileBlocks() {
    AddVectoredExceptionHandler(1, ReportGuardTouched);
    // Those that let blocks go first, so no guarded block ever reaches the runtime's own.
    return RedirectImport("msvcrt.dll", "free", (void*)GuardedFree, (void**)&RuntimeFree) &&
           RedirectImport("msvcrt.dll", "realloc", (void*)GuardedRealloc,
                          (void**)&RuntimeRealloc) &&
           RedirectImport("msvcrt.dll", "calloc", (void*)GuardedCalloc, nullptr) &&
           RedirectImport("kernel32.dll", "LocalFree", (void*)GuardedLocalFree,
                          (void**)&PlatformLocalFree) &&
           RedirectImport("kernel32.dll", "LocalSize", (void*)GuardedLocalSize,
                          (void**)&PlatformLocalSize) &&
           RedirectImport("kernel32.dll", "LocalAlloc", (void*)GuardedLocalAlloc,
                          (void**)&PlatformLocalAlloc);
}

// ---- A small generator of its own, so a seed gives the same run everywhere --------------
unsigned long long RandomState;
DWORD Random() {
    RandomState = RandomState * 6364136223846793005ull + 1442695040888963407ull;
    return (DWORD)(RandomState >> 33);
}
DWORD Below(DWORD n) {
    return n ? Random() % n : 0;
}

// ---- Seeds ----------------------------------------------------------------------------------
struct Seed {
    Bytes bytes;
    bool icon;
    std::vector<size_t> fields; // offsets of 32-bit and 16-bit fields worth changing
    // The picture the builder put in, as the file must open unchanged: its size, colours
    // and, for an icon, its transparent pixels.
    int width, height;
    std::function<COLORREF(int, int)> colour;
    std::function<bool(int, int)> transparent;
};

DWORD Pattern(int x, int y) {
    return (DWORD)(x * 3 + y * 7);
}

COLORREF EntryColour(const std::vector<RGBQUAD>& table, DWORD index) {
    return RGB(table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue);
}

// A channel of 0 to 255 as it comes back from a field of mask's width: cut the way the builder
// stores it (the top bits for 16-bit pixels without masks, else scaled) and spread again.
BYTE ThroughField(BYTE value, DWORD mask, bool scaled) {
    while (mask && !(mask & 1))
        mask >>= 1;
    int width = 0;
    while (mask >> width)
        width++;
    DWORD stored = scaled ? value * mask / 255 : value >> (8 - width);
    return (BYTE)(stored * 255 / mask);
}

// The colour a value of the builder stands for once stored in form f.
COLORREF StoredColour(const BmpForm& f, const std::vector<RGBQUAD>& table, DWORD v) {
    if (f.bits <= 8) return EntryColour(table, v);
    BYTE r = (BYTE)(v >> 16), g = (BYTE)(v >> 8), b = (BYTE)v;
    if (f.bits != 16) return RGB(r, g, b);
    bool fields = f.compression == BI_BITFIELDS;
    DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (fields) memcpy(masks, f.masks, sizeof masks);
    return RGB(ThroughField(r, masks[0], fields), ThroughField(g, masks[1], fields),
               ThroughField(b, masks[2], fields));
}

std::vector<Seed> MakeSeeds() {
    std::vector<Seed> seeds;
    std::vector<size_t> bmpFields = {2, 10, 14, 18, 22, 26, 28, 30, 34, 46, 50, 54, 58, 62};
    std::vector<RGBQUAD> grey = GreyTable(256);
    auto bmp = [&](BmpForm f, int w, int h) {
        auto pixel = [f](int x, int y) {
            return f.bits <= 8 ? Pattern(x, y) % (1u << f.bits) : Pattern(x, y) * 0x010305u;
        };
        seeds.push_back({MakeBmpFile(f, w, h, grey, pixel), false, bmpFields, w, h,
                         [=](int x, int y) { return StoredColour(f, grey, pixel(x, y)); },
                         nullptr});
    };
    for (int bits : {1, 2, 4, 8, 16, 24, 32}) {
        BmpForm f;
        f.bits = bits;
        bmp(f, 13, 9);
        f.topDown = true;
        bmp(f, 16, 16);
        if (bits != 16 && bits != 32) {
            f.topDown = false;
            f.headerSize = 12;
            bmp(f, 7, 5);
        }
    }
    BmpForm rle8, rle4, fields, v5;
    rle8.bits = 8;
    rle8.compression = BI_RLE8;
    bmp(rle8, 20, 11);
    rle4.bits = 4;
    rle4.compression = BI_RLE4;
    bmp(rle4, 21, 10);
    fields.bits = 16;
    fields.compression = BI_BITFIELDS;
    fields.masks[0] = 0xF800;
    fields.masks[1] = 0x07E0;
    fields.masks[2] = 0x001F;
    bmp(fields, 9, 9);
    v5.bits = 32;
    v5.headerSize = 124;
    v5.compression = BI_BITFIELDS;
    v5.masks[0] = 0xFF0000;
    v5.masks[1] = 0xFF00;
    v5.masks[2] = 0xFF;
    v5.masks[3] = 0xFF000000;
    v5.gap = 6;
    bmp(v5, 10, 6);

    auto icon = [](int size, int bits) {
        IconImage im;
        im.width = im.height = size;
        im.bits = bits;
        im.table = GreyTable(bits <= 8 ? 1 << bits : 0);
        // Pixels of alpha 0 (some, in a 32-bit image) are transparent besides the mask's.
        im.pixel = [bits](int x, int y) {
            return bits <= 8 ? Pattern(x, y) % (1u << bits)
                             : (x % 7 == 3 ? 0 : 0xFF000000u) | Pattern(x, y) * 0x030201u;
        };
        im.transparent = [](int x, int y) { return (x + y) % 5 == 0; };
        return im;
    };
    IconImage png;
    png.width = png.height = 24;
    png.png = MakeSolidPng(24, 24, 0x336699FF);
    // Each icon with the image the reader chooses: the first 32 wide, else the first in BMP
    // form.
    std::vector<std::pair<std::vector<IconImage>, size_t>> icons = {
        {{icon(16, 4)}, 0},
        {{icon(16, 4), icon(32, 4)}, 1},
        {{icon(32, 8), icon(16, 1), png}, 0},
        {{png, icon(32, 32)}, 1},
        {{icon(48, 24), icon(16, 8)}, 0},
    };
    for (auto& [images, chosen] : icons) {
        const IconImage& edited = images[chosen];
        auto colour = [edited](int x, int y) {
            DWORD v = edited.pixel(x, y);
            return edited.bits <= 8 ? EntryColour(edited.table, v)
                                    : RGB(v >> 16, (v >> 8) & 255, v & 255);
        };
        auto transparent = [edited](int x, int y) {
            return edited.transparent(x, y) || (edited.bits == 32 && !(edited.pixel(x, y) >> 24));
        };
        Seed s{MakeIconFile(images), true,   {2, 4},     edited.width,
               edited.height,        colour, transparent};
        for (size_t i = 0; i < images.size(); i++) {
            size_t e = 6 + 16 * i;
            for (size_t at : {e, e + 4, e + 6, e + 8, e + 12})
                s.fields.push_back(at);
            size_t block = GetLE32(s.bytes, e + 12);
            for (size_t at : {0, 4, 8, 14, 16, 32})
                s.fields.push_back(block + at);
        }
        seeds.push_back(s);
    }
    return seeds;
}

// ---- Mutations
// ------------------------------------------------------------------------------------
DWORD InterestingValue(size_t fileSize) {
    static const DWORD values[] = {
        0,     1,     2,     3,     4,          8,          12,         16,         24,
        32,    40,    52,    56,    64,         108,        124,        255,        256,
        32767, 32768, 65535, 65536, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFF8000};
    switch (Below(4)) {
    case 0: return (DWORD)fileSize + Below(9) - 4;
    case 1: return Random();
    default: return values[Below(sizeof values / sizeof values[0])];
    }
}

void Mutate(const Seed& seed, Bytes& b) {
    int count = 1 + Below(3);
    for (int i = 0; i < count && !b.empty(); i++) {
        switch (Below(6)) {
        case 0:
        case 1: { // a header field
            size_t at = seed.fields[Below((DWORD)seed.fields.size())];
            DWORD value = InterestingValue(b.size());
            int width = Below(2) ? 4 : 2;
            for (int k = 0; k < width && at + k < b.size(); k++)
                b[at + k] = (BYTE)(value >> (8 * k));
            break;
        }
        case 2: // a small change to a field
            b[Below((DWORD)b.size())] += (BYTE)(Below(5) - 2);
            break;
        case 3: // stray bytes
            for (DWORD n = 1 + Below(8); n; n--)
                b[Below((DWORD)b.size())] = (BYTE)Random();
            break;
        case 4: // cut short
            b.resize(Below((DWORD)b.size() + 1));
            break;
        default: // grown
            for (DWORD n = 1 + Below(64); n; n--)
                b.push_back((BYTE)Random());
            break;
        }
    }
}

// ---- Checks ---------------------------------------------------------------------------------
int Failures, Loaded, Saved;

// A negative number names a seed opened unchanged: -1 the first.
void Fail(int number, const std::string& what) {
    if (++Failures > 20) return;
    if (number < 0)
        printf("seed %d, unchanged: %s\n", -1 - number, what.c_str());
    else
        printf("case %d: %s\n", number, what.c_str());
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// A refusal ends in the reader's messages: for a bitmap the open command's own after any
// of the reader's, for an icon one of the reader's.
bool KnownRefusal(bool icon) {
    static const wchar_t* const known[] = {L"VornDib: Could not open a file :",
                                           L"VornDib: Could not read a BITMAPFILEHEADER :",
                                           L"VornDib: Could not read bitmap bits :",
                                           L"VornDib: Could not allocate any memory :",
                                           L"VornDib: Wrong header size :",
                                           L"VornDib: Wrong image size :",
                                           L"VornDib: Unsupported bitmap format :",
                                           L"Mosaro: Wrong Header size!:",
                                           L"Mosaro: The icon holds no image in BMP form :",
                                           L"Mosaro: Could not allocate any memory :",
                                           L"Mosaro: Damaged PNG image :",
                                           L"ReadICON: Could not read a ICONDIR :",
                                           L"ReadICON: Could not read a ICONDIRENTRY :",
                                           L"ReadICON: Not an icon or cursor file :",
                                           L"BITMAP: Could not open ICON file",
                                           L"BITMAP: Could not open DIB file"};
    if (Shown.empty() || (!icon && Shown.back() != L"BITMAP: Could not open DIB file"))
        return false;
    for (const std::wstring& text : Shown) {
        bool found = false;
        for (const wchar_t* k : known)
            found = found || text.compare(0, wcslen(k), k) == 0;
        if (!found) return false;
    }
    return true;
}

// The image handed to the canvas must be in the canvas's form and lie inside its block;
// its rows are counted here, apart from the program's own count.
bool NormalisedImage(const ImageSlot& s, size_t blockSize, bool withMask) {
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)s.Dib;
    int bits = h->biBitCount;
    if (h->biSize != 40 || h->biCompression != BI_RGB || h->biWidth <= 0 || h->biWidth > 32767 ||
        h->biHeight <= 0 || h->biHeight > 32767 || h->biWidth != s.Width || h->biHeight != s.Height)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    DWORD table = bits <= 8 ? 1u << bits : 0;
    if (h->biClrUsed != table || s.Bits != s.Dib + 40 + 4 * table) return false;
    size_t mask = withMask ? RowBytes(s.Width, 1) * s.Height : 0;
    size_t need = 40 + 4 * table + RowBytes(s.Width, bits) * s.Height + mask;
    return need <= blockSize && (!withMask || s.AndMask == s.Dib + need - mask);
}

size_t IconImageBytes(const BYTE* dib) {
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)dib;
    int bits = h->biBitCount;
    return 40 + (bits <= 8 ? 4u << bits : 0) + RowBytes(h->biWidth, bits) * h->biHeight +
           RowBytes(h->biWidth, 1) * h->biHeight;
}

// Where a normalised image (and its mask, if given) first differs from the seed's picture;
// empty when it is that picture.
std::string PictureDifference(const Seed& seed, const BYTE* dib, const BYTE* mask) {
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)dib;
    char text[128];
    if (h->biWidth != seed.width || h->biHeight != seed.height) {
        snprintf(text, sizeof text, "a %ld x %ld image, not %d x %d", h->biWidth, h->biHeight,
                 seed.width, seed.height);
        return text;
    }
    for (int y = 0; y < seed.height; y++)
        for (int x = 0; x < seed.width; x++) {
            COLORREF got = NormalisedPixel(dib, x, y), want = seed.colour(x, y);
            if (got != want) {
                snprintf(text, sizeof text, "pixel %d,%d of 0x%06lX, not 0x%06lX", x, y, got, want);
                return text;
            }
            if (mask && MaskBit(mask, seed.width, seed.height, x, y) != seed.transparent(x, y)) {
                snprintf(text, sizeof text, "pixel %d,%d %s", x, y,
                         seed.transparent(x, y) ? "opaque" : "transparent");
                return text;
            }
        }
    return "";
}

// Opens the bytes as the open commands do; true when the reader accepted them. Either way
// its messages must say so.
bool OpenCase(int number, const Bytes& bytes, bool icon, const std::wstring& folder, HWND canvas) {
    std::wstring path = folder + (icon ? L"\\case.ico" : L"\\case.bmp");
    if (!WriteWholeFile(path, bytes)) {
        Fail(number, "could not write the case");
        return false;
    }
    Shown.clear();
    ImageSlot& slot = ImageSlots[0];
    lstrcpyW(slot.Path, path.c_str());
    bool accepted;
    if (icon) {
        accepted = OpenIconIntoSlot(canvas, 0);
    } else {
        OpenBitmapIntoSlot(canvas, 0);
        accepted = slot.Dib != nullptr;
    }
    if (!accepted && !KnownRefusal(icon)) Fail(number, "refused without its message");
    if (accepted && !Shown.empty()) Fail(number, "accepted with a message");
    return accepted;
}

// The canvas takes what the reader accepted, an icon's mask with it, without a message.
bool TakeIntoCanvas(int number, bool icon, HWND canvas) {
    Shown.clear();
    CanvasWidth = ImageSlots[0].Width;
    CanvasHeight = ImageSlots[0].Height;
    bool taken = LoadSlotImage(canvas, icon ? 21 : 19) != 0;
    if (taken && icon && IconHasTransparency && !MaskBitmap) taken = CreateMask(canvas, 1) != 0;
    if (!taken || !Shown.empty()) {
        Fail(number, "the canvas did not take an accepted image" +
                         (Shown.empty() ? std::string() : ": " + Narrow(Shown[0])));
        return false;
    }
    return true;
}

// Each seed opens unchanged with the builder's picture, and the canvas takes that picture.
void CheckSeeds(const std::vector<Seed>& seeds, const std::wstring& folder, HWND canvas) {
    for (size_t i = 0; i < seeds.size(); i++) {
        const Seed& seed = seeds[i];
        int number = CurrentCase = -1 - (int)i;
        if (!OpenCase(number, seed.bytes, seed.icon, folder, canvas)) {
            Fail(number, "refused" + (Shown.empty() ? std::string() : ": " + Narrow(Shown[0])));
            continue;
        }
        const ImageSlot& slot = ImageSlots[0];
        size_t block = seed.icon ? IconImageBytes(slot.Dib) : LocalSize(SlotBitmapMemory[0]);
        if (!NormalisedImage(slot, block, seed.icon)) Fail(number, "not in the canvas's form");
        std::string problem = PictureDifference(seed, slot.Dib, seed.icon ? slot.AndMask : nullptr);
        if (!problem.empty()) Fail(number, "opens with " + problem);
        if (seed.icon && !IconHasTransparency) Fail(number, "opens without transparency");
        if (TakeIntoCanvas(number, seed.icon, canvas)) {
            problem = PictureDifference(seed, CanvasAsDib().data(), seed.icon ? MaskBits : nullptr);
            if (!problem.empty()) Fail(number, "the canvas holds " + problem);
        }
        ReleaseSlot(0);
        ReleaseHeldIcon();
    }
}

// ---- A sample of the saved files for Pillow and ImageMagick -------------------------------
// Every SampleEvery-th saved file, up to SampleLimit, is copied to the sample folder with the
// picture Pixmora reads back from it (NAME.expect, as interop.py reads it). An icon is taken
// only when every image but the edited one is the seed's own, unchanged, and none has the
// edited one's size: the other programs choose an icon's image by its size, and an image the
// mutation damaged is the input's, which Pixmora keeps as it was.
std::wstring SampleFolder;
int Sampled;
const int SampleLimit = 300, SampleEvery = 3;

bool OtherImagesAsSeeded(const Seed& seed, int edited) {
    if (IconDirectory.idCount != GetLE16(seed.bytes, 4)) return false;
    const IconEntry& e = IconEntries[edited];
    for (int i = 0; i < IconDirectory.idCount; i++) {
        const IconEntry& o = IconEntries[i];
        size_t at = 6 + 16 * (size_t)i, offset = GetLE32(seed.bytes, at + 12);
        if (i == edited) continue;
        if ((o.bWidth == e.bWidth && o.bHeight == e.bHeight) || o.bWidth != seed.bytes[at] ||
            o.bHeight != seed.bytes[at + 1] || o.wBitCount != GetLE16(seed.bytes, at + 6) ||
            o.dwBytesInRes != GetLE32(seed.bytes, at + 8) ||
            memcmp(o.ImageData, seed.bytes.data() + offset, o.dwBytesInRes) != 0)
            return false;
    }
    return true;
}

// The picture Pixmora reads back: an icon's edited image in slot 1, or a bitmap's block. A
// 32-bit icon's pixel keeps the alpha the file gives it (1 to 255: Pixmora shows it opaque).
void KeepSample(int number, const std::wstring& saved, bool icon, BYTE* dib) {
    const BYTE* mask = icon ? ImageSlots[1].AndMask : nullptr;
    int width = DibWidth(dib), height = DibHeight(dib);
    // ImageMagick's policy, as Debian ships it, refuses larger pictures.
    if (width > 16384 || height > 16384) return;
    const BYTE* alpha = icon && DibBitCount(dib) == 32 ? DibBits(dib) + 3 : nullptr;
    std::wstring name =
        SampleFolder + L"\\case" + std::to_wstring(number) + (icon ? L".ico" : L".bmp");
    std::string head = std::to_string(width) + " " + std::to_string(height) + "\n";
    Bytes picture(head.begin(), head.end());
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            COLORREF c = NormalisedPixel(dib, x, y);
            bool clear = mask && MaskBit(mask, width, height, x, y);
            BYTE a = alpha ? alpha[(height - 1 - y) * RowBytes(width, 32) + 4 * x] : 255;
            picture.insert(picture.end(),
                           {GetRValue(c), GetGValue(c), GetBValue(c), (BYTE)(clear ? 0 : a)});
        }
    if (!CopyFileW(saved.c_str(), name.c_str(), FALSE) ||
        !WriteWholeFile(name + L".expect", picture))
        Fail(number, "could not keep the saved file for the other programs");
    Sampled++;
}

bool RunCase(int number, const Seed& seed, const std::wstring& folder, HWND canvas) {
    Bytes bytes = seed.bytes;
    Mutate(seed, bytes);
    if (!OpenCase(number, bytes, seed.icon, folder, canvas)) return false;
    const ImageSlot& slot = ImageSlots[0];
    size_t block = seed.icon ? IconImageBytes(slot.Dib) : LocalSize(SlotBitmapMemory[0]);
    if (!NormalisedImage(slot, block, seed.icon)) {
        Fail(number, "an accepted image is not in the canvas's form");
        return true;
    }
    if (!TakeIntoCanvas(number, seed.icon, canvas)) return true;
    Loaded++;
    // Accepted icons, and every tenth accepted bitmap, are saved and must read back; an icon
    // image over 256 pixels a side is refused with its message.
    if ((seed.icon || number % 10 == 0) && ImageInfo && ImageBits) {
        std::wstring saved = folder + (seed.icon ? L"\\saved.ico" : L"\\saved.bmp");
        DocumentKind = seed.icon ? DOCUMENT_ICON_FILE : DOCUMENT_BITMAP_FILE;
        int edited = SelectedIconImage;
        Shown.clear();
        bool written = seed.icon ? WriteIconFile(saved.c_str(), CanvasIcon())
                                 : WriteDib(canvas, saved.c_str(), CanvasBitmap());
        if (seed.icon && (CanvasWidth > 256 || CanvasHeight > 256)) {
            const wchar_t* refusal = L"Mosaro: An icon image can be at most 256 x 256 pixels :";
            if (written || Shown.empty() || Shown[0].compare(0, wcslen(refusal), refusal) != 0)
                Fail(number, "an icon image over 256 pixels was not refused with its message");
            return true;
        }
        BYTE* back = nullptr;
        if (written && seed.icon && ReadIconFile(saved.c_str()) && SelectIconImage(1, edited))
            back = ImageSlots[1].Dib;
        else if (written && !seed.icon)
            back = ReadDibFile(1, saved.c_str());
        bool read = back != nullptr;
        if (!written)
            Fail(number, "an accepted image could not be saved");
        else if (!read)
            Fail(number, "a saved image did not read back");
        else if (Saved++ % SampleEvery == 0 && Sampled < SampleLimit && !SampleFolder.empty() &&
                 (!seed.icon || OtherImagesAsSeeded(seed, edited)))
            KeepSample(number, saved, seed.icon, back);
        ReleaseSlot(1);
    }
    return true;
}

} // namespace

int main() {
    AppInstance = GetModuleHandleW(nullptr);
    RegisterEditorClasses(AppInstance);
    InitPalette();
    WatchForUnansweredBoxes();
    char value[MAX_PATH];
    GuardBefore = GetEnvironmentVariableA("PIXMORA_FUZZ_GUARD", value, MAX_PATH) &&
                  lstrcmpA(value, "before") == 0;
    if (!RedirectImport("user32.dll", "MessageBoxW", (void*)RecordBox, nullptr) ||
        !GuardFileBlocks()) {
        printf("MessageBoxW, calloc, free, realloc or LocalAlloc, LocalFree, LocalSize are not "
               "imported where expected\n");
        return 1;
    }
    ParkCursor();
    int cases = GetEnvironmentVariableA("PIXMORA_FUZZ_CASES", value, 32) ? atoi(value) : 10000;
    RandomState = GetEnvironmentVariableA("PIXMORA_FUZZ_SEED", value, 32) ? atoll(value) : 1;
    std::wstring folder = MakeTestFolder(GuardBefore ? L"fuzz-before" : L"fuzz-after");
    HWND canvas = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    WCHAR sample[MAX_PATH];
    if (GetEnvironmentVariableW(L"PIXMORA_FUZZ_SAMPLE_DIR", sample, MAX_PATH)) {
        SampleFolder = sample;
        CreateDirectoryW(SampleFolder.substr(0, SampleFolder.find_last_of(L"\\/")).c_str(),
                         nullptr);
        CreateDirectoryW(sample, nullptr);
    }
    std::vector<Seed> seeds = MakeSeeds();
    CheckSeeds(seeds, folder, canvas);
    DWORD start = GetTickCount();
    int refused = 0;
    for (int i = 0; i < cases; i++) {
        CurrentCase = i;
        refused += !RunCase(i, seeds[Below((DWORD)seeds.size())], folder, canvas);
        ReleaseSlot(0);
        if (i % 50 == 49) ReleaseHeldIcon();
    }
    DestroyWindow(canvas);
    DeleteFileW((folder + L"\\case.bmp").c_str());
    DeleteFileW((folder + L"\\case.ico").c_str());
    DeleteFileW((folder + L"\\saved.ico").c_str());
    DeleteFileW((folder + L"\\saved.bmp").c_str());
    RemoveDirectoryW(folder.c_str());
    printf("%d cases from %d seeds (each opened unchanged first) in %lu ms: %d refused with their "
           "message, %d opened "
           "(%d taken by the canvas, %d saved and read back, %d kept for other programs), %d "
           "failures (blocks guarded %s)\n",
           cases, (int)seeds.size(), GetTickCount() - start, refused, cases - refused, Loaded,
           Saved, Sampled, Failures, GuardBefore ? "before" : "after");
    return Failures ? 1 : 0;
}
