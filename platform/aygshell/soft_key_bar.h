// What the soft-key bar and the simulated device screen share inside the stand-in shell
// library: the bars, the device's orientation, and the steps each side asks of the other.
#pragma once
#include "aygshell.h"

namespace SoftKeys {

inline const WCHAR BarClass[] = L"menu_worker";
inline const int DeviceLong = 640;
inline const int DeviceShort = 480;
inline const int MaxBars = 8;
inline const int MaxKeys = 4;
inline const int NoKey = -1;
inline const int RotateKey = -2;

struct SoftKeyBar {
    HWND parent;
    HWND window;
    HMENU menu;
    DWORD flags;
    int height;
    int offsetTop; // from the parent's top edge to the bar's, kept while the parent moves
    bool attached; // the parent ends at the bar: from then on the bar follows its bottom edge
    int pressed;
    HFONT font;
};

extern SoftKeyBar Bars[MaxBars];
extern int Landscape; // the device is turned: a 640 x 480 screen

// ---- The bars (soft_key_bar.cpp) ----
SoftKeyBar* BarOfWindow(HWND window);
SoftKeyBar* BarOfParent(HWND parent);
int Clamp(int value, int low, int high);
int KeyCount(const SoftKeyBar* bar);
// Opens the pop-up of the key at index, or posts the command of a key without one.
void OpenKey(SoftKeyBar* bar, int index);
bool RegisterBarClass(HINSTANCE instance);

// ---- The device screen (device_screen.cpp) ----
RECT WorkArea(HWND window);
// The simulated screen in the current orientation, no larger than the work area.
SIZE DeviceSize(const RECT& work);
int BarHeightFor(SIZE device);
// Keeps the bar along the bottom of its parent as the parent moves and is resized.
void FollowParent(SoftKeyBar* bar);
// Makes the parent the device's screen, at creation or after the device turned.
void FitToDevice(SoftKeyBar* bar, bool atCreation);
// Subclasses the bar's parent so the bar moves, shows and hides with it.
bool WatchParent(HWND window);

} // namespace SoftKeys
