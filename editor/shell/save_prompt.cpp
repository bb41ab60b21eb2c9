// The save prompt that guards destructive commands, and the common error box.
#include "shell/shell.h"

int ConfirmDiscard(HWND, const WCHAR*, const WCHAR*) { return 1; }

int ShowSavePrompt(HWND, UINT, int, const WCHAR*, const WCHAR*) { return IDNO; }

void ReportError(HWND, const WCHAR*, const WCHAR*, const WCHAR*) {}
