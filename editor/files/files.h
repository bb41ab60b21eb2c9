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
    WORD idReserved; // always 0
    WORD idType;     // ICON_TYPE_ICON or ICON_TYPE_CURSOR
    WORD idCount;
};
#define ICON_TYPE_ICON 1
#define ICON_TYPE_CURSOR 2

struct IconEntry {
    BYTE bWidth;
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;   // a cursor's: the hot spot's x
    WORD wBitCount; // a cursor's: the hot spot's y
    DWORD dwBytesInRes;
    DWORD dwImageOffset;
    BYTE* ImageData; // the entry's bytes as they are written: dwBytesInRes long
    BYTE* EditImage; // the image decoded for editing (header, table, bits, AND mask), or none
    bool Edited;     // EditImage holds edits that ImageData does not have yet
};

extern IconDir IconDirectory;
extern IconEntry* IconEntries;
extern int SelectedIconImage;
extern bool IconHasTransparency;

// Whether a held image is stored as PNG (decoded when chosen, written as PNG again).
bool IsPngImage(const IconEntry* entry);
// The size and bit count of a held image in BMP form, as its bytes give them; false for a PNG
// image or one that is not sound.
bool BmpImageShape(const IconEntry* entry, int* width, int* height, int* bits);
// The AND mask that follows a decoded icon image (the form EditImage holds).
BYTE* EditImageMask(BYTE* image);

bool OpenIconIntoSlot(HWND owner, int slot);
bool ReadIconFile(const WCHAR* path);
bool SelectIconImage(int slot, int image);
int IconMaskHasTransparency(int slot);
void ReleaseHeldIcon();

// ---- The held icon's images, as the Icon Images command changes them ---------------------------
struct ImageToWrite; // the image a writer writes, below
struct IconImageFacts {
    int Width;
    int Height;
    int Bits;    // bits per pixel as stored
    int Colours; // colour-table (or PNG palette) entries, 0 for direct colour
    bool Png;    // stored as PNG
};
// What the image list says of image i; false when there is no such image.
bool IconImageFactsOf(int index, IconImageFacts* facts);
// Makes the picture, not an icon yet, the held icon's only image (in BMP form) and points the
// slot at it. Any icon held before (one saved from an earlier picture) is let go.
bool HoldImageAsIcon(int slot, const ImageToWrite* image);
// Puts the image in at index: appended when index is the image count, else in place of the
// image there (not the chosen one, unless the caller takes it anew). BMP form keeps the image's
// bit count; PNG takes a 32-bit image. A cursor's new image has its hot spot at the top left
// corner, a replaced one keeps the hot spot it had. False when memory or the codec is lacking.
bool PutIconImage(int index, const ImageToWrite* image, bool png);
// Image i as the canvas would take it (decoded when it is not yet, a PNG's failure told naming
// the file); false when it cannot be decoded.
bool IconImageOf(int index, const WCHAR* name, ImageToWrite* image);
// Orders the images by size (smallest first), then by bit count, BMP form before PNG; the
// chosen image stays chosen.
void SortIconImages();
// A cursor's hot spot, in pixels from the image's top left corner; false for an icon.
bool CursorHotSpot(int index, POINT* spot);
bool SetCursorHotSpot(int index, POINT spot);
// Removes image i, which must not be the chosen one; the last image is never removed.
bool RemoveIconImage(int index);
// Keeps the image as the canvas now has it in the chosen entry, so that its edits stay when
// another image is chosen; the slot follows it. False when memory is lacking.
bool KeepEditedImage(int slot, const ImageToWrite* image);
// Makes image i the chosen one, decoding it when it is not yet, and points the slot at it.
// A PNG that cannot be decoded is reported naming the file; nothing changes then.
bool SwitchIconImage(int slot, int index, const WCHAR* name);
// Decodes an entry in BMP form into its EditImage (header, table, bits, AND mask); false when
// it cannot be decoded or memory is lacking (*noMemory tells which).
bool DecodeIconImage(IconEntry* entry, bool* noMemory);
// Decodes an entry stored as PNG into its EditImage, telling the user of a failure.
bool DecodePngImage(IconEntry* entry, const WCHAR* name);

