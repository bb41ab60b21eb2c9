// The image-file subsystem: bitmap and icon readers and writers, the file dialogs and file
// names, and the image slots through which a loaded image reaches the canvas.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <cstdio>

#define PATH_CHARS 260
#define TITLE_CHARS 512
#define SLOT_COUNT 5

// ---- Image slots -------------------------------------------------------------------------
struct ImageSlot {
    WCHAR Directory[PATH_CHARS];
    WCHAR Path[PATH_CHARS];
    WCHAR Title[TITLE_CHARS];
    BYTE* Dib;  // packed DIB of the loaded image, none when empty
    BYTE* Bits; // first stored pixel row: inside Dib, or in the slot's section (below)
    short Width;
    short Height;
    BYTE* AndMask; // icon only: the selected image's AND mask
};

extern ImageSlot ImageSlots[SLOT_COUNT];
extern int CurrentSlot;
extern HLOCAL SlotBitmapMemory[SLOT_COUNT]; // block of a bitmap file read into the slot
// A large bitmap's pixels, read straight into a DIB section for the canvas to take over
// (then the slot's Dib is the header and colour table alone, its Bits the section's pixels).
extern HBITMAP SlotBitmapSection[SLOT_COUNT];

void ReleaseSlot(int slot);
// Lets go of the bitmap file read into the slot: its block and its section.
void FreeSlotBitmap(int slot);
// Puts the subsystem's state back to its start values: slots empty, no held icon, no names.
void ResetFilesState();

// ---- DIB fields and the bitmap reader ------------------------------------------------
// Little-endian fields at any address.
int ReadLE16(const BYTE* p);
DWORD ReadLE32(const BYTE* p);
// Row length in bytes of a DIB row of that width and bit count.
size_t DibStride(int width, int bitCount);
int DibWidth(const BYTE* dib);
int DibHeight(const BYTE* dib);
int DibBitCount(const BYTE* dib);
BYTE* DibBits(BYTE* dib);
BYTE* ReadDibFile(int slot, const WCHAR* path);
bool OpenBitmapIntoSlot(HWND owner, int slot);

// ---- Icon reader: the held icon -------------------------------------------------------
struct IconDir {
    WORD idReserved;
    WORD idType;
    WORD idCount;
};

struct IconEntry {
    BYTE bWidth;
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    DWORD dwImageOffset;
    BYTE* ImageData; // the entry's bytes as they are written: dwBytesInRes long
    BYTE* EditImage; // the image decoded for editing (header, table, bits, AND mask), or none
};

extern IconDir IconDirectory;
extern IconEntry* IconEntries;
extern int SelectedIconImage;
extern bool IconHasTransparency;

// Whether a held image is stored as PNG (held and written back as it is, never edited).
bool IsPngImage(const IconEntry* entry);
// The AND mask that follows a decoded icon image (the form EditImage holds).
BYTE* EditImageMask(BYTE* image);

bool OpenIconIntoSlot(HWND owner, int slot);
bool ReadIconFile(const WCHAR* path);
bool SelectIconImage(int slot, int image);
int IconMaskHasTransparency(int slot);
void ReleaseHeldIcon();

// ---- DIB decoding: any bitmap the format allows into the form the canvas takes ----------
// The normalised form: 40-byte header, BI_RGB, positive height, bit count 1, 4, 8, 16, 24 or
// 32, a full colour table (biClrUsed = 2^bits) up to 8 bits and none above.
enum DibProblem {
    DIB_OK,
    DIB_BAD_HEADER,  // header size not one of the format's
    DIB_TRUNCATED,   // header, masks, colour table or pixels run past the block
    DIB_BAD_SIZE,    // width or height zero, negative or 32768 and above
    DIB_UNSUPPORTED, // bit count or compression this reader does not know
    DIB_TOO_LARGE    // the decoded image would not fit in memory
};

struct DibLayout {
    const BYTE* Header;
    DWORD HeaderSize;
    int Width;
    int Height;
    bool TopDown;
    int SourceBits;
    DWORD Compression;
    DWORD Masks[4]; // red, green, blue, alpha for bitfields
    const BYTE* Table;
    DWORD TableEntries; // entries to copy from the file
    int EntrySize;      // 3 after a core header, else 4
    const BYTE* Pixels;
    size_t PixelBytes; // bytes from Pixels to the end of the block
    size_t SourceStride;
    int OutBits;
    size_t OutStride;
    size_t OutTableBytes;
    size_t OutSize;   // header, table and pixels of the normalised image
    bool Normalised;  // the block already is in the normalised form
    bool FlipInPlace; // it is but for its top-down rows, turned over where they lie
};

