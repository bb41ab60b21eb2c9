// The second click of a double-click on a box's or dialog's button: the first click closes
// the box, and the second, a moment later at the same spot, would land on whatever lay under
// the box (a canvas cell drawn, a palette colour chosen). A press that follows the closing of
// one of the editor's own boxes within the double-click time and distance is let go.
#include "shell/shell.h"
#include "base/editor_state.h"
#include <cstdlib>

static DWORD BoxClosedAt;
static POINT BoxClosedWhere;
static bool BoxJustClosed;
static bool SwallowRelease;

void NoteActivation(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND previous = (HWND)lParam;
    // Only a box or dialog of this program hands the activation back; a click that brings the
    // window forward from another program is the user's, and counts.
    if (LOWORD(wParam) == WA_INACTIVE || !previous || previous == window ||
        GetWindowThreadProcessId(previous, nullptr) != GetCurrentThreadId())
        return;
    BoxClosedAt = GetTickCount();
    BoxJustClosed = GetCursorPos(&BoxClosedWhere) != 0;
}

static bool NearBoxClosing(const MSG* msg) {
    const int since = (int)(msg->time - BoxClosedAt); // queued presses may predate the note
    const int dx = msg->pt.x - BoxClosedWhere.x, dy = msg->pt.y - BoxClosedWhere.y;
    return since <= (int)GetDoubleClickTime() && 2 * abs(dx) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
           2 * abs(dy) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

bool IsClosingClickEcho(const MSG* msg) {
    if (!MainWindow || (msg->hwnd != MainWindow && !IsChild(MainWindow, msg->hwnd))) return false;
    if (msg->message == WM_LBUTTONUP && SwallowRelease) {
        SwallowRelease = false;
        return true;
    }
    if (msg->message != WM_LBUTTONDOWN && msg->message != WM_LBUTTONDBLCLK) return false;
    const bool echo = BoxJustClosed && NearBoxClosing(msg);
    BoxJustClosed = false; // only the first press after the box can be its echo
    SwallowRelease = echo;
    return echo;
}
