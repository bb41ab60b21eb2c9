// Start-up: single-instance test, window classes, main window and the message loop.
#include "shell/shell.h"
#include "shell/editor_state.h"

void RegisterEditorClasses(HINSTANCE) {}

int RunEditor(HINSTANCE instance, HINSTANCE, int) {
    AppInstance = instance;
    InitPalette();
    return 0;
}
