// Editor-wide state with its start values, and the start palette.
#include "shell/editor_state.h"

HINSTANCE AppInstance;
HWND MainWindow;
HMENU MainMenu;
HWND MenuBarWindow;
int MenuBarHeight = 24;
SHACTIVATEINFO ActivateInfo;
HWND ToolBarWindow;
HWND LineBarWindow;
HWND PaletteWindow;
HWND ViewWindow;
HWND ImageWindows[3];
HWND TransparentToolWindow;

int ClientWidth;
int ClientHeight;
int PaletteWidth;
int WideLayoutMinWidth;
int LayoutMode;
int ViewWidth;
int ViewHeight;
int ViewScrollX;
int ViewScrollY;

int CanvasWidth = 32;
int CanvasHeight = 32;
int ImageBitCount = 4;
int Scale = 10;
int MeshOn = 1;
int PrevCanvasWidth = 32;
int PrevCanvasHeight = 32;
int PrevScale = 10;

int CurrentTool;
int LineWidth;
COLORREF LineColor;
COLORREF FillColor;
COLORREF PaletteColors[PALETTE_SIZE];
int TransparencyMode;
int OpacityTool;

DWORD DocumentKind;
int Modified;
int NoCanvas = 1;
int SizeChosen;
int ImagePending;
int CanvasSizeChoice;

// The standard 16-colour DIB table written as 0x00RRGGBB words. Used directly as colour
// values they show red and blue exchanged, exactly as a loaded 4-bit colour table does,
// so the palette and the image always agree.
static const COLORREF StartPalette[PALETTE_SIZE] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

void InitPalette() {
    for (int i = 0; i < PALETTE_SIZE; i++)
        PaletteColors[i] = StartPalette[i];
}
