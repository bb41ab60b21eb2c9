// Test support for driving the editor's windows headless under Wine: a hook that answers
// message boxes and dialogs, pixel readers, stylus messages and a message pump.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// ---- Message boxes and dialogs ----------------------------------------------------------
// Every modal box or dialog that becomes active is recorded. Answers are taken in order
// from the queue the test fills; a box with no answer queued fails the test and is closed.
struct SeenBox {
    std::wstring caption;
    std::wstring text; // the static text of a message box (control 0xFFFF)
    std::wstring className;
    UINT icon;                // MB_ICONEXCLAMATION, MB_ICONQUESTION, ... or 0
    std::vector<int> buttons; // ids of the push buttons present (IDOK, IDYES, ...)
};

// Queue the button to press on the next box.
void AnswerNextBox(int buttonId);
// Queue an action to run on the next box or dialog once it is up; the action must end it.
void HandleNextDialog(std::function<void(HWND)> action);
// Boxes seen since the last ClearSeenBoxes, oldest first.
const std::vector<SeenBox>& SeenBoxes();
void ClearSeenBoxes();
// Answers still queued (a test that expected a box that never came).
size_t PendingAnswers();
void ClearPendingAnswers();
// Presses a push button of a dialog as a tap would.
void PressDialogButton(HWND dialog, int id);
// Ends the program, naming the box, when a box of this thread stays up for seconds (the box
// answerer starts this; a program without it may start it alone).
void WatchForUnansweredBoxes();

// ---- Pixels ----------------------------------------------------------------------------------
// Pixel (x, y), top-down, of a DIB with positive (bottom-up) or negative height.
int DibPixelIndex(const BITMAPINFO* info, const BYTE* bits, int x, int y);
// The pixel's colour as 0x00BBGGRR (through the colour table for 1, 4 and 8 bits).
COLORREF DibPixelColor(const BITMAPINFO* info, const BYTE* bits, int x, int y);
COLORREF WindowPixel(HWND window, int x, int y);

// ---- Dialogs on the screen -------------------------------------------------------------------
// Expects the dialog wholly within the work area and each of its controls within its client
// area; what names the case in a failure.
void ExpectDialogOnWorkArea(HWND dialog, const RECT& work, const std::string& what);
// The system's work area set for as long as the object lives (Wine keeps it per process).
struct WorkAreaForTest {
    explicit WorkAreaForTest(const RECT& work);
    ~WorkAreaForTest();
    RECT saved = {};
};

// ---- Test windows ----------------------------------------------------------------------------
// A top-level window at (0, 0) of a class of the test's own (registered on first use), to
// host or own the windows under test. The procedure defaults to DefWindowProcW.
HWND MakeTestWindow(const wchar_t* className, DWORD style, int width, int height,
                    WNDPROC procedure = nullptr, HBRUSH background = nullptr);

// ---- Stylus and messages --------------------------------------------------------------------
void StylusDown(HWND window, int x, int y);
void StylusMove(HWND window, int x, int y);
void StylusUp(HWND window, int x, int y);
// Press at from, move in steps along the straight line, release at to.
void StylusDrag(HWND window, int fromX, int fromY, int toX, int toY, int steps = 4);
// Dispatches every queued message, repeatedly, until the queue stays empty.
void PumpMessages();
// Keeps the real cursor away from the windows under test (see ReleaseCapture under Wine).
void ParkCursor();

// ---- Files --------------------------------------------------------------------------------------
// A fresh folder for the test's files under the temporary folder; removed by the caller.
std::wstring MakeTestFolder(const wchar_t* name);
// Removes such a folder with the files in it.
void RemoveTestFolder(const std::wstring& folder);
std::vector<BYTE> ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& bytes);
// The Linux name of a file under Wine (UTF-8), or "" where there is none.
std::string LinuxPath(const std::wstring& path);
