// The handheld shell library's interface as the editor and setup use it: the soft-key menu
// bar and the activation helpers. Desktop Windows and Wine have no such library, so
// platform/aygshell provides it. Record layouts follow the handheld's own.
#pragma once
#include <windows.h>

#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010 // nToolBarId holds a menu handle

// A menu bar answers with the menu it was built from. The keys open on a tap, or on F1
// (left) and F2 (right) pressed in the parent, as the handheld's soft-key buttons send them.
#define SHCMBM_GETMENU (WM_USER + 402)

// Desktop additions, for tests and tools that drive the bar as a user would.
// SKBM_GETKEYCOUNT: number of soft keys. SKBM_GETKEYRECT: wParam the key's index (left to
// right), lParam a RECT* that receives the key's rectangle in the bar's client coordinates;
// returns TRUE when the key exists. The rotate key (portrait/landscape) is not counted.
#define SKBM_GETKEYCOUNT (WM_USER + 0x300)
#define SKBM_GETKEYRECT (WM_USER + 0x301)
#define SKBM_GETROTATERECT (WM_USER + 0x302)

// Sent to a window by its menu bar's rotate key after the device has turned, as the
// handheld does; SHHandleWMSettingChange then fits the window to the new screen.
#define SETTINGCHANGE_RESET 0x3002

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

typedef struct tagSHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

// SHInitDialog: dwMask SHIDIM_FLAGS says dwFlags is set. On the handheld the size flags make
// the dialog fill the screen; a desktop has no full-screen dialogs, so there the dialog keeps
// its size and place as far as the work area allows: it is moved wholly into the work area,
// and one larger than the work area is shrunk, its controls and their font alike, to fit it.
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

BOOL WINAPI SHInitExtraControls(void);
BOOL WINAPI SHInitDialog(SHINITDLGINFO* info);
BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info);
HWND WINAPI SHFindMenuBar(HWND window);
BOOL WINAPI SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info,
                               DWORD flags);
BOOL WINAPI SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam,
                                    SHACTIVATEINFO* info);

// Desktop additions: the simulated device's orientation (0 portrait, 1 landscape). Setting
// it turns the device as the rotate key does, refitting every window that has a menu bar.
int SHGetDeviceOrientation(void);
void SHSetDeviceOrientation(int landscape);

// Desktop addition: on the handheld a maximised window fills the device's screen, which the
// desktop only simulates. A top-level window hands its WM_GETMINMAXINFO record here to be
// maximised onto that screen (480 x 640, or 640 x 480 when turned, centred in the work
// area), and it keeps that size even when restored; when the device turns, it is sent the
// setting change that SHHandleWMSettingChange answers by moving it onto the turned screen.
void WINAPI SHFitMaximizedToDevice(HWND window, MINMAXINFO* info);
