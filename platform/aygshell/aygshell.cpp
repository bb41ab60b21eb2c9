// The handheld shell library, rebuilt for a desktop: a soft-key menu bar along the bottom
// of a simulated handheld screen, and the activation and setting-change helpers. A window
// that gets a menu bar becomes the device's screen: 480 x 640 (portrait) or 640 x 480
// (landscape), at most the desktop's work area, with the bar along its bottom edge.
#include "aygshell.h"

namespace {

const WCHAR BarClass[] = L"menu_worker";
const int DeviceLong = 640;
const int DeviceShort = 480;
const int MaxBars = 8;
const int MaxKeys = 4;
const int NoKey = -1;
const int RotateKey = -2;

struct SoftKeyBar {
    HWND parent;
    HWND window;
    HMENU menu;
    DWORD flags;
    int height;
    int offsetTop; // from the parent's top edge to the bar's, kept while the parent moves
    bool attached; // the parent ends at the bar: from then on the bar follows its bottom edge
    int pressed;
    HFONT font;
};

SoftKeyBar Bars[MaxBars];
int Landscape;

SoftKeyBar* BarOfWindow(HWND window) {
    for (SoftKeyBar& bar : Bars)
        if (bar.window && bar.window == window) return &bar;
    return nullptr;
}

SoftKeyBar* BarOfParent(HWND parent) {
    for (SoftKeyBar& bar : Bars)
        if (bar.window && bar.parent == parent && IsWindow(bar.window)) return &bar;
    return nullptr;
}

RECT WorkArea(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info))
        work = info.rcWork;
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

int Clamp(int value, int low, int high) {
    if (value > high) value = high;
    return value < low ? low : value;
}

int KeyCount(const SoftKeyBar* bar) {
    if (!bar->menu) return 0;
    int count = GetMenuItemCount(bar->menu);
    return Clamp(count, 0, MaxKeys);
}

// Keys share the width left and right of the rotate key, which sits in the middle.
void RotateRect(const SoftKeyBar* bar, RECT* rect) {
    RECT client;
    GetClientRect(bar->window, &client);
    int count = KeyCount(bar);
    int rotate = client.bottom;
    int slot = count ? (client.right - rotate) / count : 0;
    int leftKeys = count - count / 2;
    SetRect(rect, leftKeys * slot, 0, leftKeys * slot + rotate, client.bottom);
    if (count == 0) OffsetRect(rect, (client.right - rotate) / 2, 0);
}

BOOL KeyRect(const SoftKeyBar* bar, int index, RECT* rect) {
    int count = KeyCount(bar);
    if (index < 0 || index >= count || !rect) return FALSE;
    RECT client, rotate;
    GetClientRect(bar->window, &client);
    RotateRect(bar, &rotate);
    int slot = (client.right - (rotate.right - rotate.left)) / count;
    int leftKeys = count - count / 2;
    int left = index * slot + (index >= leftKeys ? rotate.right - rotate.left : 0);
    int right = index == count - 1 ? client.right : left + slot;
    SetRect(rect, left, 0, right, client.bottom);
    return TRUE;
}

