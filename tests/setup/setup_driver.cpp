// Drives a running setup.exe from another process, through the shared program driver.
#include "setup_driver.h"

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
