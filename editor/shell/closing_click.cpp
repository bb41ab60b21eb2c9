// The second click of a double-click on a box's or dialog's button: the first click closes
// the box, and the second, a moment later at the same spot, would land on whatever lay under
// the box (a canvas cell drawn, a palette colour chosen). A press is let go only when the box
// was closed by a click and the press lands where that click's press did, within the
// double-click time. Each press is judged by its own position (its lParam): a posted press
// carries the pointer's position in the message, not the press's. A box closed with a key,
// or by a command sent to it, leaves every press to the user.
#include "shell/shell.h"
#include "base/editor_state.h"
#include <cstdlib>

// The system shows every message of a box's or dialog's modal loop to this filter; where it
// keeps no such filter, no box is known to have been closed by a click.
static HHOOK BoxMessageFilter;
// The last press in one of the editor's boxes, and whether the box has handled nothing but
// its release since (a button takes a click on the release, and the box closes right then).
static HWND PressedBox;
static POINT PressedWhere;
static DWORD PressedAt;
static bool ClickEndsBox;
// The closing click, noted when its box handed the activation back.
static DWORD BoxClosedAt;
static POINT BoxClosedWhere;
static bool BoxJustClosed;
static bool SwallowRelease;

static HWND TopLevelOf(HWND window) {
    while (window && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        window = GetParent(window);
    return window;
}

// Where a pointer message landed, in screen coordinates, from its own lParam.
static POINT PressPoint(const MSG* msg) {
    POINT at = {(short)LOWORD(msg->lParam), (short)HIWORD(msg->lParam)};
    ClientToScreen(msg->hwnd, &at);
    return at;
}

static void NoteBoxMessage(const MSG* msg) {
    if (msg->message == WM_LBUTTONDOWN || msg->message == WM_LBUTTONDBLCLK) {
        PressedBox = TopLevelOf(msg->hwnd);
        PressedWhere = PressPoint(msg);
        PressedAt = msg->time;
        ClickEndsBox = false;
    } else if (msg->message == WM_LBUTTONUP) {
        ClickEndsBox = PressedBox && PressedBox == TopLevelOf(msg->hwnd);
    } else if ((msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
               msg->message == WM_COMMAND || msg->message == WM_SYSCOMMAND) {
        ClickEndsBox = false; // a key or a command closes it, not the click before
    }
}

static LRESULT CALLBACK FilterBoxMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && lParam) NoteBoxMessage((const MSG*)lParam);
    return CallNextHookEx(BoxMessageFilter, code, wParam, lParam);
}

void WatchBoxClicks() {
    if (!BoxMessageFilter)
        BoxMessageFilter =
            SetWindowsHookExW(WH_MSGFILTER, FilterBoxMessage, nullptr, GetCurrentThreadId());
}

void NoteActivation(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND previous = (HWND)lParam;
    // Only a box or dialog of this program hands the activation back; a click that brings the
    // window forward from another program is the user's, and counts.
    if (LOWORD(wParam) == WA_INACTIVE || !previous || previous == window ||
        GetWindowThreadProcessId(previous, nullptr) != GetCurrentThreadId())
        return;
    BoxJustClosed = ClickEndsBox && PressedBox == previous;
    BoxClosedAt = PressedAt;
    BoxClosedWhere = PressedWhere;
    ClickEndsBox = false;
    PressedBox = nullptr;
}

static bool NearBoxClosing(const MSG* msg) {
    const int since = (int)(msg->time - BoxClosedAt);
    const POINT at = PressPoint(msg);
    const int dx = at.x - BoxClosedWhere.x, dy = at.y - BoxClosedWhere.y;
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
