// Rectangle selection, the copy buffer and the floating block.
#include "canvas/canvas.h"

RECT Selection;
int SelectionShown;
int ClipValid;
BITMAPINFO* ClipInfo;
HBITMAP ClipBitmap;
BYTE* ClipBits;
int Floating;
POINT PastePos;
POINT PasteBase;
RECT PasteRect;

int CopySelection(HWND) { return 0; }
void ShowPaste(HWND) {}
void DrawSelectionFrame(HDC, int, int, int, int, int) {}
void PlaceFloatingBlock(HWND) {}
