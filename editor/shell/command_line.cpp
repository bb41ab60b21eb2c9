// The command line: the program opens the file it names, as a desktop program does when a
// file is opened with it.
#include "shell/shell.h"
#include "base/report.h"
#include "files/files.h"
#include "resources/resource_ids.h"

static bool IsBlank(WCHAR c) {
    return c == L' ' || c == L'\t';
}

// Arguments are split as the system's own programs split them, which is all a path needs: a
// quoted argument may hold blanks and runs to the closing quote, any other to the next blank.
bool FirstArgument(const WCHAR* commandLine, WCHAR* argument, int size) {
    if (size < 1) return false;
    argument[0] = 0;
    if (!commandLine) return false;
    const WCHAR* p = commandLine;
    while (IsBlank(*p))
        p++;
    bool quoted = *p == L'"';
    if (quoted) p++;
    int length = 0;
    bool fits = true;
    for (; *p && (quoted ? *p != L'"' : !IsBlank(*p)); p++) {
        if (length == size - 1) {
            fits = false;
            break;
        }
        argument[length++] = *p;
    }
    argument[length] = 0;
    return fits && length > 0;
}

void ReportUnopenableName(HWND owner, const WCHAR* name) {
    ReportError(owner, L"Could not open a file :%s", name, L"Mosaro");
}

// A name too long for a path is reported, never cut to the name of some other file.
bool CommandLineFile(HWND owner, const WCHAR* commandLine, WCHAR* full) {
    WCHAR given[PATH_CHARS];
    bool named = FirstArgument(commandLine, given, PATH_CHARS);
    DWORD length = named ? GetFullPathNameW(given, PATH_CHARS, full, nullptr) : 0;
    // The full name of a device is the device's own (\\.\CON): the user's name is told.
    if (length > 0 && length < PATH_CHARS && NamesADevice(given)) lstrcpyW(full, given);
    if (length > 0 && length < PATH_CHARS) return true;
    full[0] = 0;
    if (given[0]) ReportUnopenableName(owner, given);
    return false;
}

// Posted, so the file is opened from the message loop as a menu command is, with the main
// window up and painted. A relative name is made full at once: the file dialogs change the
// current folder, and Ctrl+S must still write the file that was opened.
void OpenCommandLineFile(HWND window, const WCHAR* commandLine) {
    if (CommandLineFile(window, commandLine, NamedFile))
        PostMessageW(window, WM_COMMAND, CMD_OPEN_NAMED, 0);
}
