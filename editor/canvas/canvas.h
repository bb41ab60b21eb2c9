// The canvas subsystem: the pixel image with its undo store, mask and header builder; the
// magnified canvas window and its drawing tools; rectangle copy and paste; the monitors;
// the save commands. The subsystem owns every bitmap below for the whole run.
#pragma once
#include <windows.h>

// ---- Pixel image, mask and undo store ----------------------------------------------------
// Header blocks (BITMAPINFO with colour table) come zero-filled from LocalAlloc(LPTR).
extern int ImageBitCount; // bits per pixel of an image the editor makes
extern HBITMAP ImageBitmap;
extern BYTE* ImageBits;
extern BITMAPINFO* ImageInfo;

extern HBITMAP MaskBitmap; // 1 bit: white (1) transparent, black (0) opaque
extern BYTE* MaskBits;
extern BITMAPINFO* MaskInfo;

extern HBITMAP CompositeBitmap; // scratch for the masked view (4-bit for a 4-bit image)
extern BYTE* CompositeBits;
extern BITMAPINFO* CompositeInfo;

extern int UndoAvailable;
extern int RedoAvailable;
extern int UndoHoldsMask;    // the snapshot is of the mask (a stroke in the transparency mode)
extern int UndoHoldsHotSpot; // the step is a cursor's hot spot moved, kept apart from the image

// Builds a DIB header with its colour table in *holder, or returns the block already there.
BITMAPINFO* iDrawBitmapN(HWND owner, int bitCount, int width, int height, BITMAPINFO** holder);
int CreateImage(HWND window);
void DiscardImage();
int ResizeImage(HWND window);
int LoadSlotImage(HWND window, int command);
// Makes the image's mask (from the icon's AND mask when fromIcon) and turns the mode on.
int CreateMask(HWND window, int fromIcon);
// Paint with the mode off makes the pixels it covers opaque. The mask that paint marks: the
// image's own, made from the icon's AND mask when the image has transparent pixels but no mask
// of its own yet (the mode stays off); none when every pixel is opaque anyway.
HBITMAP MaskForPainting(HWND canvas);
// Marks opaque each pixel that `painted` (1 bit a pixel, laid out as the mask) has at 0, the
// paint's black; or each pixel of a block placed at `pixels` (image pixels, top-down).
void MarkPaintedOpaque(const BYTE* painted);
void MarkBlockOpaque(const RECT* pixels);
// Lets go of the mask and its scratch bitmap (and an undo step that holds the mask).
void DropMask();
// A 4-bit scratch takes the 4-bit image's colour table, so the masked view shows its colours.
void MatchScratchTable();
// Snapshots what a stroke edits: the mask while the transparency mode has one, else the image.
int TakeSnapshot(HWND window);
// Snapshots the colour image whatever the mode, for edits that always change the image
// (placing a floating block).
int TakeImageSnapshot(HWND window);
// The same with the palette as it is, for a custom colour that changes the colour table.
int TakeRecolourSnapshot(HWND window);
void RestoreSnapshot(HWND window, HDC target);
// The same for image rows top..bottom-1 only (the rubber band puts back where its last
// figure lay).
void RestoreSnapshotRows(HWND window, HDC target, int top, int bottom);
void SwapSnapshot();
// Makes moving the hot spot from `previous` the undo step.
void RecordHotSpotStep(POINT previous);
// Drops the undo history, so the next Undo or Redo has nothing to exchange.
void DropUndoHistory();
// The same when the undo step holds the mask (alone or with the image): the mask is going.
void DropUndoHistoryOfMask();
// The main window's Undo (31) and Redo (32) commands.
void UndoCommand();
void RedoCommand();

