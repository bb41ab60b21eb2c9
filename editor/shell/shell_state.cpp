// The state the shell's windows and dialogs share, with its start values.
#include "shell/shell.h"

HMENU MainMenu;
HWND MenuBarWindow;
int MenuBarHeight = 24;
HWND ToolBarWindow;
HWND LineBarWindow;
HWND PaletteWindow;

int ClientWidth;
int ClientHeight;
int PaletteWidth;
int WideLayoutMinWidth;
int LayoutMode;
int ViewWidth;
int ViewHeight;

int PrevCanvasWidth = 32;
int PrevCanvasHeight = 32;
int PrevScale = 10;
int CanvasSizeChoice;

HACCEL KeyTable;
int ScaleWheelTurn;
WCHAR DocumentFile[PATH_CHARS];
int DocumentFileFormat;
WCHAR NamedFile[PATH_CHARS];
bool HandedFileWaiting;

void ResetShellState() {
    MainMenu = nullptr;
    MenuBarWindow = ToolBarWindow = LineBarWindow = PaletteWindow = nullptr;
    MenuBarHeight = 24;
    ClientWidth = ClientHeight = PaletteWidth = WideLayoutMinWidth = LayoutMode = 0;
    ViewWidth = ViewHeight = 0;
    PrevCanvasWidth = PrevCanvasHeight = 32;
    PrevScale = 10;
    CanvasSizeChoice = 0;
    KeyTable = nullptr;
    DocumentFile[0] = NamedFile[0] = 0;
    HandedFileWaiting = false;
    DocumentFileFormat = 0;
    ScaleWheelTurn = 0;
}
