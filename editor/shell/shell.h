// The editor shell: start-up, the main window and its layout and commands, the save prompt,
// and the dialog boxes. The top of the editor: nothing below includes this header.
#pragma once
#include <windows.h>
#include <aygshell.h>

// ---- State the shell owns ------------------------------------------------------------------
extern HMENU MainMenu;
extern HWND MenuBarWindow;
extern int MenuBarHeight;
extern HWND ToolBarWindow;
extern HWND LineBarWindow;
extern HWND PaletteWindow;

// Layout values, written by the layout pass.
extern int ClientWidth;
extern int ClientHeight;
extern int PaletteWidth;
extern int WideLayoutMinWidth;
extern int LayoutMode; // 1 wide, 2 narrow
extern int ViewWidth;
extern int ViewHeight;

// The dialogs' memory of the values they opened with.
extern int PrevCanvasWidth;
extern int PrevCanvasHeight;
extern int PrevScale;
extern int CanvasSizeChoice; // 0 "16 x 16", 1 "32 x 32"

// Puts the shell's state back to its start values.
void ResetShellState();

// ---- Start-up ---------------------------------------------------------------------------------
// Everything the program entry does, returning the exit code.
int RunEditor(HINSTANCE instance, HINSTANCE previous, int showCommand);
// Everything up to the message loop: 1 when the main window is up and the loop should run,
// 0 when the program ends at once (another instance runs, or the window was not created).
int StartEditor(HINSTANCE instance, HINSTANCE previous, int showCommand);
// Runs until the quit message; its code.
int RunMessageLoop();
void RegisterEditorClasses(HINSTANCE instance);

// ---- Main window and its layout --------------------------------------------------------------
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Where the children go at a client size; the one place that knows the layout's rules.
struct MainLayout {
    int Mode;         // 1 wide, 2 narrow
    int WideMinWidth; // the narrowest client area that takes the wide layout
    RECT ToolBar, LineBar, TransparentTool, Palette, View;
    RECT FullMonitor, HalfMonitor; // where each monitor stands at its layout size
};
void ComputeLayout(int width, int height, MainLayout* layout);
// The WM_SIZE handler: stores the layout values and places every child that exists.
LRESULT LayoutChildren(HWND window, LPARAM size);
// Lays the children out again at the current client size (sends WM_SIZE), after anything
// that moves or resizes one: the canvas created, the scale or the image size changed.
void LayOutAgain(HWND window);
// Creates the canvas if it is missing (command 50); command is the one being handled.
LRESULT EnsureCanvas(HWND window, int command);

// The open, monitor and transparency commands of the main window (Copy and Paste are the
// canvas subsystem's CopyCommand and PasteCommand).
LRESULT OpenBitmapCommand(HWND window);
LRESULT OpenIconCommand(HWND window);
LRESULT OpenMonitorCommand(HWND window);
LRESULT CloseMonitorCommand(HWND window);
LRESULT TransparencyCommand(HWND window, LPARAM lParam);

// The Icon Images command (its dialog) and what the dialog does, each false when nothing
// changed (a failure has been told): the canvas switched to image i of the icon, the image
// there kept with its edits; a 16 x 16 or 32 x 32 image of 16 colours added, blank or made
// from the canvas; image i removed (never the last), the canvas moving to its neighbour first
// when it shows it.
LRESULT IconImagesCommand(HWND window);
INT_PTR CALLBACK IconImagesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
bool SwitchCanvasImage(HWND window, int index);
bool AddIconImageOf(HWND window, int side, bool fromCanvas);
bool RemoveIconImageAt(HWND window, int index);

// ---- Save prompt ------------------------------------------------------------------------------
int ConfirmDiscard(HWND owner, const WCHAR* name, const WCHAR* caption);
int ShowSavePrompt(HWND owner, UINT message, int command, const WCHAR* name, const WCHAR* caption);

// ---- Dialog boxes -----------------------------------------------------------------------------
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CanvasSizeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the dialog template of that name from AppInstance modally; its EndDialog result.
INT_PTR RunDialog(HWND owner, const WCHAR* templateName, DLGPROC procedure);