// ---- Painting ---------------------------------------------------------------------------------
extern int MeshOn;
// The full paint of the canvas into dc at `scale` screen pixels per image pixel.
void PaintCanvas(HWND window, HDC dc, int scale);
// The live repaint of a stroke: the cells marked changed since the last one, on the canvas
// into dc and on both monitors at once; nothing when none is marked.
void RepaintCanvas(HWND window, HDC dc, int scale);
// What a move changed, in image cells (left..right-1, top..bottom-1; cells past the image's
// edge count too, where a frame reaches), for the next live repaint; or everything.
void MarkCellsChanged(int left, int top, int right, int bottom);
void MarkAllCellsChanged();
// The tests' reference: while set, every live repaint redraws the whole visible canvas and
// has both monitors repainted through the window manager, and the marks are not used.
extern int WholeLiveRepaint;
void DrawMaskedView(HDC dc, int scale);
// Draws the image pixels `src` stretched onto `dst` of dc, through the mask when `masked`
// (and a mask of the image's size exists). Shared by the canvas and the monitors.
void DrawImagePart(HDC dc, const RECT* dst, const RECT* src, int masked);

// ---- Drawing by cells: what the paint, the tools and copy and paste all use ---------------
// The image cells at `scale` screen pixels per pixel that meet dc's clip box; false when
// none does. Only those need drawing: the rest of a large canvas is scrolled out of view.
bool VisibleCells(HDC dc, int scale, RECT* cells);
// Source row of a DIB for a rectangle whose top image row is `top` and height `rows`.
int DibSourceY(const BITMAPINFO* info, int top, int rows);
// The checkered frame around image pixels left..right-1, top..bottom-1.
void DrawSelectionFrame(HDC dc, int left, int top, int right, int bottom, int scale);
// Has the canvas and the monitors repaint (erasing first when erase) after the image changed.
void RefreshViews(HWND canvas, BOOL erase);
// The frame around `frame` (image pixels), only its cells that meet `clip` (screen pixels).
void DrawSelectionFrameIn(HDC dc, const RECT* frame, int scale, const RECT* clip);

// ---- Canvas window ------------------------------------------------------------------------
LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Drawing tools (stroke state) --------------------------------------------------------
extern int StrokeActive;
// The stylus messages of a stroke, routed here by CanvasProc; a stroke maps stylus points
// to image pixels at the scale it began with.
void StrokePress(HWND canvas, LPARAM point, int scale);
void StrokeMove(HWND canvas, LPARAM point);
void StrokeRelease(HWND canvas, LPARAM point);
// Ends a stroke that lost the stylus capture or its window, as a release where it stands.
void AbandonStroke(HWND canvas);

// ---- Fill and pick ------------------------------------------------------------------------
// The fill tool's press on image pixel `pixel`: the area of its colour and transparency
// filled (or, in the Opaque/Transparency mode, made transparent or opaque), one undo step.
void FillAt(HWND canvas, POINT pixel);
// The pixel shows transparent: the canvas's mask says so, or with none the opened icon's.
bool PixelTransparent(int x, int y);
// The next press on the canvas picks a colour instead of drawing (the Pick Colour command).
extern int PickPending;
// A pick at a press's point (client coordinates, its own flags in keys): the pixel's colour
// becomes the line colour, with MK_SHIFT the fill colour. A cell that holds the colour is
// chosen; else the cell the colour was last chosen from takes it. A transparent pixel or a
// point off the image picks nothing. The main window hears of the change (CMD_COLOURS_CHANGED).
void PickColour(HWND canvas, LPARAM point, WPARAM keys, int scale);
// Gives palette cell `cell` a new colour. On a 4-bit image the colour-table entry the cell
// paints with takes it too (its pixels keep their indices), as one undo step that Undo takes
// back with the cell; above 4 bits only the cell changes. A line or fill colour chosen from
// the cell follows it.
void RecolourPaletteCell(HWND canvas, int cell, COLORREF color);

// ---- Rectangle copy and paste ----------------------------------------------------------
extern RECT Selection; // not normalised: left/top the press pixel, right/bottom the current
extern int SelectionShown;
extern int ClipValid;
extern BITMAPINFO* ClipInfo;
extern BYTE* ClipBits;
extern int Floating;
extern POINT PastePos;
extern POINT PasteBase;
extern RECT PasteRect;

