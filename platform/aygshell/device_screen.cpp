// The simulated handheld screen of the stand-in shell library: a window that gets a menu bar
// becomes the device's screen, 480 x 640 (portrait) or 640 x 480 (landscape), at most the
// desktop's work area, with the bar along its bottom edge; and the activation and
// setting-change helpers.
#include "soft_key_bar.h"

namespace SoftKeys {

int Landscape;

// The work area of the window's monitor. On the primary monitor the system's own record of it
// (SPI_GETWORKAREA, the only one a handheld has) counts too: Wine keeps a work area set there
// apart from the monitor's, and forgets to shrink it when the screen does, so the two are met.
RECT WorkArea(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info))
        work = info.rcWork;
    else
        info.dwFlags = MONITORINFOF_PRIMARY;
    RECT system, both;
    if ((info.dwFlags & MONITORINFOF_PRIMARY) &&
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &system, 0) &&
        IntersectRect(&both, &work, &system))
        work = both;
    return work;
}

// The simulated screen in the current orientation, no larger than the work area.
SIZE DeviceSize(const RECT& work) {
    SIZE size = {Landscape ? DeviceLong : DeviceShort, Landscape ? DeviceShort : DeviceLong};
    if (size.cx > work.right - work.left) size.cx = work.right - work.left;
    if (size.cy > work.bottom - work.top) size.cy = work.bottom - work.top;
    return size;
}

// A VGA handheld's menu bar is 52 pixels high, a QVGA one's 26.
int BarHeightFor(SIZE device) {
    int shortSide = device.cx < device.cy ? device.cx : device.cy;
    return shortSide >= DeviceShort ? 52 : 26;
}

// The lowest the bar's top may be with the whole bar on the work area.
int LowestBarTop(const SoftKeyBar* bar) {
    return WorkArea(bar->parent).bottom - bar->height;
}

// Places the bar along the parent's screen area: same left edge and width, offsetTop below
// the parent's top edge. While the parent still covers the whole screen (at creation, before
// its program shortens it to end above the bar) the bar keeps that place; once the parent
// ends at the bar, the bar follows its bottom edge as the parent is resized.
void FollowParent(SoftKeyBar* bar) {
    RECT parent;
    if (IsIconic(bar->parent) || !GetWindowRect(bar->parent, &parent)) return;
    if (parent.bottom - parent.top <= bar->offsetTop) bar->attached = true;
    if (bar->attached) bar->offsetTop = parent.bottom - parent.top;
    int top = parent.top + bar->offsetTop;
    // A window manager maximises to its whole work area: the bar then takes the bottom of
    // it, over the strip the parent keeps free (KeepClearOfBar), rather than off the screen.
    if (bar->attached && IsZoomed(bar->parent)) top = Clamp(top, parent.top, LowestBarTop(bar));
    SetWindowPos(bar->window, nullptr, parent.left, top, parent.right - parent.left, bar->height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Desktop sizing ---------------------------------------------------------------------------
// On a desktop the simulated screen is a window like any other: its frame can be dragged and
// it can be maximised or minimised. The bar stays below it, also when maximised.

// Gives the parent a sizing frame and the maximise and minimise boxes; SWP_FRAMECHANGED for
// the move that follows, or 0 when nothing changed.
UINT MakeResizable(HWND parent) {
    const LONG desktop = WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU;
    LONG style = GetWindowLongW(parent, GWL_STYLE);
    if ((style & WS_CHILD) || (style & desktop) == desktop) return 0;
    SetWindowLongW(parent, GWL_STYLE, style | desktop);
    return SWP_FRAMECHANGED;
}

// A maximised parent takes the work area, never the whole screen (the desktop's task bar
// stays in view), less the strip along its bottom that its bar takes. The system counts the
// maximised place from the monitor's corner and has the frame hang over the edges by the
// amount it put in ptMaxPosition; the bottom edge rests on the bar instead.
void LeaveRoomForBar(const SoftKeyBar* bar, MINMAXINFO* limits) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(bar->parent, MONITOR_DEFAULTTOPRIMARY), &monitor))
        monitor.rcMonitor = monitor.rcWork = WorkArea(bar->parent);
    const RECT& work = monitor.rcWork;
    const int overX = -limits->ptMaxPosition.x > 0 ? -limits->ptMaxPosition.x : 0;
    const int overY = -limits->ptMaxPosition.y > 0 ? -limits->ptMaxPosition.y : 0;
    limits->ptMaxPosition = {work.left - monitor.rcMonitor.left - overX,
                             work.top - monitor.rcMonitor.top - overY};
    limits->ptMaxSize = {work.right - work.left + 2 * overX,
                         work.bottom - work.top - bar->height + overY};
}

