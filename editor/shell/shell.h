// The editor shell: start-up, the main window and its commands, the save prompt and error
// reporting, and the dialog boxes.
#pragma once
#include <windows.h>

// Start-up: everything the program entry does, returning the exit code.
int RunEditor(HINSTANCE instance, HINSTANCE previous, int showCommand);
// Everything up to the message loop: 1 when the main window is up and the loop should run,
// 0 when the program ends at once (another instance runs, or the window was not created).
int StartEditor(HINSTANCE instance, HINSTANCE previous, int showCommand);
// Runs until the quit message; its code.
int RunMessageLoop();
void RegisterEditorClasses(HINSTANCE instance);

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT LayoutChildren(HWND window, LPARAM size);
// Lays the children out again at the current client size (sends WM_SIZE), as after the
// canvas was created, the scale changed or the image got another size.
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

// Save prompt and error reporting.
int ConfirmDiscard(HWND owner, const WCHAR* name, const WCHAR* caption);
int ShowSavePrompt(HWND owner, UINT message, int command, const WCHAR* name, const WCHAR* caption);
void ReportError(HWND owner, const WCHAR* format, const WCHAR* name, const WCHAR* caption);

// Dialog boxes.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CanvasSizeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the dialog template of that name from AppInstance modally; its EndDialog result.
INT_PTR RunDialog(HWND owner, const WCHAR* templateName, DLGPROC procedure);
