// Editor-wide state: the process-wide variables that windows of more than one subsystem read
// and write. This header and report.h are the base every subsystem stands on: they include
// nothing else of the editor. State that one subsystem owns is declared in its own header.
#pragma once
#include <windows.h>

// Values of DocumentKind: low half the format, high half the origin.
#define DOCUMENT_FORMAT_BITMAP 1
#define DOCUMENT_FORMAT_ICON 2
#define DOCUMENT_ORIGIN_NEW 1
#define DOCUMENT_ORIGIN_FILE 2
#define DOCUMENT_NEW_BITMAP MAKELONG(DOCUMENT_FORMAT_BITMAP, DOCUMENT_ORIGIN_NEW)
#define DOCUMENT_BITMAP_FILE MAKELONG(DOCUMENT_FORMAT_BITMAP, DOCUMENT_ORIGIN_FILE)
#define DOCUMENT_ICON_FILE MAKELONG(DOCUMENT_FORMAT_ICON, DOCUMENT_ORIGIN_FILE)

// Tool numbers, in the tool bar's order.
#define TOOL_PEN 0
#define TOOL_RECT 1
#define TOOL_FILLRECT 2
#define TOOL_ELLIPSE 3
#define TOOL_FILLELLIPSE 4
#define TOOL_COPYRECT 5
#define TOOL_COUNT 6 // the tool bar's cells
// The fill has no cell of its own: a key, a menu item or a secondary tap on the tool bar
// chooses it, and the tool bar then marks none of its cells.
#define TOOL_FILL 6

#define PALETTE_SIZE 16

// Window handles that more than one subsystem needs.
extern HINSTANCE AppInstance;
extern HWND MainWindow;
extern HWND ViewWindow;
extern HWND ImageWindows[3]; // [0] canvas, [1] full-size monitor, [2] half-size monitor
extern HWND TransparentToolWindow;

// Image geometry. A new Scale takes effect only through the shell's SetScale; each window
// that shows the image reads it when it handles a message and hands it on to what it calls.
extern int CanvasWidth;
extern int CanvasHeight;
extern int Scale;

// Drawing state: set by the tool windows, used by the canvas.
extern int CurrentTool;
extern int LineWidth;
extern COLORREF LineColor;
extern COLORREF FillColor;
extern COLORREF PaletteColors[PALETTE_SIZE];
// The palette cell each colour was last chosen from: a colour picked from the picture that
// no cell holds goes into it, and a cell given a new colour passes it on to the colour chosen
// from it.
extern int LineColorCell;
extern int FillColorCell;
extern int TransparencyMode;
extern int OpacityTool; // 0 opaque, 1 transparent

// Document state.
extern DWORD DocumentKind;
extern int Modified;
extern int NoCanvas;
extern int SizeChosen;
extern int ImagePending;

// The standard 16-colour DIB table written as 0x00RRGGBB words: the start palette and the
// colour table of every image the editor makes.
extern const COLORREF StandardColors[PALETTE_SIZE];

// Fills PaletteColors with the start palette. Called once, at start-up.
void InitPalette();
// Puts every variable above back to its start value and the palette to the start palette;
// AppInstance stays, as it names the running program.
void ResetEditorState();
