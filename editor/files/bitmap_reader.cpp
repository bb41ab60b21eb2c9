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

// The size of the DIB that follows the file header: bfSize - 14 bytes, which must lie inside
// the file; a bfSize of 0, which some writers leave, stands for the whole file. False (after
// the message) when it does not fit. The file is left at the DIB's start.
static bool DibSize(FILE* file, const WCHAR* path, DWORD fileSize, size_t* blockSize) {
    size_t length;
    bool known = FileLength(file, &length);
    if (known && fileSize == 0 && length <= 0xFFFFFFFFu) fileSize = (DWORD)length;
    DWORD n = fileSize - 14;
    if (!known || fileSize < 14 || n > length - 14 || fseek(file, 14, SEEK_SET) != 0) {
        ReportReadError(L"Could not read bitmap bits :%s", path);
        return false;
    }
    *blockSize = n;
    return true;
}

// Reads the DIB that follows the file header whole. None (after the message) when the file
// is short or memory is lacking.
static HLOCAL ReadDibBlock(FILE* file, const WCHAR* path, DWORD fileSize, size_t* blockSize) {
    if (!DibSize(file, path, fileSize, blockSize)) return nullptr;
    size_t n = *blockSize;
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

// ---- Large pictures: read straight into the section the canvas takes over ----------------
// A picture this large or larger is never copied: its rows go from the file into a DIB
// section, turned over on the way when stored top-down, and the canvas takes that section
// as its image. Smaller ones are read whole into the slot's block as before.
#define SECTION_MIN_BYTES 0x10000
// The header, masks and colour table of a DIB lie within this many bytes from its start
// (a header of at most 124 bytes, then at most 256 entries of 4 bytes that are read).
#define DIB_HEAD_BYTES (124 + 256 * 4)
// Rows read at once: a large piece is read with one call, and what is read is still in the
// cache when a top-down piece is turned over or converted.
#define ROW_PIECE_BYTES ((size_t)1 << 20)

struct SectionRead {
    HLOCAL Head;     // header and colour table in the normalised form
    HBITMAP Section; // the pixels
    BYTE* Bits;
};

static void FreeSectionRead(SectionRead* r) {
    if (r->Head) LocalFree(r->Head);
    if (r->Section) DeleteObject(r->Section);
    *r = SectionRead{};
}

// Makes the pages of a fresh block present with a write each before a read fills it: a page
// first met inside the read costs far more (under Wine about twice, and five times while
// another thread of the program runs) than one met here. Only bytes the read overwrites are
// written.
static void TouchPages(BYTE* block, size_t bytes) {
    const size_t page = 4096;
    volatile BYTE* p = block;
    for (size_t offset = 0; offset < bytes; offset = (offset / page + 1) * page)
        p[offset] = 0;
}

static void SwapRows(BYTE* a, BYTE* b, BYTE* spare, size_t stride) {
    memcpy(spare, a, stride);
    memcpy(a, b, stride);
    memcpy(b, spare, stride);
}

// Reads the stored rows piece by piece: rows that need no conversion straight into their
// place in the section (a top-down piece is then turned over where it lies), others through
// a buffer of one piece that they are converted from.
static bool ReadRowsIntoSection(FILE* file, const DibLayout* l, BYTE* pixels) {
    size_t stride = l->SourceStride;
    bool plain = DibRowsArePlain(l);
    size_t pieceRows = ROW_PIECE_BYTES / stride;
    // The buffer stays small beside the picture.
    if (pieceRows > (size_t)l->Height / 8) pieceRows = (size_t)l->Height / 8;
    if (pieceRows < 1) pieceRows = 1;
    BYTE* buffer = (BYTE*)LocalAlloc(LMEM_FIXED, plain ? stride : pieceRows * stride);
    if (!buffer) return false;
    bool ok = true;
    for (size_t first = 0; ok && first < (size_t)l->Height; first += pieceRows) {
        size_t rows = (size_t)l->Height - first < pieceRows ? (size_t)l->Height - first : pieceRows;
        // The stored rows first..first+rows-1 land on rows bottom..bottom+rows-1 of the section.
        size_t bottom = l->TopDown ? (size_t)l->Height - first - rows : first;
        BYTE* target = pixels + bottom * l->OutStride;
        if (plain) TouchPages(target, rows * stride);
        ok = fread(plain ? target : buffer, stride, rows, file) == rows;
        if (!ok) break;
        if (plain) {
            if (l->TopDown)
                for (size_t i = 0, j = rows - 1; i < j; i++, j--)
                    SwapRows(target + i * stride, target + j * stride, buffer, stride);
            continue;
        }
        for (size_t i = 0; i < rows; i++)
            DecodeDibRow(l, buffer + i * stride,
                         target + (l->TopDown ? rows - 1 - i : i) * l->OutStride);
    }
    LocalFree(buffer);
    return ok;
}

// The pixels of a parsed DIB, whose head is read and whose pixels start `pixelStart` bytes
// after the file header, into a new section. False (after the message) when memory is
// lacking or the file cannot be read.
static bool ReadIntoSection(FILE* file, const WCHAR* path, const DibLayout* l, size_t pixelStart,
                            SectionRead* r) {
    *r = SectionRead{};
    r->Head = LocalAlloc(LPTR, 40 + l->OutTableBytes);
    void* bits = nullptr;
    if (r->Head) {
        DecodeDibHead(l, (BYTE*)r->Head);
        r->Section =
            CreateDIBSection(nullptr, (BITMAPINFO*)r->Head, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    if (!r->Section || !bits) {
        FreeSectionRead(r);
        ReportReadError(L"Could not allocate any memory :%s", path);
        return false;
    }
    r->Bits = (BYTE*)bits;
    bool ok = fseek(file, (long)(14 + pixelStart), SEEK_SET) == 0 &&
              ReadRowsIntoSection(file, l, r->Bits);
    if (!ok) {
        FreeSectionRead(r);
        ReportReadError(L"Could not read bitmap bits :%s", path);
    }
    return ok;
}

// Reads a large picture into a section: true when the slot took it (or the reader refused
// the file, after its message: *refused). False when the picture is small or its head
// lies past what is read here, so the whole block is read instead.
static bool ReadLargeDib(FILE* file, const WCHAR* path, int slot, DWORD fileSize, DWORD offBits,
                         bool* refused) {
    *refused = true;
    size_t size;
    if (!DibSize(file, path, fileSize, &size)) return true;
    BYTE head[DIB_HEAD_BYTES];
    size_t headBytes = size < sizeof head ? size : sizeof head;
    if (fread(head, 1, headBytes, file) != headBytes) {
        ReportReadError(L"Could not read bitmap bits :%s", path);
        return true;
    }
    // Only the header and table are read from `head`; the pixels stay in the file.
    DibLayout layout;
    size_t pixelOffset = offBits >= 14 ? offBits - 14 : 0;
    DibProblem problem = ParseDib(head, size, pixelOffset, 0, &layout);
    if (problem != DIB_OK) {
        ReportReadError(ProblemText(problem), path);
        return true;
    }
    size_t tableEnd =
        (size_t)(layout.Table - head) + (size_t)layout.TableEntries * (size_t)layout.EntrySize;
    // Run-length pixels are read whole and decoded: they need their block anyway.
    bool compressed = layout.Compression == BI_RLE8 || layout.Compression == BI_RLE4;
    *refused = false;
    if (layout.OutSize < SECTION_MIN_BYTES || compressed || tableEnd > headBytes) return false;
    SectionRead read;
    size_t pixelStart = (size_t)(layout.Pixels - head);
    if (!ReadIntoSection(file, path, &layout, pixelStart, &read)) {
        *refused = true;
        return true;
    }
    FreeSlotBitmap(slot);
    ImageSlots[slot].Dib = nullptr;
    SlotBitmapMemory[slot] = read.Head;
    SlotBitmapSection[slot] = read.Section;
    return true;
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
    bool refused;
    if (ReadLargeDib(file, path, slot, ReadLE32(header + 2), ReadLE32(header + 10), &refused)) {
        fclose(file);
        return refused ? nullptr : (BYTE*)SlotBitmapMemory[slot];
    }
    size_t size = 0;
    HLOCAL block = ReadDibBlock(file, path, ReadLE32(header + 2), &size);
    fclose(file);
    if (!block) return nullptr;
    block = NormaliseDib(block, size, ReadLE32(header + 10), path);
    if (!block) return nullptr;
    if (SlotBitmapMemory[slot] || SlotBitmapSection[slot]) {
        FreeSlotBitmap(slot);
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
    FreeSlotBitmap(slot);
    s->Dib = ReadDibFile(slot, s->Path);
    if (!s->Dib) {
        MessageBoxW(owner, L"Could not open DIB file", L"BITMAP", MB_OK | MB_ICONEXCLAMATION);
        return true;
    }
    s->Bits = DibBits(s->Dib);
    DIBSECTION section;
    if (SlotBitmapSection[slot] &&
        GetObjectW(SlotBitmapSection[slot], sizeof section, &section) == sizeof section)
        s->Bits = (BYTE*)section.dsBm.bmBits;
    s->Width = (short)DibWidth(s->Dib);
    s->Height = (short)DibHeight(s->Dib);
    s->AndMask = nullptr;
    return true;
}