// Keeps a maximised parent's client area above its bar where the window manager made the
// window reach the bottom of the work area (the system's own maximise heeds LeaveRoomForBar
// and needs nothing here). rgrc[0] holds the new client rectangle, in screen coordinates.
void KeepClearOfBar(const SoftKeyBar* bar, NCCALCSIZE_PARAMS* sizes) {
    RECT& client = sizes->rgrc[0];
    int lowest = LowestBarTop(bar);
    if (client.bottom > lowest) client.bottom = client.top < lowest ? lowest : client.top;
}

// A minimised parent takes its bar away with it.
void ShowWithParent(const SoftKeyBar* bar, WPARAM sizeKind) {
    if (sizeKind == SIZE_MINIMIZED)
        ShowWindow(bar->window, SW_HIDE);
    else if (IsWindowVisible(bar->parent) && !(bar->flags & SHCMBF_HIDDEN))
        ShowWindow(bar->window, SW_SHOWNOACTIVATE);
}

// Makes the parent the device's screen. At creation the parent covers the whole screen
// and the program shortens it to end above the bar; after the device turned, it is given
// the area above the bar at once.
void FitToDevice(SoftKeyBar* bar, bool atCreation) {
    RECT work = WorkArea(bar->parent);
    SIZE device = DeviceSize(work);
    RECT current;
    GetWindowRect(bar->parent, &current);
    int left = current.left, top = current.top;
    if (atCreation) {
        left = work.left + (work.right - work.left - device.cx) / 2;
        top = work.top + (work.bottom - work.top - device.cy) / 2;
        bar->height = BarHeightFor(device);
    }
    left = Clamp(left, work.left, work.right - device.cx);
    top = Clamp(top, work.top, work.bottom - device.cy);
    bar->offsetTop = device.cy - bar->height;
    int parentHeight = atCreation ? device.cy : device.cy - bar->height;
    UINT frame = 0;
    if (atCreation) {
        bar->attached = false;
        frame = MakeResizable(bar->parent);
    } else if (IsZoomed(bar->parent)) {
        ShowWindow(bar->parent, SW_RESTORE); // a turned device gives the window its screen
    }
    SetWindowPos(bar->parent, nullptr, left, top, device.cx, parentHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | frame);
    FollowParent(bar);
}

// The window procedures of the parents the library watches, so every message still
// reaches its own procedure (plain subclassing works with every version of the system).
struct WatchedParent {
    HWND window;
    WNDPROC procedure;
};
WatchedParent Watched[MaxBars];

WNDPROC OwnProcedure(HWND window) {
    for (const WatchedParent& w : Watched)
        if (w.window == window) return w.procedure;
    return DefWindowProcW;
}

