// The canvas's side of the Icon Images command: taking another image of the icon in place of
// the one on the canvas, and making a new 16-colour image, blank or from the canvas's image.
#include "canvas/bitmaps.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "resources/resource_ids.h"
#include <cstdlib>
#include <cstring>

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

static bool MaskSet(const BYTE* mask, int width, int height, int x, int y) {
    const BYTE* row = mask + DibStride(width, 1) * (height - 1 - y);
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

// Each pixel of the new image takes the canvas pixel at the same place scaled by the sizes'
// ratio: every second pixel from 32 to 16, each pixel doubled from 16 to 32 (in general the
// pixel whose cell holds the new pixel's top left corner). A 4-bit canvas gives its colour
// table and indices; any other the palette's colours, each pixel the nearest of them.
static void ScaleCanvasInto(BITMAPINFO* info, BYTE* bits, BYTE* mask, const BYTE* canvasMask) {
    int side = InfoWidth(info), width = InfoWidth(ImageInfo), height = InfoHeight(ImageInfo);
    bool keepIndices = InfoBitCount(ImageInfo) == 4;
    CopyMemory(InfoTable(info), keepIndices ? InfoTable(ImageInfo) : PaletteColors, 16 * 4);
    for (int y = 0; y < side; y++) {
        int sy = y * height / side;
        const BYTE* from = RowOf(ImageInfo, ImageBits, sy);
        BYTE* to = RowOf(info, bits, y);
        for (int x = 0; x < side; x++) {
            int sx = x * width / side;
            int index = keepIndices
                            ? IndexAt(from, 4, sx)
                            : NearestIndex(InfoTable(info), 16, ColorAt(ImageInfo, from, sx));
            SetIndexAt(to, 4, x, index);
            if (canvasMask && MaskSet(canvasMask, width, height, sx, sy))
                mask[DibStride(side, 1) * (side - 1 - y) + x / 8] |= (BYTE)(0x80 >> (x % 8));
        }
    }
}

BYTE* MakeIconImage(int side, bool fromCanvas, ImageToWrite* image) {
    if (fromCanvas && (!ImageInfo || !ImageBits)) return nullptr;
    size_t xorBytes = DibStride(side, 4) * side, maskBytes = DibStride(side, 1) * side;
    BYTE* block = (BYTE*)calloc(1, 40 + 16 * 4 + xorBytes + maskBytes);
    if (!block) return nullptr;
    BITMAPINFO* info = (BITMAPINFO*)block;
    BITMAPINFOHEADER& h = info->bmiHeader;
    h = BITMAPINFOHEADER{sizeof h, side, side, 1, 4, BI_RGB, (DWORD)xorBytes};
    h.biClrUsed = 16;
    BYTE* bits = block + 40 + 16 * 4;
    BYTE* mask = bits + xorBytes;
    if (fromCanvas) {
        ImageToWrite canvas;
        CanvasImageToWrite(true, &canvas);
        ScaleCanvasInto(info, bits, mask, canvas.Mask);
    } else {
        CopyMemory(InfoTable(info), StandardColors, 16 * 4);
        FillWhite(info, bits);
    }
    *image = ImageToWrite{info, bits, mask};
    return block;
}
