// Reads an icon file whole into the held icon and points a slot at one of its images.
#include "files/files.h"

IconDir IconDirectory;
IconEntry* IconEntries;
int SelectedIconImage;
bool IconHasTransparency;

bool OpenIconIntoSlot(HWND, int) { return false; }
bool ReadIconFile(const WCHAR*) { return false; }
bool SelectIconImage(int, int) { return false; }
int IconMaskHasTransparency(int) { return 0; }
void ReleaseHeldIcon() {}