int HitKey(const SoftKeyBar* bar, POINT point) {
    RECT rect;
    for (int i = 0; i < KeyCount(bar); i++)
        if (KeyRect(bar, i, &rect) && PtInRect(&rect, point)) return i;
    RotateRect(bar, &rect);
    return PtInRect(&rect, point) ? RotateKey : NoKey;
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
    SetWindowPos(bar->window, nullptr, parent.left, parent.top + bar->offsetTop,
                 parent.right - parent.left, bar->height, SWP_NOZORDER | SWP_NOACTIVATE);
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

// A maximised parent leaves the bottom of the work area to its bar. The system puts it at
// the work area's top, ptMaxPosition.y above it (its frame hangs over the edge).
void LeaveRoomForBar(const SoftKeyBar* bar, MINMAXINFO* limits) {
    RECT work = WorkArea(bar->parent);
    int height = work.bottom - work.top - bar->height - limits->ptMaxPosition.y;
    if (height < limits->ptMaxSize.y) limits->ptMaxSize.y = height;
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

void PaintBar(SoftKeyBar* bar) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(bar->window, &ps);
    if (!dc) return;
    RECT client;
    GetClientRect(bar->window, &client);
    HBRUSH background = CreateSolidBrush(RGB(0x1C, 0x2C, 0x48));
    HBRUSH pressed = CreateSolidBrush(RGB(0x3C, 0x6C, 0xB0));
    if (background) FillRect(dc, &client, background);
    HFONT oldFont = bar->font ? (HFONT)SelectObject(dc, bar->font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    for (int i = 0; i < KeyCount(bar); i++) {
        RECT key;
        WCHAR text[64] = {};
        KeyRect(bar, i, &key);
        if (bar->pressed == i && pressed) FillRect(dc, &key, pressed);
        GetMenuStringW(bar->menu, i, text, 64, MF_BYPOSITION);
        DrawTextW(dc, text, -1, &key, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    // The rotate key shows the screen the device turns to.
    RECT rotate;
    RotateRect(bar, &rotate);
    if (bar->pressed == RotateKey && pressed) FillRect(dc, &rotate, pressed);
    int cx = (rotate.left + rotate.right) / 2, cy = (rotate.top + rotate.bottom) / 2;
    int half = (rotate.bottom - rotate.top) / 5;
    int wide = Landscape ? half * 2 / 3 : half, high = Landscape ? half : half * 2 / 3;
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0xFF, 0xFF, 0xFF));
    HGDIOBJ oldPen = pen ? SelectObject(dc, pen) : nullptr;
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, cx - wide, cy - high, cx + wide, cy + high);
    SelectObject(dc, oldBrush);
    if (oldPen) SelectObject(dc, oldPen);
    if (pen) DeleteObject(pen);
    if (oldFont) SelectObject(dc, oldFont);
    if (background) DeleteObject(background);
    if (pressed) DeleteObject(pressed);
    EndPaint(bar->window, &ps);
}

// A tapped key opens its pop-up above the bar; the chosen item reaches the parent as a
// menu command. A top-level item without a pop-up is a command key of its own.
void OpenKey(SoftKeyBar* bar, int index) {
    HMENU popup = GetSubMenu(bar->menu, index);
    if (!popup) {
        UINT state = GetMenuState(bar->menu, index, MF_BYPOSITION);
        UINT id = GetMenuItemID(bar->menu, index);
        if (id != (UINT)-1 && !(state & (MF_GRAYED | MF_DISABLED)))
            PostMessageW(bar->parent, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return;
    }
    RECT key;
    KeyRect(bar, index, &key);
    MapWindowPoints(bar->window, nullptr, (POINT*)&key, 2);
    bool rightHalf = index >= KeyCount(bar) - KeyCount(bar) / 2 && KeyCount(bar) > 1;
    UINT flags = TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTBUTTON |
                 (rightHalf ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
    UINT id = (UINT)TrackPopupMenuEx(popup, flags, rightHalf ? key.right : key.left, key.top,
                                     bar->parent, nullptr);
    if (id != 0) PostMessageW(bar->parent, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void SetPressed(SoftKeyBar* bar, int key) {
    if (bar->pressed == key) return;
    bar->pressed = key;
    InvalidateRect(bar->window, nullptr, FALSE);
    UpdateWindow(bar->window);
}

void OnButtonUp(SoftKeyBar* bar, POINT point) {
    int pressed = bar->pressed;
    int hit = HitKey(bar, point);
    if (GetCapture() == bar->window) ReleaseCapture();
    SetPressed(bar, NoKey);
    if (pressed == NoKey || hit != pressed) return;
    if (hit == RotateKey)
        SHSetDeviceOrientation(!Landscape);
    else
        OpenKey(bar, hit);
}

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SoftKeyBar* bar = BarOfWindow(window);
    if (!bar) return DefWindowProcW(window, message, wParam, lParam);
    POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    switch (message) {
    case WM_PAINT: PaintBar(bar); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE; // the parent keeps the focus
    case WM_LBUTTONDOWN:
        SetPressed(bar, HitKey(bar, point));
        if (bar->pressed != NoKey) SetCapture(window);
        return 0;
    case WM_LBUTTONUP: OnButtonUp(bar, point); return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != window) SetPressed(bar, NoKey);
        return 0;
    case SHCMBM_GETMENU: return (LRESULT)bar->menu;
    case SKBM_GETKEYCOUNT: return KeyCount(bar);
    case SKBM_GETKEYRECT: return KeyRect(bar, (int)wParam, (RECT*)lParam);
    case SKBM_GETROTATERECT:
        if (lParam) RotateRect(bar, (RECT*)lParam);
        return lParam != 0;
    case WM_NCDESTROY:
        if (bar->font) DeleteObject(bar->font);
        *bar = SoftKeyBar{};
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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

bool RegisterBarClass(HINSTANCE instance) {
    WNDCLASSW existing;
    if (GetClassInfoW(instance, BarClass, &existing)) return true;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = BarClass;
    return RegisterClassW(&wc) != 0;
}

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

BOOL WINAPI SHInitExtraControls(void) {
    return TRUE;
}

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || info->cbSize != sizeof(SHMENUBARINFO)) return FALSE;
    info->hwndMB = nullptr;
    if (!IsWindow(info->hwndParent)) return FALSE;
    HMENU menu = nullptr;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        if (info->dwFlags & SHCMBF_HMENU)
            menu = (HMENU)(UINT_PTR)info->nToolBarId;
        else
            menu = LoadMenuW(info->hInstRes, MAKEINTRESOURCEW(info->nToolBarId));
        if (!menu || !IsMenu(menu)) return FALSE;
    }
    SoftKeyBar* bar = nullptr;
    for (SoftKeyBar& slot : Bars)
        if (!slot.window || !IsWindow(slot.window)) {
            bar = &slot;
            break;
        }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!bar || !RegisterBarClass(instance)) return FALSE;
    *bar = SoftKeyBar{};
    bar->parent = info->hwndParent;
    bar->menu = menu;
    bar->flags = info->dwFlags;
    bar->pressed = NoKey;
    bar->height = BarHeightFor(DeviceSize(WorkArea(info->hwndParent)));
    // Owned by the parent: stays above it and goes away with it.
    bar->window = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, BarClass, L"", WS_POPUP, 0,
                                  0, 0, 0, info->hwndParent, nullptr, instance, nullptr);
    if (!bar->window) {
        *bar = SoftKeyBar{};
        return FALSE;
    }
    bar->font = CreateFontW(-(bar->height * 2 / 5), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0,
                            0, 0, 0, L"Tahoma");
    if (!WatchParent(bar->parent)) {
        DestroyWindow(bar->window);
        return FALSE;
    }
    if (GetWindowLongW(bar->parent, GWL_STYLE) & WS_CHILD)
        FollowParent(bar);
    else
        FitToDevice(bar, true);
    if (IsWindowVisible(bar->parent) && !(bar->flags & SHCMBF_HIDDEN))
        ShowWindow(bar->window, SW_SHOWNOACTIVATE);
    info->hwndMB = bar->window;
    return TRUE;
}

HWND WINAPI SHFindMenuBar(HWND window) {
    SoftKeyBar* bar = BarOfParent(window);
    return bar ? bar->window : nullptr;
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