// Reads a packed DIB of size bytes. pixelOffset, when not 0, is where the file says the
// pixels start (used when it lies past the colour table and inside the block); iconHeight,
// when not 0, is the height of an icon image whose header counts the AND mask too.
DibProblem ParseDib(const BYTE* dib, size_t size, size_t pixelOffset, int iconHeight,
                    DibLayout* layout);
// Writes the normalised image into out (OutSize bytes, zero-filled).
void DecodeDib(const DibLayout* layout, BYTE* out);
// Its parts: the 40-byte header and colour table (40 + OutTableBytes bytes); one stored row of
// an uncompressed DIB into its form.
void DecodeDibHead(const DibLayout* layout, BYTE* out);
void DecodeDibRow(const DibLayout* layout, const BYTE* source, BYTE* target);
// The stored rows already are the normalised form's rows (bar their order).
bool DibRowsArePlain(const DibLayout* layout);

// ---- File streams: wide names, pieces, safe replacement --------------------------------------
// Opens under the ANSI name when the code page holds the name exactly, else the wide name.
FILE* OpenFileStream(const WCHAR* path, const WCHAR* mode);
// Reads or writes count bytes in pieces of at most 32768 bytes; false on a short transfer.
bool ReadPieces(FILE* file, BYTE* buffer, size_t count);
bool WritePieces(FILE* file, const BYTE* buffer, size_t count);
// Length of an open file, or false when it cannot be told.
bool FileLength(FILE* file, size_t* length);
// A save goes to a new file beside the target (tempPath, PATH_CHARS); the target is replaced
// only after every byte was written. None when the new file cannot be created.
FILE* BeginSafeSave(const WCHAR* target, WCHAR* tempPath);
// Closes the new file and puts it in the target's place: SAVE_DONE, or SAVE_WRITE_FAILED
// (the data did not reach the disk) or SAVE_REPLACE_FAILED, both leaving the target as it was.
#define SAVE_DONE 1
#define SAVE_WRITE_FAILED 0
#define SAVE_REPLACE_FAILED (-1)
int FinishSafeSave(FILE* file, const WCHAR* tempPath, const WCHAR* target);
void AbandonSafeSave(FILE* file, const WCHAR* tempPath);

// ---- Writers ---------------------------------------------------------------------------
// The image a writer writes, as the canvas holds it: a DIB header with its colour table, the
// bottom-up pixel rows, and a 1-bit mask of the same size (1 transparent) or none.
struct ImageToWrite {
    const BITMAPINFO* Info;
    const BYTE* Bits;
    const BYTE* Mask;
};
// Its sizes as the writers need them.
struct ImageShape {
    int Width;
    int Height;
    int Bits;
    size_t TableBytes;
    size_t XorBytes;
    size_t MaskBytes;
};
// False when there is no image or its header is not one the writers can write.
bool ImageShapeOf(const ImageToWrite* image, ImageShape* shape);
// The image's 40-byte header as it is written, with storedHeight as its height.
void MakeImageHeader(const BITMAPINFO* info, const ImageShape* shape, int storedHeight,
                     BYTE* header);

bool WriteIconFile(const WCHAR* path, const ImageToWrite* image);
DWORD MakeIconEntry(DWORD imageOffset, int width, int height, int bitCount, IconEntry* entry);
// Fills the image block of an entry (allocating it when isNew) from the image: header with
// the doubled height, colour table, colour pixels with black wherever the mask is
// transparent, and the mask (none: every pixel opaque). False when memory is lacking.
bool StoreIconImage(bool isNew, IconEntry* entry, int bitCount, int width, int height, DWORD size,
                    const BITMAPINFO* info, const BYTE* bits, const BYTE* mask);
bool WriteDib(HWND owner, const WCHAR* path, const ImageToWrite* image);
// The AND mask the held icon's chosen image was opened with, when it has that size; none
// otherwise.
const BYTE* HeldIconMask(int width, int height);

// ---- File dialogs and file names ----------------------------------------------------
extern OPENFILENAMEW FileDialogRecord;
extern WCHAR DocumentPath[PATH_CHARS];
extern WCHAR DocumentDirectory[PATH_CHARS];
extern WCHAR DocumentTitle[TITLE_CHARS];

void PrepareBitmapDialog(HWND owner, WCHAR* path, WCHAR* directory);
void PrepareIconDialog(HWND owner, WCHAR* path, WCHAR* directory);
void ResetFileDialog(HWND owner, WCHAR* path, WCHAR* directory);
bool RunOpenDialog(HWND owner, WCHAR* directory, WCHAR* path, WCHAR* title);
bool RunSaveDialog(HWND owner, WCHAR* path, WCHAR* title);
bool ShowOpenDialog(OPENFILENAMEW* record);
// The ANSI form of a name, in a buffer of the file dialogs' own; none when the code page cannot
// hold the name exactly (or it does not fit), so the caller must open the file through its wide
// name.
const char* ToAnsiPath(const WCHAR* path);
