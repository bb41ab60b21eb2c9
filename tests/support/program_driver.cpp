// Drives a program started as its own process: window search with timeouts, input and
// commands posted to its windows, its file dialogs answered and files dropped on it.
#include "program_driver.h"
#include <shlobj.h>
#include <tlhelp32.h>

#define FILE_NAME_EDIT 0x47C // where Wine's file dialogs keep the typed name

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

void PostPointer(HWND window, UINT message, WPARAM keys, int x, int y) {
    PostMessageW(window, message, keys, MAKELPARAM((short)x, (short)y));
}

} // namespace

bool StartProgram(const std::wstring& path, PROCESS_INFORMATION* process,
                  const std::wstring& arguments) {
    STARTUPINFOW startup = {sizeof(startup)};
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, process) != FALSE;
}

bool WaitForProgramEnd(const PROCESS_INFORMATION& process, DWORD timeoutMs, DWORD* code) {
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(process.hProcess, code) != FALSE;
}

void EndProgram(PROCESS_INFORMATION* process) {
    if (!process->hProcess) return;
    if (WaitForSingleObject(process->hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process->hProcess, 1);
        WaitForSingleObject(process->hProcess, 5000);
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    *process = PROCESS_INFORMATION{};
}

bool WaitUntil(const std::function<bool()>& answer, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!answer()) {
        if (GetTickCount() - start >= timeoutMs) return answer();
        Sleep(20);
    }
    return true;
}

HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title,
                          DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&]() {
            Search search = {processId, className, title, nullptr};
            EnumWindows(MatchWindow, (LPARAM)&search);
            return (found = search.found) != nullptr;
        },
        timeoutMs);
    return found;
}

HWND WaitForChild(HWND parent, const wchar_t* className, DWORD timeoutMs) {
    HWND child = nullptr;
    WaitUntil([&]() { return (child = FindWindowExW(parent, nullptr, className, nullptr)); },
              timeoutMs);
    return child;
}

void PressButton(HWND parent, int id) {
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(parent, id));
}

void PostTap(HWND window, int x, int y) {
    PostPointer(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    PostPointer(window, WM_LBUTTONUP, 0, x, y);
}

void PostKey(HWND window, UINT key) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(window, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

void AnswerFileDialog(HWND dialog, const std::wstring& path) {
    // The field belongs to the dialog's process: the text is sent, which copies it there.
    SendDlgItemMessageW(dialog, FILE_NAME_EDIT, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PressButton(dialog, IDOK);
}

bool DropFile(const PROCESS_INFORMATION& process, HWND window, POINT at, const std::wstring& path) {
    // The system hands a drop to the window under the point or the nearest parent that said
    // it takes dropped files; a window that does not is never sent one.
    HWND target = window;
    while (target && !(GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
        target = (GetWindowLongW(target, GWL_STYLE) & WS_CHILD) ? GetParent(target) : nullptr;
    if (!target) return false;
    MapWindowPoints(window, target, &at, 1);
    // The drop record, as the system makes it: DROPFILES, then the wide names, each ended,
    // and an empty one. Fixed memory is its own handle, so the record can live in memory
    // the receiving process owns.
    std::wstring names = path + L'\0';
    const SIZE_T size = sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t);
    std::string record(size, '\0');
    DROPFILES* head = (DROPFILES*)record.data();
    head->pFiles = sizeof(DROPFILES);
    head->pt = at;
    head->fWide = TRUE;
    memcpy(record.data() + sizeof(DROPFILES), names.c_str(), names.size() * sizeof(wchar_t));
    void* remote =
        VirtualAllocEx(process.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    if (!WriteProcessMemory(process.hProcess, remote, record.data(), size, nullptr)) {
        VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
        return false;
    }
    // Left to the program: it lets go of the drop itself (DragFinish).
    return PostMessageW(target, WM_DROPFILES, (WPARAM)remote, 0) != FALSE;
}

DWORD WaitForProcessNamed(const wchar_t* programName, DWORD timeoutMs) {
    DWORD found = 0;
    WaitUntil(
        [&]() {
            HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            if (snapshot == INVALID_HANDLE_VALUE) return false;
            PROCESSENTRY32W entry = {sizeof(entry)};
            for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
                 more = Process32NextW(snapshot, &entry))
                if (_wcsicmp(entry.szExeFile, programName) == 0) found = entry.th32ProcessID;
            CloseHandle(snapshot);
            return found != 0;
        },
        timeoutMs);
    return found;
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
