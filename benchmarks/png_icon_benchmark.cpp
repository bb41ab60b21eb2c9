// Times an icon of one 256 x 256 RGBA image stored as PNG, from the file to the canvas: the
// platform's codecs loading, the first open and the median of the later ones, in milliseconds.
// Run: scripts/wine-run build/wineprefix build/benchmarks/png_icon_benchmark.exe
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

static double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return count.QuadPart * 1000.0 / frequency.QuadPart;
}

// An icon whose only image is a 256 x 256 PNG with alpha, written by the platform's codec.
static bool WritePngIcon(const WCHAR* path) {
    const int size = 256;
    std::vector<BYTE> pixels((size_t)size * size * 4);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = (BYTE)(i * 7 + i / 1024);
    BYTE* png = nullptr;
    size_t pngSize = 0;
    if (!WritePngPixels(size, size, false, pixels.data(), &png, &pngSize)) return false;
    BYTE directory[22] = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
    DWORD bytes = (DWORD)pngSize, offset = 22;
    memcpy(directory + 14, &bytes, 4);
    memcpy(directory + 18, &offset, 4);
    FILE* f = _wfopen(path, L"wb");
    bool ok = f && fwrite(directory, 1, 22, f) == 22 && fwrite(png, 1, pngSize, f) == pngSize;
    free(png);
    return f && fclose(f) == 0 && ok;
}

static void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    printf("%-44s median %7.1f ms   slowest %7.1f ms   (%zu runs)\n", what, times[times.size() / 2],
           times.back(), times.size());
}

int wmain() {
    AppInstance = GetModuleHandleW(nullptr);
    RegisterEditorClasses(AppInstance);
    InitPalette();
    WCHAR folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    HWND canvas = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    const int runs = 7;
    // The codecs load at the first PNG of a run; the icon is written with them after that.
    double beforeCodecs = Now();
    if (!PngCodecPresent()) {
        printf("no PNG codec\n");
        return 1;
    }
    double codecs = Now() - beforeCodecs;
    WCHAR icon[MAX_PATH];
    wsprintfW(icon, L"%spixmora-bench-png.ico", folder);
    if (!WritePngIcon(icon)) {
        printf("could not write %ls\n", icon);
        return 1;
    }
    std::vector<double> opens;
    for (int i = 0; i < 1 + runs; i++) {
        ReleaseHeldIcon();
        lstrcpyW(ImageSlots[0].Path, icon);
        double start = Now();
        if (!OpenIconIntoSlot(canvas, 0)) {
            printf("the icon did not open\n");
            return 1;
        }
        CanvasWidth = ImageSlots[0].Width;
        CanvasHeight = ImageSlots[0].Height;
        LoadSlotImage(canvas, 21);
        opens.push_back(Now() - start);
    }
    printf("256 x 256 RGBA PNG in an icon, file to canvas:\n");
    printf("  loading the codecs (once a run)             %7.1f ms\n", codecs);
    printf("  first open                                  %7.1f ms\n", opens[0]);
    Report("  later opens", std::vector<double>(opens.begin() + 1, opens.end()));
    DeleteFileW(icon);
    DestroyWindow(canvas);
    return 0;
}
