// Times opening a 4096 x 4096 24-bit bitmap, stored bottom-up and top-down: the file read into
// its slot and the canvas taking it, against the floor of making a DIB section and reading
// the pixels into it with one ReadFile, timed in the same run; and Pillow opening the same
// file, where /usr/bin/python3 has it. Every case runs with the machine's other core idle and
// with a thread spinning to keep it busy. The peak memory of an open is measured in a child
// process of this program, which opens the file twice and reports how far its working set
// rose above what it held with the first picture.
// Run: scripts/wine-run build/wineprefix build/benchmarks/files_benchmark.exe
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#define SIZE 4096
#define STRIDE (SIZE * 3)
#define PIXEL_BYTES ((DWORD)STRIDE * SIZE)
#define RUNS 7
// The targets: an open against its floor, the peak memory against the picture's size.
#define OPEN_TARGET 1.2
#define PEAK_TARGET 1.3

static double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return count.QuadPart * 1000.0 / frequency.QuadPart;
}

static double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

static bool WriteBigBitmap(const WCHAR* path, bool topDown) {
    BYTE header[54] = {'B', 'M'};
    DWORD fileSize = 54 + PIXEL_BYTES, offBits = 54, headerSize = 40, imageSize = PIXEL_BYTES;
    int width = SIZE, height = topDown ? -SIZE : SIZE;
    WORD planes = 1, bits = 24;
    memcpy(header + 2, &fileSize, 4);
    memcpy(header + 10, &offBits, 4);
    memcpy(header + 14, &headerSize, 4);
    memcpy(header + 18, &width, 4);
    memcpy(header + 22, &height, 4);
    memcpy(header + 26, &planes, 2);
    memcpy(header + 28, &bits, 2);
    memcpy(header + 34, &imageSize, 4);
    std::vector<BYTE> row(STRIDE);
    FILE* f = _wfopen(path, L"wb");
    if (!f) return false;
    bool ok = fwrite(header, 1, 54, f) == 54;
    for (int y = 0; y < SIZE && ok; y++) {
        for (DWORD x = 0; x < STRIDE; x++)
            row[x] = (BYTE)(x * 7 + y);
        ok = fwrite(row.data(), 1, STRIDE, f) == STRIDE;
    }
    return fclose(f) == 0 && ok;
}

// ---- The open and its floor ------------------------------------------------------------------
static HWND Owner;

// Reads the file into slot 0 and has the canvas take it, as the open command does.
static bool Open(const WCHAR* path) {
    ReleaseSlot(0);
    lstrcpyW(ImageSlots[0].Path, path);
    OpenBitmapIntoSlot(Owner, 0);
    if (!ImageSlots[0].Dib) return false;
    CanvasWidth = ImageSlots[0].Width;
    CanvasHeight = ImageSlots[0].Height;
    return LoadSlotImage(Owner, 19) != 0;
}

// A DIB section of the picture and one ReadFile of the pixels into it; the section made
// before is let go, as an open lets go of the picture before.
static double Floor(const WCHAR* path, HBITMAP* previous) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), SIZE, SIZE, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    double start = Now();
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    bool ok = section && file != INVALID_HANDLE_VALUE &&
              SetFilePointer(file, 54, nullptr, FILE_BEGIN) == 54 &&
              ReadFile(file, bits, PIXEL_BYTES, &read, nullptr) && read == PIXEL_BYTES;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (*previous) DeleteObject(*previous);
    *previous = section;
    double elapsed = Now() - start;
    return ok ? elapsed : -1;
}

// ---- Pillow ------------------------------------------------------------------------------------
// Wine's: the Linux name in a block of the process heap, or none.
typedef char*(CDECL* UnixNameFunction)(LPCWSTR);

// The name Linux knows a file by, when this runs under Wine.
static bool UnixName(const WCHAR* path, WCHAR* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC convert = kernel ? GetProcAddress(kernel, "wine_get_unix_file_name") : nullptr;
    char* bytes = convert ? ((UnixNameFunction)(void*)convert)(path) : nullptr;
    if (!bytes) return false;
    bool ok = MultiByteToWideChar(CP_UTF8, 0, bytes, -1, name, MAX_PATH) > 0;
    HeapFree(GetProcessHeap(), 0, bytes);
    return ok;
}

// Writes its median in milliseconds to a file, complete when it appears under its name.
static const char PillowScript[] = "import os, sys, time\n"
                                   "from PIL import Image\n"
                                   "times = []\n"
                                   "for _ in range(int(sys.argv[3])):\n"
                                   "    start = time.perf_counter()\n"
                                   "    with Image.open(sys.argv[1]) as im:\n"
                                   "        im.load()\n"
                                   "    times.append(time.perf_counter() - start)\n"
                                   "times.sort()\n"
                                   "with open(sys.argv[2] + '.part', 'w') as f:\n"
                                   "    f.write('%f' % (times[len(times) // 2] * 1000))\n"
                                   "os.replace(sys.argv[2] + '.part', sys.argv[2])\n";

