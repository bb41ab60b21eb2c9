// The file the picture belongs to: the one it was opened from or last saved to. Ctrl+S writes
// the picture back to it in its own form without asking for a name.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "resources/resource_ids.h"

void SetDocumentFile(const WCHAR* path, int format) {
    lstrcpynW(DocumentFile, path ? path : L"", PATH_CHARS);
    DocumentFileFormat = DocumentFile[0] ? format : 0;
}

LRESULT SaveAsCommand(HWND, int command) {
    if (!ImageWindows[0]) return 0;
    LRESULT saved = SendMessageW(ImageWindows[0], WM_COMMAND, command, 0);
    if (saved == 1)
        SetDocumentFile(DocumentPath,
                        command == CMD_SAVE_ICON ? DOCUMENT_FORMAT_ICON : DOCUMENT_FORMAT_BITMAP);
    return saved;
}

LRESULT SaveCommand(HWND window) {
    HWND canvas = ImageWindows[0];
    if (!canvas) return 0;
    if (!DocumentFile[0]) {
        switch (LOWORD(DocumentKind)) {
        case DOCUMENT_FORMAT_BITMAP: return SaveAsCommand(window, CMD_SAVE_BITMAP);
        case DOCUMENT_FORMAT_ICON: return SaveAsCommand(window, CMD_SAVE_ICON);
        }
        return 0;
    }
    // Written as a save under that name from the dialog would be: the save prompt names the
    // file from now on, and the next Save As starts from it.
    lstrcpynW(DocumentPath, DocumentFile, PATH_CHARS);
    lstrcpynW(DocumentTitle, FileNameOf(DocumentFile), TITLE_CHARS);
    if (DocumentFileFormat == DOCUMENT_FORMAT_ICON) return WriteImageAsIcon(canvas);
    return WriteImageAsBitmap(canvas);
}
