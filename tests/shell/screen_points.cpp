// Tells a shell test where to click in the running editor, in screen coordinates:
//   screen_points button CAPTION ID   the middle of a box's or dialog's button
//   screen_points fill                the middle of the palette's fill-colour indicator
// Prints "X Y", or nothing (exit code 1) when the window is not there.
#include <windows.h>
#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    RECT r = {};
    if (argc == 4 && wcscmp(argv[1], L"button") == 0) {
        HWND box = FindWindowW(L"#32770", argv[2]);
        HWND button = box ? GetDlgItem(box, _wtoi(argv[3])) : nullptr;
        if (!button || !IsWindowVisible(box) || !GetWindowRect(button, &r)) return 1;
    } else if (argc == 2 && wcscmp(argv[1], L"fill") == 0) {
        HWND main = FindWindowW(L"Mosaro", L"Pixmora");
        HWND palette = main ? FindWindowExW(main, nullptr, L"Palette", nullptr) : nullptr;
        RECT client;
        if (!palette || !GetClientRect(palette, &client)) return 1;
        int cell = client.bottom / 17;
        r = {cell / 2, 16 * cell + 3, 5 * cell / 2, client.bottom - 3};
        MapWindowPoints(palette, nullptr, (POINT*)&r, 2);
    } else {
        return 2;
    }
    printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return 0;
}
