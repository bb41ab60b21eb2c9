// Crafted files against the editor's time and memory: a PNG whose data inflates to gigabytes,
// removing one image from an icon of 65,535 through the Icon Images dialog, and the peak memory
// of opening PNG images at and past the memory limit (each in a process of its own).
// Run: scripts/wine-run $PWD/build/wineprefix build/benchmarks/hostile_input_benchmark.exe
#include "base/editor_state.h"
#include "files/files.h"
#include "resources/resource_ids.h"
#include "shell/shell.h"
#include "file_builders.h"
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

static double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return count.QuadPart * 1000.0 / frequency.QuadPart;
}

// Zeros, rows and all, in a zlib stream. Exact: that many, in a sound stream. Else at least
// that many, made by repeating one flushed piece (a stream whose check value is never read).
static Bytes Zeros(unsigned long long bytes, bool exact) {
    const size_t piece = 16 << 20;
    Bytes input(piece, 0), out(compressBound(piece) + 64), z;
    z_stream s = {};
    deflateInit(&s, exact ? 1 : 9);
    for (unsigned long long made = 0; made < bytes || (exact && made == 0);) {
        size_t n = exact && bytes - made < piece ? (size_t)(bytes - made) : piece;
        made += n;
        bool last = exact && made >= bytes;
        s.next_in = input.data();
        s.avail_in = (uInt)n;
        do {
            s.next_out = out.data();
            s.avail_out = (uInt)out.size();
            deflate(&s, last ? Z_FINISH : Z_SYNC_FLUSH);
            z.insert(z.end(), out.begin(), out.begin() + (out.size() - s.avail_out));
        } while (s.avail_out == 0);
        if (!exact) {
            // The piece after the stream's header, repeated.
            Bytes flushed(z.begin() + 2, z.end());
            for (made += piece; made < bytes; made += piece)
                z.insert(z.end(), flushed.begin(), flushed.end());
            z.insert(z.end(), {0x03, 0x00, 0, 0, 0, 0}); // an empty last block
        }
    }
    deflateEnd(&s);
    return z;
}

static Bytes Icon(const std::vector<Bytes>& images, const std::vector<int>& sides) {
    Bytes file = {0, 0, 1, 0, (BYTE)images.size(), (BYTE)(images.size() >> 8)};
    DWORD offset = 6 + 16 * (DWORD)images.size();
    for (size_t i = 0; i < images.size(); i++) {
        BYTE entry[16] = {(BYTE)sides[i], (BYTE)sides[i], 0, 0, 1, 0, 32, 0};
        DWORD size = (DWORD)images[i].size();
        memcpy(entry + 8, &size, 4);
        memcpy(entry + 12, &offset, 4);
        file.insert(file.end(), entry, entry + 16);
        offset += size;
    }
    for (const Bytes& image : images)
        file.insert(file.end(), image.begin(), image.end());
    return file;
}

static bool WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return f && fclose(f) == 0 && ok;
}

// ---- Boxes: every one answered at once, OK or Yes ---------------------------------------
static HHOOK BoxHook;
static LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        WCHAR name[16] = {};
        GetClassNameW((HWND)wParam, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 && !GetDlgItem((HWND)wParam, IDC_IMAGE_LIST))
            PostMessageW((HWND)wParam, WM_COMMAND, GetDlgItem((HWND)wParam, IDYES) ? IDYES : IDOK,
                         0);
    }
    return CallNextHookEx(BoxHook, code, wParam, lParam);
}

// ---- Peak memory, in a process of its own ---------------------------------------------
// The codecs allocate on the Linux side, which Windows' counters do not see: the peak is the
// Linux process's (its largest resident set, as /usr/bin/time tells it), in a run of this
// program that only opens the icon.
static int OpenOnly(const WCHAR* path) {
    lstrcpyW(ImageSlots[0].Path, path);
    return OpenIconIntoSlot(nullptr, 0) ? 0 : 1;
}

static char* LinuxName(const WCHAR* path) {
    typedef char*(CDECL * ToUnix)(const WCHAR*);
    ToUnix toUnix =
        (ToUnix)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    return toUnix ? toUnix(path) : nullptr;
}

