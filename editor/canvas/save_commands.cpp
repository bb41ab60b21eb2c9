// The canvas's two Save As commands.
#include "canvas/canvas.h"

int SaveImageAsBitmap(HWND) { return 0; }
int SaveImageAsIcon(HWND) { return 0; }
