// Editor-wide state: the process-wide variables every window of the editor reads and writes.
// Variables that belong to one subsystem are declared in that subsystem's header.
#pragma once
#include <windows.h>
#include <aygshell.h>

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
#define TOOL_COUNT 6

#define PALETTE_SIZE 16

// Instance and window handles.
extern HINSTANCE AppInstance;
extern HWND MainWindow;
extern HMENU MainMenu;
extern HWND MenuBarWindow;
extern int MenuBarHeight;
extern SHACTIVATEINFO ActivateInfo;
extern HWND ToolBarWindow;
extern HWND LineBarWindow;
extern HWND PaletteWindow;
extern HWND ViewWindow;
extern HWND ImageWindows[3]; // [0] canvas, [1] full-size monitor, [2] half-size monitor
extern HWND TransparentToolWindow;

// Layout values, written by the main window's layout pass.
extern int ClientWidth;
extern int ClientHeight;
extern int PaletteWidth;
extern int WideLayoutMinWidth;
extern int LayoutMode; // 1 wide, 2 narrow
extern int ViewWidth;
extern int ViewHeight;
extern int ViewScrollX; // written by the view window
extern int ViewScrollY;

// Image geometry and display.
extern int CanvasWidth;
extern int CanvasHeight;
extern int ImageBitCount;
extern int Scale;
extern int MeshOn;
extern int PrevCanvasWidth;
extern int PrevCanvasHeight;
extern int PrevScale;

// Drawing state.
extern int CurrentTool;
extern int LineWidth;
extern COLORREF LineColor;
extern COLORREF FillColor;
extern COLORREF PaletteColors[PALETTE_SIZE];
extern int TransparencyMode;
extern int OpacityTool; // 0 opaque, 1 transparent

// Document state.
extern DWORD DocumentKind;
extern int Modified;
extern int NoCanvas;
extern int SizeChosen;
extern int ImagePending;
extern int CanvasSizeChoice; // 0 "16 x 16", 1 "32 x 32"

// Fills PaletteColors with the start palette. Called once, at start-up.
void InitPalette();
