// Drives a program started as its own process, as automation tools do: finds its windows,
// posts stylus and key input and commands to them, answers its boxes and file dialogs, and
// reads what they show. Shared by the installer's and the editor's real-process tests.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

// Starts the program, with the arguments after its name, with no console of its own; false
// if it cannot start.
bool StartProgram(const std::wstring& path, PROCESS_INFORMATION* process,
                  const std::wstring& arguments = L"");
// Waits up to timeoutMs for the program's end: true with its exit code when it ended.
bool WaitForProgramEnd(const PROCESS_INFORMATION& process, DWORD timeoutMs, DWORD* code);
// Ends the program if it still runs, and lets go of its handles.
void EndProgram(PROCESS_INFORMATION* process);
// Asks until the answer is true or timeoutMs have passed; the last answer.
bool WaitUntil(const std::function<bool()>& answer, DWORD timeoutMs);
// The visible top-level window of that process with that class (and title, if given),
// waiting up to timeoutMs for it to appear; none if it never does.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title,
                          DWORD timeoutMs);
// The child of parent with that class, waiting up to timeoutMs.
HWND WaitForChild(HWND parent, const wchar_t* className, DWORD timeoutMs);
// Presses a push button of a window or dialog as a tap would.
void PressButton(HWND parent, int id);
// Posts a tap (press and release) at a client point of the window as an automation tool
// does: the point is in the messages' lParam, while the pointer rests where it is.
void PostTap(HWND window, int x, int y);
// Posts a key's press and release to the window.
void PostKey(HWND window, UINT key);
// Types the name into a file dialog's name field and presses its OK.
void AnswerFileDialog(HWND dialog, const std::wstring& path);
// Drops the file on the window at a client point as a desktop's file manager does: the drop
// goes to the first window from there up that accepts dropped files (WS_EX_ACCEPTFILES),
// which gets WM_DROPFILES with a drop record in its own process. False, with nothing sent,
// when no window there accepts drops or the record could not be made.
bool DropFile(const PROCESS_INFORMATION& process, HWND window, POINT at, const std::wstring& path);
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
