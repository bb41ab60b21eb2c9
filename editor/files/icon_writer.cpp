// Writes the image as an icon file, alone or back into the held icon.
#include "files/files.h"

bool WriteIconFile(const WCHAR*, int, int) { return false; }
DWORD MakeIconEntry(DWORD, int, int, int, IconEntry*) { return 0; }
void StoreIconImage(bool, int, int, int, int, DWORD, const BITMAPINFO*, const BYTE*,
                    const BYTE*) {}
