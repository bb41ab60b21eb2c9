// The canvas subsystem: the pixel image with its undo store, mask and header builder; the
// magnified canvas window and its drawing tools; rectangle copy and paste; the monitors;
// the save commands. The subsystem owns every bitmap below for the whole run.
#pragma once
#include <windows.h>

// ---- Pixel image and undo store --------------------------------------------------------
// Header blocks (BITMAPINFO with colour table) come zero-filled from LocalAlloc(LPTR).
extern HBITMAP ImageBitmap;
extern BYTE* ImageBits;
extern BITMAPINFO* ImageInfo;

extern HBITMAP MaskBitmap; // 1 bit: white (1) transparent, black (0) opaque
extern BYTE* MaskBits;
extern BITMAPINFO* MaskInfo;

extern HBITMAP CompositeBitmap; // 4-bit scratch for the masked view
extern BYTE* CompositeBits;
extern BITMAPINFO* CompositeInfo;

extern HBITMAP UndoBitmap;
extern BYTE* UndoBits;
extern BITMAPINFO* UndoInfo;
extern int UndoAvailable;
extern int RedoAvailable;
extern int UndoHoldsMask; // the snapshot is of the mask (a stroke in the transparency mode)

// Builds a DIB header with its colour table in *holder, or returns the block already there.
BITMAPINFO* iDrawBitmapN(HWND owner, int bitCount, int width, int height, BITMAPINFO** holder);
int CreateImage(HWND window);
void DiscardImage();
// Snapshots what a stroke edits: the mask while the transparency mode has one, else the image.
int TakeSnapshot(HWND window);
// Snapshots the colour image whatever the mode, for edits that always change the image
// (placing a floating block).
int TakeImageSnapshot(HWND window);
void RestoreSnapshot(HWND window, HDC target);
void SwapSnapshot();
int ResizeImage(HWND window);
int LoadSlotImage(HWND window, int command);
int CreateMask(HWND window, int fromIcon);
// Drops the undo history, so the next Undo or Redo has nothing to exchange.
void DropUndoHistory();
// The main window's Undo (31) and Redo (32) commands.
void UndoCommand();
void RedoCommand();

// ---- Canvas window ------------------------------------------------------------------------
LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RepaintCanvas(HWND window, HDC dc);
void DrawMaskedView(HDC dc, int scale);
void DrawMesh(HWND window);

// ---- Drawing tools (stroke state) --------------------------------------------------------
extern int StrokeActive;
extern POINT StrokeAnchor;
extern POINT StrokePoint;
extern COLORREF MaskPixelColor;

// ---- Rectangle copy and paste ----------------------------------------------------------
extern RECT Selection; // not normalised: left/top the press pixel, right/bottom the current
extern int SelectionShown;
extern int ClipValid;
extern BITMAPINFO* ClipInfo;
extern HBITMAP ClipBitmap;
extern BYTE* ClipBits;
extern int Floating;
extern POINT PastePos;
extern POINT PasteBase;
extern RECT PasteRect;

int CopySelection(HWND canvas);
void ShowPaste(HWND canvas);
void DrawSelectionFrame(HDC dc, int left, int top, int right, int bottom, int scale);
// Places a floating block where it stands (one undo step) and ends the floating.
void PlaceFloatingBlock(HWND canvas);

// ---- Monitor window ---------------------------------------------------------------------
LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Save commands (canvas commands 13 and 26); 1 when the file was written ----------
int SaveImageAsBitmap(HWND canvas);
int SaveImageAsIcon(HWND canvas);
