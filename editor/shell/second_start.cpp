// A second start of the program: it hands the file its command line names to the editor
// already running, which opens it as it opens a file named on its own command line (after
// its save prompt), and brings that editor forward; the second start then ends.
#include "shell/shell.h"
#include "resources/resource_ids.h"

// On the handheld the low bit of the handle also brings the window's last active pop-up
// forward; a system that does not know that convention gets the plain handle.
static void BringForward(HWND window) {
    if (!SetForegroundWindow((HWND)((ULONG_PTR)window | 1))) SetForegroundWindow(window);
}

void HandOverToRunningEditor(HWND running, const WCHAR* commandLine) {
    // The name is made full here: the running editor's current folder is its own.
    WCHAR full[PATH_CHARS];
    if (CommandLineFile(nullptr, commandLine, full)) {
        COPYDATASTRUCT data = {};
        data.dwData = HANDED_FILE_TAG;
        data.cbData = (DWORD)((lstrlenW(full) + 1) * sizeof(WCHAR));
        data.lpData = full;
        DWORD_PTR answer = 0;
        // A hung editor must not hold this start for ever.
        SendMessageTimeoutW(running, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG, 10000,
                            &answer);
    }
    BringForward(running);
}

LRESULT FileHandedOver(HWND window, LPARAM lParam) {
    const COPYDATASTRUCT* data = (const COPYDATASTRUCT*)lParam;
    if (!data || data->dwData != HANDED_FILE_TAG || !data->lpData) return FALSE;
    // Whole characters, at most a path's worth, ending with the terminator.
    const WCHAR* name = (const WCHAR*)data->lpData;
    const DWORD chars = data->cbData / sizeof(WCHAR);
    if (data->cbData % sizeof(WCHAR) || chars < 2 || chars > PATH_CHARS || name[chars - 1])
        return FALSE;
    lstrcpynW(NamedFile, name, PATH_CHARS);
    // While a box or dialog is up the file waits: the box's own loop would otherwise run the
    // open, with its prompt, inside the box.
    HandedFileWaiting = !IsWindowEnabled(window);
    if (!HandedFileWaiting) PostMessageW(window, WM_COMMAND, CMD_OPEN_NAMED, 0);
    return TRUE;
}

void OpenWaitingHandedFile(HWND window, WPARAM enabled) {
    if (!enabled || !HandedFileWaiting) return;
    HandedFileWaiting = false;
    PostMessageW(window, WM_COMMAND, CMD_OPEN_NAMED, 0);
}

LRESULT OpenNamedFileCommand(HWND window) {
    // A copy: a file handed over while this one's prompt is up replaces the name.
    WCHAR path[PATH_CHARS];
    lstrcpynW(path, NamedFile, PATH_CHARS);
    NamedFile[0] = 0;
    return OpenNamedFile(window, path);
}