// ---- DIB decoding: any bitmap the format allows into the form the canvas takes ----------
// The normalised form: 40-byte header, BI_RGB, positive height, bit count 1, 4, 8, 16, 24 or
// 32, a full colour table (biClrUsed = 2^bits) up to 8 bits and none above.
// The largest decoded image accepted: the canvas needs it, a snapshot and a view of it.
#define MAX_IMAGE_BYTES 0x20000000u
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

// ---- PNG images -----------------------------------------------------------------------------
enum PngProblem {
    PNG_OK,
    PNG_DAMAGED,    // not a PNG, a chunk cut short or with a wrong check value, or undecodable
    PNG_TOO_LARGE,  // the decoded image would not fit in memory
    PNG_NO_MEMORY,  // memory ran out
    PNG_UNSUPPORTED // the platform has no PNG codec
};
struct PngHeader {
    DWORD Width;
    DWORD Height;
    int Depth;      // bits per sample
    int ColourType; // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
};
bool IsPngData(const BYTE* data, size_t size);
// Where the PNG's whole chunks end within the bytes present (just past the end chunk when it
// is there); and whether the walk over them stopped for good: at the end chunk, or at a chunk
// whose check value is wrong.
size_t PngChunksEnd(const BYTE* data, size_t size);
bool PngEnded(const BYTE* data, size_t size);
// The header chunk's fields; false when the data does not start as a PNG does.
bool ReadPngHeader(const BYTE* data, size_t size, PngHeader* header);
// Decodes a PNG of any colour type, bit depth and interlacing into the 32-bit normalised
// form (blue, green, red, alpha; rows bottom-up) followed by an AND mask that is set where
// alpha is below 128. *image comes from calloc.
PngProblem DecodeIconPng(const BYTE* data, size_t size, BYTE** image);
// The PNG written for an edited image (the canvas's, any bit count, with its mask) that was
// read from the PNG given: pixels left as they were read keep the PNG's colour and alpha
// exactly (16-bit samples too); the others are the image's colour, opaque, or alpha 0 where
// the mask is transparent. *data comes from malloc.
PngProblem EncodeIconPng(const ImageToWrite* image, const BYTE* png, size_t pngSize, BYTE** data,
                         size_t* size);
// The memory decoding a PNG of this header takes: the codec's stored rows and the decoded
// image with its mask.
unsigned long long PngDecodingBytes(const PngHeader* header);
// Looks at a PNG's image data before it is decoded: PNG_DAMAGED for methods the format does
// not define or compressed rows that inflate to more than the image needs, PNG_TOO_LARGE for
// an image whose decoding would pass MAX_IMAGE_BYTES. A palette image with indices its palette
// lacks gets a copy (*prepared, from malloc; else none) whose palette names every index.
PngProblem PrepareImageData(const BYTE* data, size_t size, const PngHeader* header, BYTE** prepared,
                            size_t* preparedSize);
// The platform's codec (desktop only): false where there is none.
bool PngCodecPresent();
// Pixels of a PNG whose header gave that size, rows top-down: blue, green, red, alpha bytes,
// or when deep red, green, blue, alpha 16-bit words.
PngProblem ReadPngPixels(const BYTE* data, size_t size, int width, int height, bool deep,
                         BYTE* pixels);
// Pixels in the same two forms as a PNG with alpha; *data comes from malloc.
bool WritePngPixels(int width, int height, bool deep, const BYTE* pixels, BYTE** data,
                    size_t* size);

