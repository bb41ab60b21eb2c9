// The image-file subsystem: bitmap and icon readers and writers, the file dialogs and file
// names, and the image slots through which a loaded image reaches the canvas.
#pragma once
#include <windows.h>
#include <commdlg.h>

#define PATH_CHARS 260
#define TITLE_CHARS 512
#define SLOT_COUNT 5

// ---- Image slots -------------------------------------------------------------------------
struct ImageSlot {
    WCHAR Directory[PATH_CHARS];
    WCHAR Path[PATH_CHARS];
    WCHAR Title[TITLE_CHARS];
    BYTE* Dib;     // packed DIB of the loaded image, none when empty
    BYTE* Bits;    // first stored pixel row inside Dib
    short Width;
    short Height;
    BYTE* AndMask; // icon only: the selected image's AND mask
};

extern ImageSlot ImageSlots[SLOT_COUNT];
extern int CurrentSlot;
extern HLOCAL SlotBitmapMemory[SLOT_COUNT]; // block of a bitmap file read into the slot

void ReleaseSlot(int slot);

// ---- DIB fields and the bitmap reader ------------------------------------------------
DWORD ReadLE32(const BYTE* p);
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
    BYTE* ImageData;
};

extern IconDir IconDirectory;
extern IconEntry* IconEntries;
extern int SelectedIconImage;
extern bool IconHasTransparency;

bool OpenIconIntoSlot(HWND owner, int slot);
bool ReadIconFile(const WCHAR* path);
bool SelectIconImage(int slot, int image);
int IconMaskHasTransparency(int slot);
void ReleaseHeldIcon();

// ---- Writers ---------------------------------------------------------------------------
bool WriteIconFile(const WCHAR* path, int width, int height);
DWORD MakeIconEntry(DWORD imageOffset, int width, int height, int bitCount, IconEntry* entry);
void StoreIconImage(bool isNew, int entry, int bitCount, int width, int height, DWORD size,
                    const BITMAPINFO* info, const BYTE* bits, const BYTE* mask);
bool WriteDib(HWND owner, const WCHAR* path, int width, int height);

// ---- File dialogs and file names ----------------------------------------------------
extern OPENFILENAMEW FileDialogRecord;
extern char AnsiPathBuffer[PATH_CHARS];
extern WCHAR DocumentPath[PATH_CHARS];
extern WCHAR DocumentDirectory[PATH_CHARS];
extern WCHAR DocumentTitle[TITLE_CHARS];

void PrepareBitmapDialog(HWND owner, WCHAR* path, WCHAR* directory);
void PrepareIconDialog(HWND owner, WCHAR* path, WCHAR* directory);
void ResetFileDialog(HWND owner, WCHAR* path, WCHAR* directory);
bool RunOpenDialog(HWND owner, WCHAR* directory, WCHAR* path, WCHAR* title);
bool RunSaveDialog(HWND owner, WCHAR* path, WCHAR* title);
bool ShowOpenDialog(OPENFILENAMEW* record);
const char* ToAnsiPath(const WCHAR* path);
