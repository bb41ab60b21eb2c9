// Writes the image as a bitmap file in its own format (bit count, colour table, size),
// through a new file that replaces the old one only when complete.
#include "files/files.h"
#include "base/report.h"
#include <cstdlib>
#include <cstring>

bool ImageShapeOf(const ImageToWrite* image, ImageShape* shape) {
    if (!image || !image->Info || !image->Bits) return false;
    const BITMAPINFOHEADER& h = image->Info->bmiHeader;
    int bits = h.biBitCount;
    if (h.biWidth <= 0 || h.biWidth > 32767 || h.biHeight <= 0 || h.biHeight > 32767 ||
        h.biCompression != BI_RGB ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return false;
    shape->Width = h.biWidth;
    shape->Height = h.biHeight;
    shape->Bits = bits;
    shape->TableBytes = bits <= 8 ? 4u << bits : 0;
    shape->XorBytes = DibStride(h.biWidth, bits) * h.biHeight;
    shape->MaskBytes = DibStride(h.biWidth, 1) * h.biHeight;
    return true;
}

// The image's header as it is written: the fields a reader needs, made consistent.
void MakeImageHeader(const BITMAPINFO* info, const ImageShape* shape, int storedHeight,
                     BYTE* header) {
    memcpy(header, &info->bmiHeader, 40);
    BITMAPINFOHEADER h;
    memcpy(&h, header, 40);
    h.biSize = 40;
    h.biWidth = shape->Width;
    h.biHeight = storedHeight;
    h.biPlanes = 1;
    h.biBitCount = (WORD)shape->Bits;
    h.biCompression = BI_RGB;
    h.biSizeImage = (DWORD)shape->XorBytes;
    h.biClrUsed = (DWORD)(shape->TableBytes / 4);
    memcpy(header, &h, 40);
}

static bool FailWrite(SafeSave* save, const WCHAR* text) {
    AbandonSafeSave(save);
    MessageBoxW(nullptr, text, L"WriteDib", MB_OK);
    return false;
}

// The pixel rows. A bitmap has no transparency, and the fourth byte of a 32-bit pixel is not
// used in this form: it is written 0, since readers that honour it would show the alpha the
// canvas holds (0 where drawing calls painted, a PNG image's own elsewhere) as holes.
static bool WritePixelRows(FILE* file, const ImageToWrite* image, const ImageShape* shape) {
    if (shape->Bits != 32) return WritePieces(file, image->Bits, shape->XorBytes);
    size_t stride = (size_t)shape->Width * 4;
    BYTE* row = (BYTE*)malloc(stride);
    bool written = row != nullptr;
    for (int y = 0; y < shape->Height && written; y++) {
        memcpy(row, image->Bits + y * stride, stride);
        for (size_t alpha = 3; alpha < stride; alpha += 4)
            row[alpha] = 0;
        written = WritePieces(file, row, stride);
    }
    free(row);
    return written;
}

bool WriteDib(HWND, const WCHAR* path, const ImageToWrite* image) {
    ImageShape shape;
    SafeSave save;
    if (!ImageShapeOf(image, &shape) || !BeginSafeSave(path, &save)) {
        MessageBoxW(nullptr, L"failed in openning a file!", L"WriteDib", MB_OK);
        return false;
    }
    DWORD offBits = (DWORD)(54 + shape.TableBytes);
    DWORD fileSize = (DWORD)(offBits + shape.XorBytes);
    BYTE fileHeader[14] = {'B', 'M'};
    memcpy(fileHeader + 2, &fileSize, 4);
    memcpy(fileHeader + 10, &offBits, 4);
    if (fwrite(fileHeader, 1, 14, save.File) != 14)
        return FailWrite(&save, L"failed in writing BITMAPFILEHEADER!");
    BYTE header[40];
    MakeImageHeader(image->Info, &shape, shape.Height, header);
    if (fwrite(header, 1, 40, save.File) != 40 ||
        fwrite(image->Info->bmiColors, 1, shape.TableBytes, save.File) != shape.TableBytes)
        return FailWrite(&save, L"failed in writing BM info.!");
    if (!WritePixelRows(save.File, image, &shape))
        return FailWrite(&save, L"failed in writing pixel bits!");
    switch (FinishSafeSave(&save)) {
    case SAVE_DONE: return true;
    case SAVE_IN_USE: ReportError(nullptr, FileInUseText, path, L"WriteDib"); break;
    case SAVE_DISK_FULL: ReportError(nullptr, DiskFullText, path, L"WriteDib"); break;
    case SAVE_WRITE_FAILED:
        MessageBoxW(nullptr, L"failed in writing pixel bits!", L"WriteDib", MB_OK);
        break;
    default: MessageBoxW(nullptr, L"failed in openning a file!", L"WriteDib", MB_OK);
    }
    return false;
}