// The peak in megabytes, negative when the icon was refused; 0 when it could not be told.
static int PeakInChild(const std::wstring& path) {
    WCHAR program[MAX_PATH], result[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    wsprintfW(result, L"%s.peak", path.c_str());
    DeleteFileW(result);
    char *unixProgram = LinuxName(program), *unixIcon = LinuxName(path.c_str()),
         *unixResult = LinuxName(result);
    std::string line;
    if (unixProgram && unixIcon && unixResult)
        line = std::string("/bin/sh -c \"/usr/bin/time -f '%M %x' -o '") + unixResult +
               ".part' wine '" + unixProgram + "' --peak '" + unixIcon + "' >/dev/null 2>&1; mv '" +
               unixResult + ".part' '" + unixResult + "'\"";
    for (char* name : {unixProgram, unixIcon, unixResult})
        if (name) HeapFree(GetProcessHeap(), 0, name);
    std::wstring command(line.begin(), line.end());
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process;
    if (line.empty() || !CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 30000 && GetFileAttributesW(result) == INVALID_FILE_ATTRIBUTES; i++)
        Sleep(10);
    FILE* f = _wfopen(result, L"r");
    long long kilobytes = 0;
    int refused = 0;
    char text[128];
    // The figures come last, after a line on a failed exit.
    while (f && fgets(text, sizeof text, f))
        if (sscanf(text, "%lld %d", &kilobytes, &refused) != 2) kilobytes = 0;
    if (f) fclose(f);
    DeleteFileW(result);
    return (refused ? -1 : 1) * (int)(kilobytes >> 10);
}

// ---- Removing an image ------------------------------------------------------------------
// Opens the dialog on an icon of `count` 16 x 16 images and removes image 2: the times of
// opening the dialog (the list filled) and of the removal (confirmed, the list filled again).
static void TimeRemoval(const std::wstring& folder, int count, double* open, double* removal) {
    Bytes image(40 + 8 + 64 * 2, 0); // header, two colours, the pixels and the mask
    image[0] = 40, image[4] = 16, image[8] = 32, image[12] = 1, image[14] = 1;
    Bytes file = {0, 0, 1, 0, (BYTE)count, (BYTE)(count >> 8)};
    DWORD offset = 6 + 16 * (DWORD)count;
    for (int i = 0; i < count; i++) {
        BYTE entry[16] = {16, 16, 2, 0, 1, 0, 1, 0};
        DWORD size = (DWORD)image.size(), at = offset + size * i;
        memcpy(entry + 8, &size, 4);
        memcpy(entry + 12, &at, 4);
        file.insert(file.end(), entry, entry + 16);
    }
    for (int i = 0; i < count; i++)
        file.insert(file.end(), image.begin(), image.end());
    std::wstring path = folder + L"pixmora-bench-many.ico";
    WriteFileBytes(path, file);
    ReleaseHeldIcon();
    lstrcpyW(ImageSlots[0].Path, path.c_str());
    OpenIconIntoSlot(nullptr, 0);
    DocumentKind = DOCUMENT_ICON_FILE;
    double start = Now();
    HWND dialog = CreateDialogParamW(AppInstance, L"IconImages", nullptr, IconImagesDlgProc, 0);
    *open = Now() - start;
    SendDlgItemMessageW(dialog, IDC_IMAGE_LIST, LB_SETCURSEL, 1, 0);
    start = Now();
    SendMessageW(dialog, WM_COMMAND, IDC_IMAGE_REMOVE, 0);
    *removal = Now() - start;
    LRESULT rows = SendDlgItemMessageW(dialog, IDC_IMAGE_LIST, LB_GETCOUNT, 0, 0);
    if (rows != count - 1 || IconDirectory.idCount != count - 1)
        printf("  (the removal did not happen: %d rows)\n", (int)rows);
    DestroyWindow(dialog);
    DeleteFileW(path.c_str());
}

int wmain(int argc, wchar_t** argv) {
    AppInstance = GetModuleHandleW(nullptr);
    BoxHook = SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
    if (argc == 3 && lstrcmpW(argv[1], L"--peak") == 0) return OpenOnly(argv[2]);
    RegisterEditorClasses(AppInstance);
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp;
    if (!PngCodecPresent()) {
        printf("no PNG codec\n");
        return 1;
    }

    // The floor: a sound 16 x 16 PNG decoded. Then the same size with 16 MB of data that
    // inflates to 16 GB.
    Bytes rows(16 * (1 + 64), 0), sound = MakePng(16, 16, 8, 6, rows);
    Bytes bomb = MakePngOfData(16, 16, 8, 6, Zeros(16ull << 30, false));
    double floor = 1e9, refused = 1e9;
    for (int run = 0; run < 5; run++) {
        BYTE* image = nullptr;
        double start = Now();
        PngProblem problem = DecodeIconPng(sound.data(), sound.size(), &image);
        floor = std::min(floor, Now() - start);
        free(image);
        if (problem != PNG_OK) printf("  (the sound PNG did not decode)\n");
        start = Now();
        problem = DecodeIconPng(bomb.data(), bomb.size(), &image);
        refused = std::min(refused, Now() - start);
        if (problem != PNG_DAMAGED) printf("  (the bomb was not refused as damaged)\n");
    }
    printf("A 16 x 16 PNG, best of 5:\n");
    printf("  sound, decoded (the floor)                  %8.2f ms\n", floor);
    printf("  %4.1f MB of data inflating to 16 GB, refused %8.2f ms  (%.1f x floor)\n",
           bomb.size() / 1048576.0, refused, refused / floor);

    printf("Removing image 2 in the Icon Images dialog:\n");
    double open2k, remove2k, open64k, remove64k;
    TimeRemoval(folder, 2048, &open2k, &remove2k);
    TimeRemoval(folder, 65535, &open64k, &remove64k);
    printf("  2,048 images: dialog opened %8.1f ms, image removed %8.1f ms\n", open2k, remove2k);
    printf("  65,535 images: dialog opened %8.1f ms, image removed %8.1f ms (%.1f x 2,048's)\n",
           open64k, remove64k, remove64k / remove2k);

    // Peak memory of opening an icon of one PNG image, over what the process held before.
    printf("Opening an icon of one PNG image, the process's peak resident memory (limit %u MB):\n",
           MAX_IMAGE_BYTES >> 20);
    const struct {
        const char* what;
        DWORD side;
        int depth, type;
    } large[] = {
        {"8-bit RGBA 16 x 16 (the floor)", 16, 8, 6}, {"16-bit RGBA 11,400 x 11,400", 11400, 16, 6},
        {"1-bit grey 11,400 x 11,400", 11400, 1, 0},  {"16-bit RGBA 8,000 x 8,000", 8000, 16, 6},
        {"16-bit RGBA 5,000 x 5,000", 5000, 16, 6},   {"8-bit RGBA 7,000 x 7,000", 7000, 8, 6}};
    for (const auto& l : large) {
        PngHeader header = {l.side, l.side, l.depth, l.type};
        int channels = l.type == 6 ? 4 : 1;
        unsigned long long stored = l.side * (1 + (l.side * channels * l.depth + 7) / 8ull);
        bool fits = PngDecodingBytes(&header) <= MAX_IMAGE_BYTES;
        Bytes png = MakePngOfData(l.side, l.side, l.depth, l.type,
                                  fits ? Zeros(stored, true) : Bytes{0x78, 1});
        std::wstring path = folder + L"pixmora-bench-large.ico";
        WriteFileBytes(path, Icon({png}, {0}));
        int peak = PeakInChild(path);
        printf("  %-30s %6.1f MB file: %s, peak %5d MB (decoded image %4llu MB)\n", l.what,
               png.size() / 1048576.0, peak > 0 ? "opened" : "refused", peak < 0 ? -peak : peak,
               (unsigned long long)l.side * l.side * 4 >> 20);
        DeleteFileW(path.c_str());
    }
    UnhookWindowsHookEx(BoxHook);
    return 0;
}
