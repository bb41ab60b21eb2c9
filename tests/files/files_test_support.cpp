// Shared pieces of the file tests.
#include "files_test_support.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <cstdlib>
#include <cstring>

void FileTest::SetUp() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    Folder = MakeTestFolder(std::wstring(name.begin(), name.end()).c_str());
    ResetFileState();
}

void FileTest::TearDown() {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring path = Folder + L"\\" + data.cFileName;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(Folder.c_str());
    ResetFileState();
    ClearCanvasImage();
}

std::wstring FileTest::Write(const wchar_t* name, const Bytes& bytes) {
    std::wstring path = PathOf(name);
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
}

Boxes TakeBoxes() {
    Boxes boxes;
    for (const SeenBox& box : SeenBoxes())
        boxes.push_back({box.caption, box.text});
    ClearSeenBoxes();
    return boxes;
}

void AnswerOk(int n) {
    for (int i = 0; i < n; i++)
        AnswerNextBox(IDOK);
}

bool OpenBitmapFile(const std::wstring& path, HWND canvas) {
    lstrcpynW(ImageSlots[0].Path, path.c_str(), PATH_CHARS);
    return OpenBitmapIntoSlot(canvas, 0);
}

bool OpenIconFile(const std::wstring& path, HWND canvas) {
    lstrcpynW(ImageSlots[0].Path, path.c_str(), PATH_CHARS);
    return OpenIconIntoSlot(canvas, 0);
}

// The image and the mask are DIB sections with headers from the local heap, as the image
// store keeps them, so the store's own DiscardImage lets them go.
void ClearCanvasImage() {
    DiscardImage();
}

Bytes CanvasAsDib() {
    int bits = ImageInfo->bmiHeader.biBitCount;
    Bytes dib((BYTE*)ImageInfo, (BYTE*)ImageInfo + 40 + (bits <= 8 ? 4 << bits : 0));
    dib.insert(dib.end(), ImageBits, ImageBits + RowBytes(CanvasWidth, bits) * CanvasHeight);
    return dib;
}

static HBITMAP MakeSection(const Bytes& dib, size_t headerBytes, BITMAPINFO** info, BYTE** bits) {
    *info = (BITMAPINFO*)LocalAlloc(LPTR, headerBytes);
    memcpy(*info, dib.data(), headerBytes);
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, *info, DIB_RGB_COLORS, &memory, nullptr, 0);
    EXPECT_NE(nullptr, bitmap);
    memcpy(memory, dib.data() + headerBytes, dib.size() - headerBytes);
    *bits = (BYTE*)memory;
    return bitmap;
}

static void SetCanvasDib(const Bytes& dib) {
    ClearCanvasImage();
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)dib.data();
    size_t headerBytes = 40 + (h->biBitCount <= 8 ? 4 << h->biBitCount : 0);
    size_t pixelBytes = RowBytes(h->biWidth, h->biBitCount) * h->biHeight;
    ImageBitmap = MakeSection(Bytes(dib.begin(), dib.begin() + headerBytes + pixelBytes),
                              headerBytes, &ImageInfo, &ImageBits);
    CanvasWidth = h->biWidth;
    CanvasHeight = h->biHeight;
}

void SetCanvasImage(int width, int height, int bits, const std::vector<RGBQUAD>& table,
                    const PixelSource& pixel) {
    BmpForm form;
    form.bits = bits;
    SetCanvasDib(MakeDib(form, width, height, table, pixel));
}

void SetCanvasMask(const std::function<bool(int, int)>& transparent) {
    int width = ImageInfo->bmiHeader.biWidth, height = ImageInfo->bmiHeader.biHeight;
    BmpForm form;
    form.bits = 1;
    Bytes dib = MakeDib(form, width, height, {{0, 0, 0, 0}, {255, 255, 255, 0}},
                        [&](int x, int y) { return transparent(x, y) ? 1u : 0u; });
    MaskBitmap = MakeSection(dib, 48, &MaskInfo, &MaskBits);
}

void CanvasFromSlot(int slot) {
    const BYTE* dib = ImageSlots[slot].Dib;
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)dib;
    size_t headerBytes = 40 + (h->biBitCount <= 8 ? 4 << h->biBitCount : 0);
    size_t pixelBytes = RowBytes(h->biWidth, h->biBitCount) * h->biHeight;
    SetCanvasDib(Bytes(dib, dib + headerBytes + pixelBytes));
}

void ResetFileState() {
    ResetFilesState();
    DocumentKind = 0;
}

static int RunAndWait(const wchar_t* program, std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -2;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, (UINT)-1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

// Wine starts a Linux program without a process to wait for, so the command tells its end
// and its exit code in a file of its own, which appears whole (renamed into place).
int RunLinuxCommand(const std::string& command) {
    EXPECT_EQ(std::string::npos, command.find('"')) << command;
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring done = std::wstring(temp) + L"pixmora-linux-" + std::to_wstring(GetTickCount());
    DeleteFileW(done.c_str());
    std::string marker = LinuxPath(done);
    std::string line = "(" + command + "); echo $? > '" + marker + ".part' && mv '" + marker +
                       ".part' '" + marker + "'";
    // Linux names are UTF-8: a folder named beyond ASCII must reach the shell as it is.
    std::wstring wide(line.size(), L'\0');
    wide.resize(
        MultiByteToWideChar(CP_UTF8, 0, line.data(), (int)line.size(), &wide[0], (int)wide.size()));
    if (RunAndWait(L"Z:\\bin\\sh", L"/bin/sh -c \"" + wide + L"\"") == -2) return -1;
    for (int i = 0; i < 3000 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; i++)
        Sleep(10);
    Bytes code = ReadWholeFile(done);
    DeleteFileW(done.c_str());
    return code.empty() ? -1 : atoi(std::string(code.begin(), code.end()).c_str());
}

int RunTestInChild(const wchar_t* test, const wchar_t* variable, const std::wstring& value) {
    WCHAR program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    SetEnvironmentVariableW(variable, value.c_str());
    int code = RunAndWait(program, L"\"" + std::wstring(program) + L"\" --gtest_filter=" + test);
    SetEnvironmentVariableW(variable, nullptr);
    return code;
}
