// Times Make All Sizes from a 256 x 256 RGBA image held as PNG (16, 24, 32, 48 and 256), and
// Save As Icon of the result, in milliseconds; benchmarks/all-sizes runs it beside Pillow
// making and saving the same sizes from the same picture.
// Run: benchmarks/all-sizes (after cmake --build build)
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

// The picture both programs start from: soft shapes over a clear ground, every alpha.
static std::vector<BYTE> Picture() {
    const int size = 256;
    std::vector<BYTE> pixels((size_t)size * size * 4);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            BYTE* p = &pixels[((size_t)y * size + x) * 4];
            int dx = x - 128, dy = y - 128, d = dx * dx + dy * dy;
            p[0] = (BYTE)(x ^ y);
            p[1] = (BYTE)(x * 2);
            p[2] = (BYTE)(y + x / 3);
            p[3] = (BYTE)(d < 100 * 100 ? 255 : d < 120 * 120 ? (120 * 120 - d) / 18 : 0);
        }
    return pixels;
}

static bool WriteFile(const WCHAR* path, const BYTE* bytes, size_t size, const BYTE* head,
                      size_t headSize) {
    FILE* f = _wfopen(path, L"wb");
    bool ok = f && fwrite(head, 1, headSize, f) == headSize && fwrite(bytes, 1, size, f) == size;
    return f && fclose(f) == 0 && ok;
}

int wmain(int argc, WCHAR** argv) {
    if (argc < 3) {
        printf("usage: all_sizes_benchmark PICTURE.png OUT.ico\n");
        return 2;
    }
    AppInstance = GetModuleHandleW(nullptr);
    RegisterEditorClasses(AppInstance);
    InitPalette();
    HWND canvas = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    MainWindow = ImageWindows[0] = canvas;
    if (!PngCodecPresent()) {
        printf("no PNG codec\n");
        return 1;
    }
    std::vector<BYTE> pixels = Picture();
    BYTE* png = nullptr;
    size_t pngSize = 0;
    if (!WritePngPixels(256, 256, false, pixels.data(), &png, &pngSize)) return 1;
    BYTE directory[22] = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
    DWORD bytes = (DWORD)pngSize, offset = 22;
    memcpy(directory + 14, &bytes, 4);
    memcpy(directory + 18, &offset, 4);
    WCHAR icon[MAX_PATH];
    GetTempPathW(MAX_PATH, icon);
    lstrcatW(icon, L"pixmora-bench-source.ico");
    // The same picture as a plain PNG, for Pillow.
    if (!WriteFile(icon, png, pngSize, directory, 22) ||
        !WriteFile(argv[1], png, pngSize, directory, 0)) {
        printf("could not write the pictures\n");
        return 1;
    }
    free(png);
    const int runs = 9;
    std::vector<double> made, saved;
    for (int i = 0; i < 1 + runs; i++) {
        ReleaseHeldIcon();
        lstrcpyW(ImageSlots[0].Path, icon);
        if (!OpenIconIntoSlot(canvas, 0)) return 1;
        CanvasWidth = CanvasHeight = 256;
        LoadSlotImage(canvas, 21);
        DocumentKind = DOCUMENT_ICON_FILE;
        double start = Now();
        if (!MakeAllSizes(canvas, STANDARD_SIZES) || IconDirectory.idCount != 5) {
            printf("Make All Sizes failed\n");
            return 1;
        }
        double middle = Now();
        ImageToWrite image;
        CanvasImageToWrite(true, &image);
        if (!WriteIconFile(argv[2], &image)) {
            printf("Save As Icon failed\n");
            return 1;
        }
        double end = Now();
        if (i == 0) continue; // the first run loads the codecs
        made.push_back(middle - start);
        saved.push_back(end - middle);
    }
    std::vector<double> total(made.size());
    for (size_t i = 0; i < made.size(); i++)
        total[i] = made[i] + saved[i];
    for (auto* v : {&made, &saved, &total})
        std::sort(v->begin(), v->end());
    printf("pixmora make %.2f save %.2f total %.2f ms (median of %d)\n", made[runs / 2],
           saved[runs / 2], total[runs / 2], runs);
    DeleteFileW(icon);
    DestroyWindow(canvas);
    return 0;
}
