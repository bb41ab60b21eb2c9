// Poses setup.exe for a screenshot: starts it and takes it to the named screen, then leaves
// it running; then creates READY_FILE, if named, for the photographer. "installed" presses
// "I Agree" and waits for the cabinet installer's message.
// Usage: setup_pose SETUP.EXE start|welcome|agreement|installed [READY_FILE]
#include "setup_driver.h"
#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: setup_pose SETUP.EXE start|welcome|agreement|installed\n");
        return 2;
    }
    PROCESS_INFORMATION process = {};
    if (!StartProgram(argv[1], &process)) return 1;
    HWND main = WaitForProcessWindow(process.dwProcessId, L"Setup", L"Setup", 20000);
    if (!main) return 1;
    std::wstring stage = argv[2];
    if (stage == L"welcome") {
        PressButton(main, 200);
        if (!WaitForProcessWindow(process.dwProcessId, L"#32770", nullptr, 10000)) return 1;
    } else if (stage == L"agreement") {
        if (!DriveToAgreement(process, nullptr)) return 1;
    } else if (stage == L"installed") {
        if (!DriveToAgreement(process, nullptr)) return 1;
        PressButton(main, 200);
        DWORD installer = WaitForProcessNamed(L"cabinstall.exe", 20000);
        if (!installer || !WaitForProcessWindow(installer, L"#32770", nullptr, 20000)) return 1;
    }
    Sleep(1500); // let it paint
    if (argc > 3) {
        HANDLE ready = CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready == INVALID_HANDLE_VALUE) return 1;
        CloseHandle(ready);
    }
    return 0;
}
