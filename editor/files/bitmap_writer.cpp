// Writes the image as a bitmap file.
#include "files/files.h"

bool WriteDib(HWND, const WCHAR*, int, int) { return false; }