int CopySelection(HWND canvas);
void ShowPaste(HWND canvas, int scale);
// Places a floating block where it stands (one undo step) and ends the floating.
void PlaceFloatingBlock(HWND canvas);
// Leaving the rectangle-copy tool: a floating block is placed, the selection goes.
void LeaveCopyTool(HWND canvas);
// The main window's Copy (28) and Paste (29) commands.
void CopyCommand(HWND canvas);
void PasteCommand(HWND canvas);
// The selected pixels: `Selection` in either drag direction, clipped to the image; false
// when it holds no pixel.
bool SelectedPixels(RECT* pixels);
// Tool 5's part of a stroke, at the moves and the release (image pixels). A move, from the
// pixel of the one before (or of the press), marks the cells of the frame or block it changed.
void SelectMove(POINT anchor, POINT from, POINT pixel);
void SelectRelease(HWND canvas, POINT anchor, POINT pixel);
// The frame or the floating block over the picture, for the full paint and the whole live
// repaint.
void DrawSelectionOverlay(HWND canvas, HDC dc, int scale);
// The same for the live repaint, drawn into dc and only over the cells `cells`.
void DrawSelectionOverlayIn(HDC dc, int scale, const RECT* cells);
// No selection, nothing copied, nothing floating.
void ResetCopyPaste();

// ---- Monitor window ---------------------------------------------------------------------
LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// What each monitor (by its divisor, 1 or 2) shows behind transparent pixels; a tap on it
// shows the next, and the choice stays until the program ends.
#define MONITOR_WINDOW_COLOUR 0
#define MONITOR_WHITE 1
#define MONITOR_BLACK 2
#define MONITOR_CHECKERBOARD 3
#define MONITOR_BACKGROUNDS 4
extern int MonitorBackground[3];
// The live repaint's part of the monitors: the pixels showing image cells `cells` (all when
// none), drawn straight into device contexts kept until ReleaseMonitorDCs (a stroke's end).
void RepaintMonitors(const RECT* cells);
void ReleaseMonitorDCs();

// ---- Save commands (canvas commands 13 and 26); 1 when the file was written ----------
int SaveImageAsBitmap(HWND canvas);
int SaveImageAsIcon(HWND canvas);
// The same saves without the dialog: to DocumentPath as it stands.
int WriteImageAsBitmap(HWND canvas);
int WriteImageAsIcon(HWND canvas);
// The image as the save commands hand it to a writer: with the mask an icon is written
// with when forIcon, else without one.
struct ImageToWrite;
void CanvasImageToWrite(bool forIcon, ImageToWrite* image);

// ---- The Icon Images command's canvas side ---------------------------------------------------
// Takes the image the current slot now points at (another image of the held icon) in place
// of the one on the canvas, as an opened icon is taken: the undo history goes, the mask is made
// anew when asked for, the document keeps its name. 0 when the image could not be made; the
// old one stays then.
int TakeIconImage(HWND canvas);
// A new image of width x height at bitCount (4, 8 or 32), blank (white and opaque with a
// colour table, else clear throughout) or made from the canvas's image and mask
// (ResampleImage). One block from calloc holds header, colour table, pixels and mask,
// described by *image; none when memory is lacking.
BYTE* MakeIconImage(int width, int height, int bitCount, bool fromCanvas, ImageToWrite* image);
BYTE* BlankIconImage(int width, int height, int bitCount, ImageToWrite* image);
// The source (any bit count, with its mask or none) made width x height at bitCount: smaller
// by averaging the pixels covered, colour weighted by alpha; larger by the nearest pixel
// (whole repetition at whole factors). 4 and 8 bits take the nearest colour of the source's
// table or the palette's (8 bits: then the standard cube) and are transparent where alpha is
// under half; 32 bits keep the alpha, transparent where it is 0. A block as above.
BYTE* ResampleImage(const ImageToWrite* source, int width, int height, int bitCount,
                    ImageToWrite* image);

// ---- A cursor's hot spot ----------------------------------------------------------------------
// Set by the Hot Spot command: the next press on the canvas moves the hot spot there.
extern int PickingHotSpot;
// Moves the chosen cursor image's hot spot to the pixel under the press: one undo step.
void PlaceHotSpot(HWND canvas, LPARAM point, int scale);
// The cross over the hot spot's cell, drawn over the picture (not into it) when the cell is
// among the image cells `redrawn` (all when none).
void DrawHotSpotMark(HDC dc, int scale, const RECT* redrawn);

// Puts the subsystem's state back to its start values: no image, mask or undo step, no
// stroke, no selection or copy, mesh on.
void ResetCanvasState();
