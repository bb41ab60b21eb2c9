// Editor-wide state with its start values, and the start palette.
#include "base/editor_state.h"

HINSTANCE AppInstance;
HWND MainWindow;
HWND ViewWindow;
HWND ImageWindows[3];
HWND TransparentToolWindow;

int CanvasWidth = 32;
int CanvasHeight = 32;
int Scale = 10;

int CurrentTool;
int LineWidth;
COLORREF LineColor;
COLORREF FillColor;
COLORREF PaletteColors[PALETTE_SIZE];
int LineColorCell;
int FillColorCell;
int TransparencyMode;
int OpacityTool;

DWORD DocumentKind;
int Modified;
int NoCanvas = 1;
int SizeChosen;
int ImagePending;

// Used directly as colour values these words show red and blue exchanged, exactly as a loaded
// 4-bit colour table does, so the palette and the image always agree.
const COLORREF StandardColors[PALETTE_SIZE] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

void InitPalette() {
    for (int i = 0; i < PALETTE_SIZE; i++)
        PaletteColors[i] = StandardColors[i];
}

void ResetEditorState() {
    MainWindow = ViewWindow = TransparentToolWindow = nullptr;
    for (HWND& window : ImageWindows)
        window = nullptr;
    CanvasWidth = CanvasHeight = 32;
    Scale = 10;
    CurrentTool = LineWidth = 0;
    LineColor = FillColor = 0;
    LineColorCell = FillColorCell = 0;
    InitPalette();
    TransparencyMode = OpacityTool = 0;
    DocumentKind = 0;
    Modified = 0;
    NoCanvas = 1;
    SizeChosen = ImagePending = 0;
}
