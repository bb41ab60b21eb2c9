// The canvas's side of the Icon Images command: taking another image of the icon in place of
// the one on the canvas, and making a new image, blank or from the canvas's image.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "resources/resource_ids.h"

int TakeIconImage(HWND canvas) {
    if (!canvas) return 0;
    // The document keeps its name: the load would give it the name the icon was opened by,
    // which a later Save As may have changed.
    WCHAR name[PATH_CHARS];
    lstrcpynW(name, DocumentPath, PATH_CHARS);
    int taken = LoadSlotImage(canvas, CMD_OPEN_ICON);
    lstrcpynW(DocumentPath, name, PATH_CHARS);
    return taken;
}

BYTE* MakeIconImage(int width, int height, int bitCount, bool fromCanvas, ImageToWrite* image) {
    if (!fromCanvas) return BlankIconImage(width, height, bitCount, image);
    if (!ImageInfo || !ImageBits) return nullptr;
    ImageToWrite canvas;
    CanvasImageToWrite(true, &canvas);
    return ResampleImage(&canvas, width, height, bitCount, image);
}
