// The DIB sections the canvas keeps its pictures in (image, mask, scratch, undo step): making
// and freeing them, reading their headers and their pixels. Shared by the image store's files.
#pragma once
#include <windows.h>

const DWORD WhiteColor = 0x00FFFFFF; // as a colour-table word: red, green, blue 255

// Colour-table entries of a DIB of that bit count (none above 8 bits).
int TableEntries(int bitCount);
int InfoWidth(const BITMAPINFO* info);
int InfoHeight(const BITMAPINFO* info);
int InfoBitCount(const BITMAPINFO* info);
DWORD* InfoTable(BITMAPINFO* info);
size_t InfoPixelBytes(const BITMAPINFO* info);
// Same size, bit count and colour table: pixels of one mean the same in the other.
bool SameLayout(BITMAPINFO* a, BITMAPINFO* b);

// A header and its DIB section made together, both or neither. When table is given, the
// section takes that colour table (entries words, the rest zero) instead of the standard one.
HBITMAP MakeBitmap(HWND owner, const WCHAR* caption, int bitCount, int width, int height,
                   const DWORD* table, int entries, BITMAPINFO** info, BYTE** bits);
void FreeBitmap(HBITMAP* bitmap, BYTE** bits, BITMAPINFO** info);

// Pixels in top-down coordinates over bottom-up rows.
BYTE* RowOf(const BITMAPINFO* info, BYTE* bits, int y);
int IndexAt(const BYTE* row, int bitCount, int x);
void SetIndexAt(BYTE* row, int bitCount, int x, int index);
// The pixel's colour as a colour-table word (0x00RRGGBB).
DWORD ColorAt(BITMAPINFO* info, const BYTE* row, int x);
int NearestIndex(const DWORD* table, int entries, DWORD color);
// The table iDrawBitmapN gives that bit count: black and white, the 16 colours, the cube.
void FillStandardTable(BITMAPINFO* info, int bitCount);
void FillWhite(BITMAPINFO* info, BYTE* bits);

// The mask and the scratch bitmap of the masked view for an image of that bit count (4 bits
// for up to 4, else 24), made together, both or neither, every mask pixel opaque.
struct MaskPair {
    HBITMAP Mask, Scratch;
    BYTE *MaskBits, *ScratchBits;
    BITMAPINFO *MaskInfo, *ScratchInfo;
};
bool MakeMaskPair(HWND owner, const WCHAR* caption, int width, int height, int imageBits,
                  MaskPair* pair);
void FreeMaskPair(MaskPair* pair);
// Puts a pair in place of the mask and scratch bitmap there are.
void InstallMaskPair(const MaskPair* pair);
