// Reads a bitmap file into an image slot, in the normalised form the canvas takes.
#include "files/files.h"
#include "base/editor_state.h"
#include "base/report.h"
#include <cstring>

static const WCHAR ReaderCaption[] = L"VornDib";

static void ReportReadError(const WCHAR* format, const WCHAR* path) {
    ReportError(MainWindow, format, path, ReaderCaption);
}

static const WCHAR* ProblemText(DibProblem problem) {
    switch (problem) {
    case DIB_BAD_HEADER: return L"Wrong header size :%s";
    case DIB_BAD_SIZE: return L"Wrong image size :%s";
    case DIB_UNSUPPORTED: return L"Unsupported bitmap format :%s";
    case DIB_TOO_LARGE: return L"Could not allocate any memory :%s";
    default: return L"Could not read bitmap bits :%s";
    }
}

// Reads the DIB that follows the file header: bfSize - 14 bytes, which must lie inside the
// file; a bfSize of 0, which some writers leave, stands for the whole file. None (after the
// message) when the file is short or memory is lacking.
static HLOCAL ReadDibBlock(FILE* file, const WCHAR* path, DWORD fileSize, size_t* blockSize) {
    size_t length;
    bool known = FileLength(file, &length);
    if (known && fileSize == 0 && length <= 0xFFFFFFFFu) fileSize = (DWORD)length;
    DWORD n = fileSize - 14;
    if (!known || fileSize < 14 || n > length - 14 || fseek(file, 14, SEEK_SET) != 0) {
        ReportReadError(L"Could not read bitmap bits :%s", path);
        return nullptr;
    }
    HLOCAL block = LocalAlloc(LPTR, n ? n : 1);
    if (!block) {
        ReportReadError(L"Could not allocate any memory :%s", path);
        return nullptr;
    }
    if (!ReadPieces(file, (BYTE*)block, n)) {
        LocalFree(block);
        ReportReadError(L"Could not read bitmap bits :%s", path);
        return nullptr;
    }
    *blockSize = n;
    return block;
}

// Turns top-down rows over where they lie, sparing a second block for a large image.
static bool FlipRows(const DibLayout* layout, BYTE* dib) {
    BYTE* spare = (BYTE*)LocalAlloc(LMEM_FIXED, layout->OutStride);
    if (!spare) return false;
    BYTE* pixels = dib + 40 + layout->OutTableBytes;
    for (int top = 0, bottom = layout->Height - 1; top < bottom; top++, bottom--) {
        BYTE* a = pixels + (size_t)top * layout->OutStride;
        BYTE* b = pixels + (size_t)bottom * layout->OutStride;
        memcpy(spare, a, layout->OutStride);
        memcpy(a, b, layout->OutStride);
        memcpy(b, spare, layout->OutStride);
    }
    LocalFree(spare);
    memcpy(dib + 8, &layout->Height, 4);
    return true;
}

// Brings the block into the normalised form: in place when it already is, else into a new
// block. None (after the message) when the DIB cannot be opened; the block is freed then.
static HLOCAL NormaliseDib(HLOCAL block, size_t size, DWORD offBits, const WCHAR* path) {
    DibLayout layout;
    size_t pixelOffset = offBits >= 14 ? offBits - 14 : 0;
    DibProblem problem = ParseDib((BYTE*)block, size, pixelOffset, 0, &layout);
    if (problem != DIB_OK) {
        LocalFree(block);
        ReportReadError(ProblemText(problem), path);
        return nullptr;
    }
    if (layout.Normalised || (layout.FlipInPlace && FlipRows(&layout, (BYTE*)block))) {
        DWORD used = layout.OutTableBytes / 4;
        memcpy((BYTE*)block + 32, &used, 4);
        return block;
    }
    HLOCAL normal = LocalAlloc(LPTR, layout.OutSize);
    if (!normal) {
        LocalFree(block);
        ReportReadError(L"Could not allocate any memory :%s", path);
        return nullptr;
    }
    DecodeDib(&layout, (BYTE*)normal);
    LocalFree(block);
    return normal;
}

BYTE* ReadDibFile(int slot, const WCHAR* path) {
    if (slot < 0 || slot >= SLOT_COUNT) return nullptr;
    FILE* file = OpenFileStream(path, L"rb");
    if (!file) {
        ReportReadError(L"Could not open a file :%s", path);
        return nullptr;
    }
    BYTE header[14];
    if (fread(header, 1, 14, file) != 14) {
        ReportReadError(L"Could not read a BITMAPFILEHEADER :%s", path);
        fclose(file);
        return nullptr;
    }
    if (header[0] != 'B' || header[1] != 'M') {
        fclose(file);
        return nullptr;
    }
    size_t size = 0;
    HLOCAL block = ReadDibBlock(file, path, ReadLE32(header + 2), &size);
    fclose(file);
    if (!block) return nullptr;
    block = NormaliseDib(block, size, ReadLE32(header + 10), path);
    if (!block) return nullptr;
    if (SlotBitmapMemory[slot]) {
        LocalFree(SlotBitmapMemory[slot]);
        ImageSlots[slot].Dib = nullptr;
    }
    SlotBitmapMemory[slot] = block;
    return (BYTE*)block;
}

bool OpenBitmapIntoSlot(HWND owner, int slot) {
    if (slot < 0 || slot >= SLOT_COUNT) return false;
    ImageSlot* s = &ImageSlots[slot];
    PrepareBitmapDialog(owner, s->Path, s->Directory);
    if (!s->Path[0] && !RunOpenDialog(owner, s->Directory, s->Path, s->Title)) return false;
    if (SlotBitmapMemory[slot]) {
        LocalFree(SlotBitmapMemory[slot]);
        SlotBitmapMemory[slot] = nullptr;
    }
    s->Dib = ReadDibFile(slot, s->Path);
    if (!s->Dib) {
        MessageBoxW(owner, L"Could not open DIB file", L"BITMAP", MB_OK | MB_ICONEXCLAMATION);
        return true;
    }
    s->Bits = DibBits(s->Dib);
    s->Width = (short)DibWidth(s->Dib);
    s->Height = (short)DibHeight(s->Dib);
    s->AndMask = nullptr;
    return true;
}
