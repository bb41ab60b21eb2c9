// The save prompt that guards destructive commands. It puts "(untitled)" where a document
// has no name yet.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "base/report.h"
#include "canvas/canvas.h"
#include "resources/resource_ids.h"

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
    // A stroke still under way (a drop or a close while the stylus is down) is a change too.
    AbandonStroke(ImageWindows[0]);
    // Yes saves as Ctrl+S does: in the form of the file the picture came from or was last
    // saved to (an icon keeps its images and mask), a picture never saved through the Save
    // As of its kind.
    int command = LOWORD(DocumentKind) ? CMD_SAVE : 0;
    if (!Modified) return 1;
    // Only a clear Yes (and a save that worked) or No goes ahead: a prompt that could not
    // be shown must not let the picture go unsaved.
    int answer = ShowSavePrompt(owner, WM_COMMAND, command, name, caption);
    return (answer == IDYES || answer == IDNO) ? 1 : 0;
}

int AskBeforeDiscarding(HWND owner) {
    // Yes writes the document's own file when it has one, so the prompt names that file and
    // no other: not the last name a save dialog was given, which may belong to a picture
    // opened before this one.
    return ConfirmDiscard(owner, FileNameOf(DocumentFile), ImageSlots[CurrentSlot].Path);
}
