// Files dropped on the main window from a desktop's file manager (a desktop addition: the
// handheld has no such thing). The first file is opened as if chosen in the open dialog.
#include "shell/shell.h"
#include <shellapi.h>

void AcceptDroppedFiles(HWND window) {
    DragAcceptFiles(window, TRUE);
}

LRESULT DroppedFiles(HWND window, WPARAM wParam) {
    HDROP drop = (HDROP)wParam;
    WCHAR path[PATH_CHARS] = {};
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    bool fits = length > 0 && length < PATH_CHARS && DragQueryFileW(drop, 0, path, PATH_CHARS);
    if (!fits && length > 0) DragQueryFileW(drop, 0, path, PATH_CHARS); // shown as far as it goes
    // Let go of the drop before any prompt or message: the file manager waits for it.
    DragFinish(drop);
    if (fits)
        OpenNamedFile(window, path);
    else if (path[0])
        ReportUnopenableName(window, path);
    return 0;
}
