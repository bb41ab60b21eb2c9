// Drives a running setup.exe from another process, as a user would: finds its windows and
// presses its buttons. Shared by the installation test and the screenshot poser.
#pragma once
#include <windows.h>
#include <string>

// Starts the program with no console of its own; false if it cannot start.
bool StartProgram(const std::wstring& path, PROCESS_INFORMATION* process);
// The visible top-level window of that process with that class (and title, if given),
// waiting up to timeoutMs for it to appear; none if it never does.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title,
                          DWORD timeoutMs);
// The child of parent with that class, waiting up to timeoutMs.
HWND WaitForChild(HWND parent, const wchar_t* className, DWORD timeoutMs);
// Presses a push button of a window or dialog as a tap would.
void PressButton(HWND parent, int id);
// Takes setup from its start screen through the welcome dialog to the agreement; the
// agreement window, or none if a step did not come.
HWND DriveToAgreement(const PROCESS_INFORMATION& process, HWND* mainWindow);
// The id of a running process started from a program file of that name ("cabinstall.exe"),
// waiting up to timeoutMs for one; 0 if none comes.
DWORD WaitForProcessNamed(const wchar_t* programName, DWORD timeoutMs);
// A message box as the user reads it: its caption and its text.
struct ShownBox {
    std::wstring caption;
    std::wstring text;
};
ShownBox ReadBox(HWND box);
// Windows path of a path in the Linux file system (Wine's Z: drive).
std::wstring WindowsPath(const char* unixPath);
