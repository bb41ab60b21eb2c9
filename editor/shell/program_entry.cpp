// Pixmora's program entry: everything else lives in the editor library.
#include "shell/shell.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand) {
    return RunEditor(instance, previous, commandLine, showCommand);
}