// ---- File streams: wide names, pieces, safe replacement --------------------------------------
// Whether the name leads to a device (COM1, AUX, CON, with any folder and extension) rather
// than a file.
bool NamesADevice(const WCHAR* path);
// Opens under the ANSI name when the code page holds the name exactly, else the wide name;
// none for a device or anything else that is not a file on a disk.
FILE* OpenFileStream(const WCHAR* path, const WCHAR* mode);
// Reads or writes count bytes in pieces of at most 32768 bytes; false on a short transfer.
bool ReadPieces(FILE* file, BYTE* buffer, size_t count);
bool WritePieces(FILE* file, const BYTE* buffer, size_t count);
// Length of an open file, or false when it cannot be told.
bool FileLength(FILE* file, size_t* length);
// A save writes a new file beside the file the name leads to (through a symbolic link, the
// file it names), flushes it to the disk and only then puts it in that file's place. The new
// file's name marks it as this program's; it is removed on every failure, and one left by a
// run that ended during a save is removed by a later save to that folder once it is old.
#define SIBLING_CHARS (2 * PATH_CHARS)
struct SafeSave {
    FILE* File;                // the new file, which the writer fills
    WCHAR Target[PATH_CHARS];  // the file replaced
    WCHAR Temp[SIBLING_CHARS]; // the new file's name
};
// False when the target is read-only or a folder, or the new file cannot be created.
bool BeginSafeSave(const WCHAR* path, SafeSave* save);
// Closes the new file and puts it in the target's place. Every result but SAVE_DONE leaves
// the target as it was: SAVE_WRITE_FAILED, the data did not reach the disk; SAVE_IN_USE,
// another program holds the target; SAVE_REPLACE_FAILED, it could not be replaced;
// SAVE_DISK_FULL, the disk has no room for what replacing it needs.
#define SAVE_DONE 1
#define SAVE_WRITE_FAILED 0
#define SAVE_REPLACE_FAILED (-1)
#define SAVE_IN_USE (-2)
#define SAVE_DISK_FULL (-3)
int FinishSafeSave(SafeSave* save);
// What both writers say on SAVE_IN_USE and SAVE_DISK_FULL, with the file's name.
extern const WCHAR FileInUseText[];
extern const WCHAR DiskFullText[];
// Creates a file of this program's own beside the target, under a free name ending in
// suffix (put in name, SIBLING_CHARS), open for reading and writing; INVALID_HANDLE_VALUE
// when it cannot.
HANDLE CreateFileBeside(const WCHAR* target, const WCHAR* suffix, WCHAR* name);
void AbandonSafeSave(SafeSave* save);
// Called between flushing a save's new file and putting it in place; only tests set it, to
// end the process there.
extern void (*BeforeSaveReplaces)();

// Desktop Windows (and Wine) only, where files have symbolic and hard links, owners and
// access rights; the handheld's file system has none of them.
// The file a name leads to through a symbolic link (resolved, PATH_CHARS), or the name itself;
// false when the file it leads to has a name too long to use.
bool ResolveLinkedFile(const WCHAR* path, WCHAR* resolved);
// The full name of a file in the long form (\\?\...) that the path limit does not apply to
// (SIBLING_CHARS); false when it has none.
bool LongFormOf(const WCHAR* path, WCHAR* longForm);
// Puts the flushed new file in the target's place (a SAVE_ result); the new file may be left
// for the caller to remove.
int ReplaceWithNewFile(const WCHAR* temp, const WCHAR* target);

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
// Fills an entry for PNG bytes of an image of that size (the entry takes the bytes).
void FillPngEntry(int width, int height, BYTE* png, size_t size, IconEntry* entry);
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
void PrepareIconOpenDialog(HWND owner, WCHAR* path, WCHAR* directory);
void ResetFileDialog(HWND owner, WCHAR* path, WCHAR* directory);
bool RunOpenDialog(HWND owner, WCHAR* directory, WCHAR* path, WCHAR* title);
bool RunSaveDialog(HWND owner, WCHAR* path, WCHAR* title);
// The file's own name: what follows the path's last folder or drive.
const WCHAR* FileNameOf(const WCHAR* path);
// The name is an icon's or a cursor's (ends in .ico or .cur, in any case).
bool HasIconFileName(const WCHAR* path);
bool ShowOpenDialog(OPENFILENAMEW* record);
// The ANSI form of a name, in a buffer of the file dialogs' own; none when the code page cannot
// hold the name exactly (or it does not fit), so the caller must open the file through its wide
// name.
const char* ToAnsiPath(const WCHAR* path);