// Pillow's median time to open and decode the file, or a negative number when Pillow is not
// there to ask.
static double PillowMilliseconds(const WCHAR* folder, const WCHAR* path) {
    WCHAR script[MAX_PATH], result[MAX_PATH];
    wsprintfW(script, L"%spixmora-bench-pillow.py", folder);
    wsprintfW(result, L"%spixmora-bench-pillow.txt", folder);
    FILE* f = _wfopen(script, L"wb");
    if (!f) return -1;
    fputs(PillowScript, f);
    fclose(f);
    DeleteFileW(result);
    WCHAR unixScript[MAX_PATH], unixPath[MAX_PATH], unixResult[MAX_PATH];
    if (!UnixName(script, unixScript) || !UnixName(path, unixPath) || !UnixName(result, unixResult))
        return -1;
    WCHAR command[MAX_PATH * 4];
    wsprintfW(command, L"/usr/bin/python3 %s %s %s %d", unixScript, unixPath, unixResult, RUNS);
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process;
    if (!CreateProcessW(L"/usr/bin/python3", command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    // Wine cannot wait for a Linux process: the result file says when it is done.
    for (int waited = 0; waited < 120000 && GetFileAttributesW(result) == INVALID_FILE_ATTRIBUTES;
         waited += 20)
        Sleep(20);
    double milliseconds = -1;
    f = _wfopen(result, L"rb");
    if (f) {
        if (fscanf(f, "%lf", &milliseconds) != 1) milliseconds = -1;
        fclose(f);
    }
    DeleteFileW(result);
    DeleteFileW(script);
    return milliseconds;
}

// ---- The peak memory -------------------------------------------------------------------------
// In the child: two opens of the file; the working set's peak over what it held with the
// first picture, in kilobytes, is the exit code.
static int MeasurePeak(const WCHAR* path) {
    PROCESS_MEMORY_COUNTERS counters = {sizeof counters};
    if (!Open(path)) return 0;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    SIZE_T before = counters.WorkingSetSize;
    if (!Open(path)) return 0;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return (int)((counters.PeakWorkingSetSize - before) / 1024);
}

static double PeakRatio(const WCHAR* path) {
    WCHAR program[MAX_PATH], command[MAX_PATH * 3];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    wsprintfW(command, L"\"%s\" --peak \"%s\"", program, path);
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process;
    if (!CreateProcessW(program, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD kilobytes = 0;
    GetExitCodeProcess(process.hProcess, &kilobytes);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return kilobytes ? kilobytes * 1024.0 / PIXEL_BYTES : -1;
}

// ---- The other core ----------------------------------------------------------------------
static volatile LONG Spinning;

static DWORD WINAPI Spin(void*) {
    while (Spinning) {
    }
    return 0;
}

static const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

static void RunLoad(const char* load, const WCHAR* const paths[2], const WCHAR* folder) {
    printf("\nOther core %s (medians of %d runs):\n", load, RUNS);
    printf("  %-10s %9s %9s %8s %9s %9s\n", "rows", "floor", "open", "ratio", "slowest", "Pillow");
    bool openMet = true, pillowMet = true;
    for (int layout = 0; layout < 2; layout++) {
        std::vector<double> floors, opens;
        HBITMAP previous = nullptr;
        for (int i = 0; i < RUNS; i++) {
            floors.push_back(Floor(paths[layout], &previous));
            double start = Now();
            bool opened = Open(paths[layout]);
            opens.push_back(opened ? Now() - start : 1e9);
        }
        if (previous) DeleteObject(previous);
        double floor = Median(floors), open = Median(opens);
        double pillow = PillowMilliseconds(folder, paths[layout]);
        printf("  %-10s %6.1f ms %6.1f ms %8.2f %6.1f ms", layout ? "top-down" : "bottom-up", floor,
               open, open / floor, *std::max_element(opens.begin(), opens.end()));
        if (pillow > 0)
            printf(" %6.1f ms\n", pillow);
        else
            printf("   (none)\n");
        openMet = openMet && floor > 0 && open <= OPEN_TARGET * floor;
        pillowMet = pillowMet && (pillow <= 0 || open < pillow);
    }
    printf("  Targets, other core %s: open <= %.1f x floor: %s; faster than Pillow: %s\n", load,
           OPEN_TARGET, Verdict(openMet), Verdict(pillowMet));
    fflush(stdout);
}

int wmain(int argc, wchar_t** argv) {
    AppInstance = GetModuleHandleW(nullptr);
    RegisterEditorClasses(AppInstance);
    InitPalette();
    Owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                            nullptr);
    if (argc == 3 && lstrcmpW(argv[1], L"--peak") == 0) return MeasurePeak(argv[2]);
    WCHAR folder[MAX_PATH], bottomUp[MAX_PATH], topDown[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    wsprintfW(bottomUp, L"%spixmora-bench-bottomup.bmp", folder);
    wsprintfW(topDown, L"%spixmora-bench-topdown.bmp", folder);
    const WCHAR* const paths[2] = {bottomUp, topDown};
    if (!WriteBigBitmap(bottomUp, false) || !WriteBigBitmap(topDown, true)) {
        printf("could not write the bitmaps in %ls\n", folder);
        return 1;
    }
    printf("Opening a 4096 x 4096 24-bit bitmap (%u bytes of pixels): the file read into the "
           "slot and taken by the canvas.\nFloor: CreateDIBSection and one ReadFile of the pixels "
           "into it.\n",
           (unsigned)PIXEL_BYTES);
    for (int layout = 0; layout < 2; layout++) {
        double peak = PeakRatio(paths[layout]);
        printf("  Peak memory of an open, %s, over the picture before: %.2f x the picture "
               "(target <= %.1f: %s)\n",
               layout ? "top-down" : "bottom-up", peak, PEAK_TARGET,
               Verdict(peak > 0 && peak <= PEAK_TARGET));
    }
    RunLoad("idle", paths, folder);
    Spinning = 1;
    HANDLE spinner = CreateThread(nullptr, 0, Spin, nullptr, 0, nullptr);
    RunLoad("busy (a thread spinning)", paths, folder);
    Spinning = 0;
    if (spinner) {
        WaitForSingleObject(spinner, INFINITE);
        CloseHandle(spinner);
    }
    DeleteFileW(bottomUp);
    DeleteFileW(topDown);
    DestroyWindow(Owner);
    return 0;
}
