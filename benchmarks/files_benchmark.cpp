// Times opening a 4096 x 4096 24-bit bitmap: the file read into its slot (stored bottom-up,
// which is read in place, and top-down, which is turned over), then the canvas taking it.
// Then an icon of one 256 x 256 RGBA image stored as PNG, from the file to the canvas: the
// platform's codecs loading, the first open and the median of the later ones.
// Prints the median and the slowest of several runs, in milliseconds.
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

static double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return count.QuadPart * 1000.0 / frequency.QuadPart;
}

static bool WriteBigBitmap(const WCHAR* path, bool topDown) {
    const int size = 4096;
    const DWORD stride = size * 3, pixels = stride * size;
    BYTE header[54] = {'B', 'M'};
    DWORD fileSize = 54 + pixels, offBits = 54, headerSize = 40, imageSize = pixels;
    int width = size, height = topDown ? -size : size;
    WORD planes = 1, bits = 24;
    memcpy(header + 2, &fileSize, 4);
    memcpy(header + 10, &offBits, 4);
    memcpy(header + 14, &headerSize, 4);
    memcpy(header + 18, &width, 4);
    memcpy(header + 22, &height, 4);
    memcpy(header + 26, &planes, 2);
    memcpy(header + 28, &bits, 2);
    memcpy(header + 34, &imageSize, 4);
    std::vector<BYTE> row(stride);
    FILE* f = _wfopen(path, L"wb");
    if (!f) return false;
    bool ok = fwrite(header, 1, 54, f) == 54;
    for (int y = 0; y < size && ok; y++) {
        for (DWORD x = 0; x < stride; x++)
            row[x] = (BYTE)(x * 7 + y);
        ok = fwrite(row.data(), 1, stride, f) == stride;
    }
    return fclose(f) == 0 && ok;
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
    for (bool topDown : {false, true}) {
        WCHAR path[MAX_PATH];
        wsprintfW(path, L"%spixmora-bench-%s.bmp", folder, topDown ? L"topdown" : L"bottomup");
        if (!WriteBigBitmap(path, topDown)) {
            printf("could not write %ls\n", path);
            return 1;
        }
        std::vector<double> reads, loads, totals;
        for (int i = 0; i < runs; i++) {
            ReleaseSlot(0);
            lstrcpyW(ImageSlots[0].Path, path);
            double start = Now();
            OpenBitmapIntoSlot(canvas, 0);
            double read = Now();
            if (!ImageSlots[0].Dib) {
                printf("the bitmap did not open\n");
                return 1;
            }
            CanvasWidth = ImageSlots[0].Width;
            CanvasHeight = ImageSlots[0].Height;
            LoadSlotImage(canvas, 19);
            double loaded = Now();
            reads.push_back(read - start);
            loads.push_back(loaded - read);
            totals.push_back(loaded - start);
        }
        printf("4096 x 4096, 24 bits, %s:\n", topDown ? "top-down rows" : "bottom-up rows");
        Report("  file read into the slot", reads);
        Report("  taken by the canvas (LoadSlotImage)", loads);
        Report("  open in all", totals);
        DeleteFileW(path);
    }
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
