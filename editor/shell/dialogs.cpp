// The About, Canvas Size and Scale dialog boxes.
#include "shell/shell.h"

INT_PTR CALLBACK AboutDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK CanvasSizeDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK ScaleDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR RunDialog(HWND, const WCHAR*, DLGPROC) { return 0; }
