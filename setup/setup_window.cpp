// The installer's start-up and main window: the blue screen with the logo and the welcome
// line, the two buttons, the step machine and the hand-over of the cabinet to the shell.
#include "setup.h"
#include <shellapi.h>
#include <wchar.h>

HINSTANCE SetupInstance;
HWND SetupWindow;
HWND AgreementWindow;
LANGID(WINAPI* QueryDeviceLanguage)(void) = GetUserDefaultLangID;
LANGID SetupLanguage;
HBITMAP LogoBitmap;
int LogoWidth, LogoHeight;
int DialogUnitX, DialogUnitY;
int ClientWidth, ClientHeight;
HWND SetupButtons[2];
int SetupStep;
SHACTIVATEINFO SetupActivateInfo = {sizeof(SHACTIVATEINFO)};
WCHAR CabinetPath[SETUP_PATH_CHARS];

namespace {

const WCHAR WelcomeLine[] = L"Welcome to PIXMORA ver. 1.X";
const WCHAR CabinetName[] = L"Pixmora.CAB";

struct ButtonRow {
    const WCHAR* text;
    int id;
};
const ButtonRow ButtonTable[2] = {{L"Next", IDC_NEXT}, {L"Exit", IDC_EXIT}};

void ShowButtons(int show) {
    for (HWND button : SetupButtons)
        if (button) ShowWindow(button, show);
}

void PlaceAgreementWindow() {
    if (!AgreementWindow) return;
    RECT place = AgreementPlace();
    MoveWindow(AgreementWindow, place.left, place.top, place.right, place.bottom, TRUE);
}

LRESULT OnCreate(HWND window) {
    SetupWindow = window;
    ShowWindow(window, SW_SHOWMAXIMIZED);
    LogoBitmap = LoadBitmapW(SetupInstance, L"VRMARK");
    BITMAP logo = {};
    if (LogoBitmap && GetObjectW(LogoBitmap, sizeof(logo), &logo)) {
        LogoWidth = logo.bmWidth;
        LogoHeight = logo.bmHeight;
    }
    LONG units = GetDialogBaseUnits();
    DialogUnitX = LOWORD(units);
    DialogUnitY = HIWORD(units);
    for (int i = 0; i < 2; i++)
        SetupButtons[i] = CreateWindowW(L"BUTTON", ButtonTable[i].text,
                                        WS_VISIBLE | WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, window,
                                        (HMENU)(INT_PTR)ButtonTable[i].id, SetupInstance, nullptr);
    RECT client = {};
    GetClientRect(window, &client);
    ClientWidth = client.right;
    ClientHeight = client.bottom;
    LayoutButtons();
    return 0;
}

LRESULT OnSize(LPARAM size) {
    ClientWidth = LOWORD(size);
    ClientHeight = HIWORD(size);
    LayoutButtons();
    PlaceAgreementWindow();
    return 0;
}

void PaintBands(HDC dc) {
    int band = ClientHeight / 8;
    for (int i = 0; i < 8; i++) {
        COLORREF color = RGB(0, 0, 255 - 24 * i);
        HPEN pen = CreatePen(PS_SOLID, 1, color);
        HBRUSH brush = CreateSolidBrush(color);
        if (pen && brush) {
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, brush);
            Rectangle(dc, 0, i * band, ClientWidth, (i + 1) * band);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
        }
        if (pen) DeleteObject(pen);
        if (brush) DeleteObject(brush);
    }
}

void PaintLogo(HDC dc) {
    if (!LogoBitmap) return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, LogoBitmap);
    BitBlt(dc, ClientWidth / 2 - LogoWidth / 2, ClientHeight / 2 - LogoHeight / 2, LogoWidth,
           LogoHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void PaintWelcomeLine(HDC dc) {
    int length = (int)wcslen(WelcomeLine);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, WelcomeLine, length, &extent);
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, RGB(0, 255, 255));
    SetBkMode(dc, OPAQUE);
    RECT clip = {0, 0, ClientWidth, ClientHeight};
    ExtTextOutW(dc, ClientWidth / 2 - extent.cx / 2, 0, ETO_CLIPPED, &clip, WelcomeLine, length,
                nullptr);
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return 0;
    PaintBands(dc);
    PaintLogo(dc);
    PaintWelcomeLine(dc);
    EndPaint(window, &paint);
    return 0;
}

void ShowWelcomeDialog(HWND window) {
    INT_PTR result = DialogBoxW(SetupInstance, L"InitBox", window, InitDlgProc);
    if (result == -1 && IsWindow(window)) {
        // Without the dialog the user could go nowhere: offer the buttons again.
        SetupStep = 0;
        ShowButtons(SW_SHOW);
    }
}

void ShowAgreement(HWND window) {
    ShowButtons(SW_SHOW);
    if (SetupButtons[0]) SetWindowTextW(SetupButtons[0], L"I Agree");
    WCHAR caption[169] = {};
    LoadStringW(SetupInstance, IDS_AGREEMENT_CAPTION, caption, 169);
    if (AgreementWindow) return;
    RECT place = AgreementPlace();
    AgreementWindow = CreateWindowW(
        L"License", caption,
        WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_BORDER | WS_HSCROLL | WS_VSCROLL, place.left,
        place.top, place.right, place.bottom, window, nullptr, SetupInstance, nullptr);
}