// Watches the bar's parent so the bar moves, shows and hides with it.
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = OwnProcedure(window);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)own);
        for (WatchedParent& w : Watched)
            if (w.window == window) w = WatchedParent{};
    }
    LRESULT result = CallWindowProcW(own, window, message, wParam, lParam);
    SoftKeyBar* bar = BarOfParent(window);
    if (message == WM_WINDOWPOSCHANGED && bar) {
        const WINDOWPOS* pos = (const WINDOWPOS*)lParam;
        FollowParent(bar);
        if ((pos->flags & SWP_SHOWWINDOW) && !(bar->flags & SHCMBF_HIDDEN))
            ShowWindow(bar->window, SW_SHOWNOACTIVATE);
        if (pos->flags & SWP_HIDEWINDOW) ShowWindow(bar->window, SW_HIDE);
    } else if (message == WM_KEYDOWN && bar && (wParam == VK_F1 || wParam == VK_F2) &&
               IsWindowEnabled(bar->window) && KeyCount(bar) > 0) {
        // The handheld's two soft-key buttons arrive as F1 and F2.
        OpenKey(bar, wParam == VK_F1 ? 0 : KeyCount(bar) - 1);
    } else if (message == WM_GETMINMAXINFO && bar && bar->attached) {
        LeaveRoomForBar(bar, (MINMAXINFO*)lParam);
    } else if (message == WM_NCCALCSIZE && wParam && bar && bar->attached && IsZoomed(window)) {
        KeepClearOfBar(bar, (NCCALCSIZE_PARAMS*)lParam);
    } else if (message == WM_SIZE && bar) {
        ShowWithParent(bar, wParam);
    } else if (message == WM_ENABLE && bar) {
        // While a modal dialog disables the parent, its menu must not start other commands.
        EnableWindow(bar->window, (BOOL)wParam);
    }
    return result;
}

bool WatchParent(HWND window) {
    if ((WNDPROC)GetWindowLongPtrW(window, GWLP_WNDPROC) == ParentProc) return true;
    for (WatchedParent& w : Watched) {
        if (w.window && IsWindow(w.window)) continue;
        w.window = window;
        w.procedure = (WNDPROC)SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)ParentProc);
        if (w.procedure) return true;
        w = WatchedParent{};
        return false;
    }
    return false;
}

namespace {

// The device's whole screen, centred in the work area: where a maximised window goes.
RECT DeviceScreen(HWND window) {
    RECT work = WorkArea(window);
    SIZE device = DeviceSize(work);
    int left = work.left + (work.right - work.left - device.cx) / 2;
    int top = work.top + (work.bottom - work.top - device.cy) / 2;
    return {left, top, left + device.cx, top + device.cy};
}

// After a turn the maximised windows of this program take the new screen, as the bars'
// parents do (SHHandleWMSettingChange).
BOOL CALLBACK TellMaximizedWindow(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsZoomed(window) && !BarOfParent(window))
        SendMessageW(window, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    return TRUE;
}

} // namespace

} // namespace SoftKeys

using namespace SoftKeys;

BOOL WINAPI SHInitExtraControls(void) {
    return TRUE;
}

BOOL WINAPI SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO* info, DWORD) {
    return info != nullptr;
}

BOOL WINAPI SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM, SHACTIVATEINFO* info) {
    if (!info) return FALSE;
    SoftKeyBar* bar = BarOfParent(window);
    if (wParam == SETTINGCHANGE_RESET && bar && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        FitToDevice(bar, false);
    else if (wParam == SETTINGCHANGE_RESET && !bar && IsZoomed(window)) {
        RECT screen = DeviceScreen(window);
        SetWindowPos(window, nullptr, screen.left, screen.top, screen.right - screen.left,
                     screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

int SHGetDeviceOrientation(void) {
    return Landscape;
}

void SHSetDeviceOrientation(int landscape) {
    Landscape = landscape ? 1 : 0;
    for (SoftKeyBar& bar : Bars) {
        if (bar.window && IsWindow(bar.window)) {
            SendMessageW(bar.parent, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
            InvalidateRect(bar.window, nullptr, FALSE);
        }
    }
    EnumWindows(TellMaximizedWindow, 0);
}

void WINAPI SHFitMaximizedToDevice(HWND window, MINMAXINFO* info) {
    if (!info || (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) return;
    RECT screen = DeviceScreen(window);
    // The maximised place is counted from the monitor's corner.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        SetRectEmpty(&monitor.rcMonitor);
    info->ptMaxPosition = {screen.left - monitor.rcMonitor.left,
                           screen.top - monitor.rcMonitor.top};
    info->ptMaxSize = {screen.right - screen.left, screen.bottom - screen.top};
    // The device's screen has one size. Wine's X11 driver restores a maximised window when
    // no window manager confirms the state; restored, it still keeps that size.
    info->ptMinTrackSize = info->ptMaxTrackSize = info->ptMaxSize;
}
