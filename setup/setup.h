// The installer's process-wide state and the operations its windows share: the main
// window with the step machine, the welcome dialog and the agreement window.
#pragma once
#include <windows.h>
#include "aygshell.h"
#include "setup_ids.h"

#define SETUP_PATH_CHARS 260
#define LANGUAGE_JAPANESE 0x0411

// ---- Program state --------------------------------------------------------------------------
extern HINSTANCE SetupInstance;
extern HWND SetupWindow;
extern HWND AgreementWindow; // none until the agreement is shown, and again once it is gone
// Where the device language comes from; tests point it at their own query.
extern LANGID(WINAPI* QueryDeviceLanguage)(void);
extern LANGID SetupLanguage;
extern HBITMAP LogoBitmap;
extern int LogoWidth, LogoHeight;
extern int DialogUnitX, DialogUnitY;
extern int ClientWidth, ClientHeight;
extern HWND SetupButtons[2]; // [0] "Next"/"I Agree", [1] "Exit"
extern int SetupStep;        // 0 start, 1 agreement shown, 2 installation started
extern SHACTIVATEINFO SetupActivateInfo;
extern WCHAR CabinetPath[SETUP_PATH_CHARS];

// ---- Agreement window state (one agreement window at a time) -----------------------------
extern int AgreementLineHeight, AgreementCharWidth;
extern WCHAR* AgreementText; // the prepared text, owned by the agreement window
extern int AgreementLineCount;
extern int AgreementClientWidth, AgreementClientHeight;
extern int AgreementScrollX, AgreementMaxX; // pixels
extern int AgreementScrollY, AgreementMaxY; // lines
extern int PressX, PressY;

// ---- Main window and flow -------------------------------------------------------------------
// The whole program: start, message loop, exit code.
int RunSetup(HINSTANCE instance);
// Start steps before the message loop: state, classes, the main window (none on failure).
HWND StartSetup(HINSTANCE instance);
void RegisterSetupClasses(HINSTANCE instance);
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Button size in pixels from the dialog base units.
int ButtonWidth();
int ButtonHeight();
void LayoutButtons();
// Place and size of the agreement window for the current client size.
RECT AgreementPlace();
// Cabinet path beside the program file; false when it does not fit the buffer.
bool MakeCabinetPath(WCHAR* path);
// Hands the cabinet to the shell; the shell's verdict is returned but callers ignore it.
bool LaunchCabinet(HWND owner);

// ---- Agreement window -----------------------------------------------------------------------
LRESULT CALLBACK ChildWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Copies a text resource up to its end mark into a new NUL-ended block, counting the line
// feeds; none when the block cannot be allocated. length is in characters.
WCHAR* PrepareAgreementText(const WCHAR* text, size_t length, int* lineCount);
