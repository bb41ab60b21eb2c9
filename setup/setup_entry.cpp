// The installer's program entry: everything else lives in the setup library.
#include "setup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    return RunSetup(instance);
}
