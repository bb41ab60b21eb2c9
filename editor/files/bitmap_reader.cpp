// Reads a bitmap file into an image slot.
#include "files/files.h"

BYTE* ReadDibFile(int, const WCHAR*) { return nullptr; }
bool OpenBitmapIntoSlot(HWND, int) { return false; }
