// The save prompt that guards destructive commands, and the common error box. Both put
// "(untitled)" where a document has no name yet.
#include "shell/shell.h"
#include "shell/editor_state.h"

static const WCHAR Untitled[] = L"(untitled)";

static const WCHAR* NameOrUntitled(const WCHAR* name) {
    return (name && name[0]) ? name : Untitled;
}

// wsprintfW writes at most 1024 characters; the buffers hold the longest texts the callers
// can make (a 512-character title or a 260-character path in a short format).
static void FormatWithName(WCHAR* buffer, int size, const WCHAR* format, const WCHAR* name) {
    WCHAR text[1025];
    wsprintfW(text, format, NameOrUntitled(name));
    lstrcpynW(buffer, text, size);
}

int ShowSavePrompt(HWND owner, UINT message, int command, const WCHAR* name, const WCHAR* caption) {
    WCHAR text[576];
    FormatWithName(text, 576, L"Save current changes in %s?", name);
    int answer = MessageBoxW(owner, text, caption, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES && command != 0) {
        // The save's own result decides: a cancelled or failed save must not let the
        // guarded command discard the picture.
        if (SendMessageW(owner, message, command, 0) != 1) return IDCANCEL;
    }
    return answer;
}

int ConfirmDiscard(HWND owner, const WCHAR* name, const WCHAR* caption) {
    int command = 0;
    switch (LOWORD(DocumentKind)) {
    case DOCUMENT_FORMAT_BITMAP: command = 13; break;
    case DOCUMENT_FORMAT_ICON: command = 26; break;
    }
    if (!Modified) return 1;
    // Only a clear Yes (and a save that worked) or No goes ahead: a prompt that could not
    // be shown must not let the picture go unsaved.
    int answer = ShowSavePrompt(owner, WM_COMMAND, command, name, caption);
    return (answer == IDYES || answer == IDNO) ? 1 : 0;
}

void ReportError(HWND owner, const WCHAR* format, const WCHAR* name, const WCHAR* caption) {
    WCHAR text[772];
    FormatWithName(text, 772, format, name);
    MessageBoxW(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}
