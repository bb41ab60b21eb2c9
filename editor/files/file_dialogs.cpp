// The shared open/save dialog record, the document's file names and ANSI conversion.
#include "files/files.h"

OPENFILENAMEW FileDialogRecord;
char AnsiPathBuffer[PATH_CHARS];
WCHAR DocumentPath[PATH_CHARS];
WCHAR DocumentDirectory[PATH_CHARS];
WCHAR DocumentTitle[TITLE_CHARS];

void PrepareBitmapDialog(HWND, WCHAR*, WCHAR*) {}
void PrepareIconDialog(HWND, WCHAR*, WCHAR*) {}
void ResetFileDialog(HWND, WCHAR*, WCHAR*) {}
bool RunOpenDialog(HWND, WCHAR*, WCHAR*, WCHAR*) { return false; }
bool RunSaveDialog(HWND, WCHAR*, WCHAR*) { return false; }
bool ShowOpenDialog(OPENFILENAMEW*) { return false; }
const char* ToAnsiPath(const WCHAR*) { return AnsiPathBuffer; }
