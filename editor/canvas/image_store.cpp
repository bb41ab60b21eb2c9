// The pixel image, its undo snapshot, the transparency mask and the DIB header builder.
#include "canvas/canvas.h"

HBITMAP ImageBitmap;
BYTE* ImageBits;
BITMAPINFO* ImageInfo;
HBITMAP MaskBitmap;
BYTE* MaskBits;
BITMAPINFO* MaskInfo;
HBITMAP CompositeBitmap;
BYTE* CompositeBits;
BITMAPINFO* CompositeInfo;
HBITMAP UndoBitmap;
BYTE* UndoBits;
BITMAPINFO* UndoInfo;
int UndoAvailable;
int RedoAvailable;

BITMAPINFO* iDrawBitmapN(HWND, int, int, int, BITMAPINFO** holder) { return *holder; }
int CreateImage(HWND) { return 0; }
void DiscardImage() {}
int TakeSnapshot(HWND) { return 0; }
void RestoreSnapshot(HWND, HDC) {}
void SwapSnapshot() {}
int ResizeImage(HWND) { return 0; }
int LoadSlotImage(HWND, int) { return 0; }
int CreateMask(HWND, int) { return 0; }
void DropUndoHistory() {}
void UndoCommand() {}
void RedoCommand() {}
