// Drives a running setup.exe from another process: window search with timeouts and button
// presses through posted commands.
#include "setup_driver.h"
#include <tlhelp32.h>

namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    Search* search = (Search*)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    wchar_t text[256] = {};
    GetClassNameW(window, text, 256);
    if (wcscmp(text, search->className) != 0) return TRUE;
    if (search->title) {
        GetWindowTextW(window, text, 256);
        if (wcscmp(text, search->title) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

} // namespace

bool StartProgram(const std::wstring& path, PROCESS_INFORMATION* process) {
    STARTUPINFOW startup = {sizeof(startup)};
    std::wstring commandLine = L"\"" + path + L"\"";
    return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, process) != FALSE;
}

HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title,
                          DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        Search search = {processId, className, title, nullptr};
        EnumWindows(MatchWindow, (LPARAM)&search);
        if (search.found) return search.found;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND WaitForChild(HWND parent, const wchar_t* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        HWND child = FindWindowExW(parent, nullptr, className, nullptr);
        if (child) return child;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

void PressButton(HWND parent, int id) {
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(parent, id));
}

HWND DriveToAgreement(const PROCESS_INFORMATION& process, HWND* mainWindow) {
    HWND main = WaitForProcessWindow(process.dwProcessId, L"Setup", L"Setup", 20000);
    if (mainWindow) *mainWindow = main;
    if (!main) return nullptr;
    PressButton(main, 200);
    HWND welcome =
        WaitForProcessWindow(process.dwProcessId, L"#32770", L"Welcome to PIXMORA ver. 1.X", 10000);
    if (!welcome) return nullptr;
    PressButton(welcome, IDOK);
    return WaitForChild(main, L"License", 10000);
}

DWORD WaitForProcessNamed(const wchar_t* programName, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot != INVALID_HANDLE_VALUE) {
            PROCESSENTRY32W entry = {sizeof(entry)};
            DWORD found = 0;
            for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
                 more = Process32NextW(snapshot, &entry))
                if (_wcsicmp(entry.szExeFile, programName) == 0) found = entry.th32ProcessID;
            CloseHandle(snapshot);
            if (found) return found;
        }
        if (timeoutMs) Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return 0;
}

ShownBox ReadBox(HWND box) {
    wchar_t text[1024] = {};
    ShownBox shown;
    GetWindowTextW(box, text, 1024);
    shown.caption = text;
    text[0] = 0;
    GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 1024);
    shown.text = text;
    return shown;
}

// The build's paths are UTF-8, as a checkout in a folder named beyond ASCII has them.
std::wstring WindowsPath(const char* unixPath) {
    int size = MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, nullptr, 0);
    if (size <= 0) return L"";
    std::wstring path(size - 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, path.data(), size);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return L"Z:" + path;
}
