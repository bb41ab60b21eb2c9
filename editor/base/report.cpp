// The formatted failure message and the out-of-memory box.
#include "base/report.h"

static const WCHAR Untitled[] = L"(untitled)";

static const WCHAR* NameOrUntitled(const WCHAR* name) {
    return (name && name[0]) ? name : Untitled;
}

// wsprintfW writes at most 1024 characters; the buffers hold the longest texts the callers
// can make (a 512-character title or a 260-character path in a short format).
void FormatWithName(WCHAR* buffer, int size, const WCHAR* format, const WCHAR* name) {
    WCHAR text[1025];
    wsprintfW(text, format, NameOrUntitled(name));
    lstrcpynW(buffer, text, size);
}

void ReportError(HWND owner, const WCHAR* format, const WCHAR* name, const WCHAR* caption) {
    WCHAR text[772];
    FormatWithName(text, 772, format, name);
    MessageBoxW(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

void ReportNoMemory(HWND owner, const WCHAR* caption) {
    MessageBoxW(owner, L"could not allocate any memory.", caption, MB_OK);
}