void OnNext(HWND window) {
    switch (SetupStep) {
    case 0:
        PostMessageW(window, WM_COMMAND, CMD_SHOW_WELCOME, 0);
        ShowButtons(SW_HIDE);
        SetupStep = 1;
        break;
    case 1:
        if (AgreementWindow) SendMessageW(AgreementWindow, WM_CLOSE, 0, 0);
        PostMessageW(window, WM_COMMAND, CMD_START_INSTALL, 0);
        SetupStep = 2;
        break;
    default: break; // already closing
    }
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_NEXT: OnNext(window); break;
    case IDC_EXIT: PostMessageW(window, WM_CLOSE, 0, 0); break;
    case CMD_SHOW_WELCOME: ShowWelcomeDialog(window); break;
    case CMD_SHOW_AGREEMENT: ShowAgreement(window); break;
    case CMD_START_INSTALL:
        LaunchCabinet(window); // a missing cabinet ends setup just the same
        PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    default: break;
    }
    return 0;
}

LRESULT OnDestroy(HWND window) {
    if (LogoBitmap) {
        DeleteObject(LogoBitmap);
        LogoBitmap = nullptr;
    }
    if (SetupWindow == window) {
        SetupWindow = nullptr;
        SetupButtons[0] = SetupButtons[1] = nullptr;
    }
    PostQuitMessage(0);
    return 0;
}

} // namespace

int ButtonWidth() {
    return 8 * DialogUnitX;
}
int ButtonHeight() {
    return (DialogUnitY * 14) / 8;
}

void LayoutButtons() {
    int bw = ButtonWidth(), bh = ButtonHeight();
    int W = ClientWidth, H = ClientHeight;
    POINT places[2];
    if (W < H) {
        places[0] = {(W - 2 * bw) / 3, H - bh - 8};
        places[1] = {(2 * (W - 2 * bw)) / 3 + bw, H - bh - 8};
    } else {
        places[0] = {W - bw - 8, (H - 2 * bh) / 3};
        places[1] = {W - bw - 8, (2 * (H - 2 * bh)) / 3 + bh};
    }
    for (int i = 0; i < 2; i++)
        if (SetupButtons[i]) MoveWindow(SetupButtons[i], places[i].x, places[i].y, bw, bh, TRUE);
}

// Left and top are the place; right and bottom the width and height.
RECT AgreementPlace() {
    if (ClientWidth < ClientHeight) return {0, 0, ClientWidth, ClientHeight - ButtonHeight() - 16};
    return {0, 0, ClientWidth - ButtonWidth() - 16, ClientHeight};
}

bool MakeCabinetPath(WCHAR* path) {
    WCHAR program[SETUP_PATH_CHARS] = {};
    DWORD length = GetModuleFileNameW(SetupInstance, program, SETUP_PATH_CHARS);
    if (length == 0 || length >= SETUP_PATH_CHARS) return false;
    // Drive and directory are everything up to the last separator.
    size_t folder = 0;
    for (size_t i = 0; i < length; i++)
        if (program[i] == L'\\' || program[i] == L'/' || program[i] == L':') folder = i + 1;
    if (folder + wcslen(CabinetName) >= SETUP_PATH_CHARS) return false;
    wmemcpy(path, program, folder);
    wcscpy(path + folder, CabinetName);
    return true;
}

bool LaunchCabinet(HWND owner) {
    if (!MakeCabinetPath(CabinetPath)) {
        CabinetPath[0] = 0;
        return false;
    }
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof(request);
    request.fMask = SEE_MASK_FLAG_NO_UI;
    request.hwnd = owner;
    request.lpVerb = L"open";
    request.lpFile = CabinetPath;
    request.nShow = SW_SHOW;
    return ShellExecuteExW(&request) != FALSE;
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_SIZE: return OnSize(lParam);
    case WM_GETMINMAXINFO:
        // On the desktop "maximised" means the simulated handheld's screen, not the desktop.
        SHFitMaximizedToDevice(window, (MINMAXINFO*)lParam);
        return 0;
    case WM_PAINT: return OnPaint(window);
    case WM_COMMAND: return OnCommand(window, wParam);
    case WM_DESTROY: return OnDestroy(window);
    case WM_ACTIVATE: SHHandleWMActivate(window, wParam, lParam, &SetupActivateInfo, 0); break;
    case WM_SETTINGCHANGE:
        SHHandleWMSettingChange(window, wParam, lParam, &SetupActivateInfo);
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterSetupClasses(HINSTANCE instance) {
    WNDCLASSW main = {};
    main.style = CS_HREDRAW | CS_VREDRAW;
    main.lpfnWndProc = WndProc;
    main.hInstance = instance;
    main.hIcon = LoadIconW(instance, L"Setup");
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    main.lpszClassName = L"Setup";
    RegisterClassW(&main);

    WNDCLASSW license = main;
    license.lpfnWndProc = ChildWndProc;
    license.cbWndExtra = sizeof(LONG);
    license.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    license.lpszClassName = L"License";
    RegisterClassW(&license);
}

HWND StartSetup(HINSTANCE instance) {
    SetupInstance = instance;
    SetupLanguage = QueryDeviceLanguage();
    SetupStep = 0;
    RegisterSetupClasses(instance);
    HWND window =
        CreateWindowW(L"Setup", L"Setup", WS_VISIBLE | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

int RunSetup(HINSTANCE instance) {
    if (!StartSetup(instance)) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}
