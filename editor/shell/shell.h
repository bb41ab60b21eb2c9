// The editor shell: start-up, the main window and its commands, the save prompt and error
// reporting, and the dialog boxes.
#pragma once
#include <windows.h>

// Start-up: everything the program entry does, returning the exit code.
int RunEditor(HINSTANCE instance, HINSTANCE previous, int showCommand);
void RegisterEditorClasses(HINSTANCE instance);

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT LayoutChildren(HWND window, LPARAM size);

// Save prompt and error reporting.
int ConfirmDiscard(HWND owner, const WCHAR* name, const WCHAR* caption);
int ShowSavePrompt(HWND owner, UINT message, int command, const WCHAR* name,
                   const WCHAR* caption);
void ReportError(HWND owner, const WCHAR* format, const WCHAR* name, const WCHAR* caption);

// Dialog boxes.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CanvasSizeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the dialog template of that name from AppInstance modally; its EndDialog result.
INT_PTR RunDialog(HWND owner, const WCHAR* templateName, DLGPROC procedure);
