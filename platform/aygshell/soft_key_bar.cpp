// The soft-key menu bar of the stand-in shell library: a strip of keys along the bottom of
// the simulated handheld screen, each opening its pop-up of the parent's menu, and the rotate
// key in the middle that turns the device.
#include "soft_key_bar.h"

namespace SoftKeys {

SoftKeyBar Bars[MaxBars];

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

bool RegisterBarClass(HINSTANCE instance) {
    WNDCLASSW existing;
    if (GetClassInfoW(instance, BarClass, &existing)) return true;
    WNDCLASSW wc = {};
    // The keys are spread over the bar's width: a bar made wider or narrower is drawn anew.
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = BarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = BarClass;
    return RegisterClassW(&wc) != 0;
}

} // namespace SoftKeys

using namespace SoftKeys;

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
