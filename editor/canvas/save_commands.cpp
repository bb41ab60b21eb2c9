// The canvas's two Save As commands: ask for a name, write the image, report a failure.
// Each returns 1 when the file was written, so a save prompt can tell a failed save.
#include "canvas/canvas.h"
#include "files/files.h"
#include "shell/editor_state.h"
#include "shell/shell.h"

int SaveImageAsBitmap(HWND canvas) {
    PrepareBitmapDialog(canvas, DocumentPath, DocumentDirectory);
    if (!RunSaveDialog(canvas, DocumentPath, DocumentTitle)) return 0;
    if (!WriteDib(canvas, DocumentPath, CanvasWidth, CanvasHeight)) {
        ReportError(canvas, L"Could not write file %s", DocumentTitle, DocumentPath);
        return 0;
    }
    Modified = 0;
    return 1;
}

int SaveImageAsIcon(HWND canvas) {
    PrepareIconDialog(canvas, DocumentPath, DocumentDirectory);
    if (!RunSaveDialog(canvas, DocumentPath, DocumentTitle)) return 0;
    if (!WriteIconFile(DocumentPath, CanvasWidth, CanvasHeight)) {
        ReportError(canvas, L"Could not write file %s", DocumentPath, L"Mosaro");
        return 0;
    }
    Modified = 0;
    return 1;
}
