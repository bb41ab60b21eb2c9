// The canvas's two Save As commands: ask for a name, write the image, report a failure.
// Each returns 1 when the file was written, so a save prompt can tell a failed save.
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "base/report.h"

// The mask to write with an icon: the canvas's mask whenever it exists for this image
// (edited in the Opaque/Transparency mode, also after the mode was left), else the mask the
// icon was opened with, else none.
static const BYTE* MaskToWrite() {
    if (!ImageInfo) return nullptr;
    const int width = ImageInfo->bmiHeader.biWidth, height = ImageInfo->bmiHeader.biHeight;
    if (MaskBits && MaskInfo && MaskInfo->bmiHeader.biWidth == width &&
        MaskInfo->bmiHeader.biHeight == height)
        return MaskBits;
    if (DocumentKind != DOCUMENT_ICON_FILE) return nullptr;
    return HeldIconMask(width, height);
}

void CanvasImageToWrite(bool forIcon, ImageToWrite* image) {
    *image = ImageToWrite{ImageInfo, ImageBits, forIcon ? MaskToWrite() : nullptr};
}

int SaveImageAsBitmap(HWND canvas) {
    PrepareBitmapDialog(canvas, DocumentPath, DocumentDirectory);
    if (!RunSaveDialog(canvas, DocumentPath, DocumentTitle)) return 0;
    return WriteImageAsBitmap(canvas);
}

// A bitmap written under an icon's name would take the place of the icon there, mask and
// every other image with it: it is written only when the user says so.
static bool BitmapNameAgreed(HWND canvas) {
    if (!HasIconFileName(DocumentPath)) return true;
    WCHAR text[576];
    FormatWithName(text, 576, L"Write a bitmap, not an icon, into %s?", DocumentTitle);
    return MessageBoxW(canvas, text, DocumentPath, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int WriteImageAsBitmap(HWND canvas) {
    if (!BitmapNameAgreed(canvas)) return 0;
    ImageToWrite image;
    CanvasImageToWrite(false, &image);
    if (!WriteDib(canvas, DocumentPath, &image)) {
        ReportError(canvas, L"Could not write file %s", DocumentTitle, DocumentPath);
        return 0;
    }
    Modified = 0;
    return 1;
}

int SaveImageAsIcon(HWND canvas) {
    PrepareIconDialog(canvas, DocumentPath, DocumentDirectory);
    if (!RunSaveDialog(canvas, DocumentPath, DocumentTitle)) return 0;
    return WriteImageAsIcon(canvas);
}

int WriteImageAsIcon(HWND canvas) {
    ImageToWrite image;
    CanvasImageToWrite(true, &image);
    if (!WriteIconFile(DocumentPath, &image)) {
        ReportError(canvas, L"Could not write file %s", DocumentPath, L"Mosaro");
        return 0;
    }
    Modified = 0;
    return 1;
}
