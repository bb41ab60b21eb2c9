// Shared pieces of the file tests.
#include "files_test_support.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "shell/editor_state.h"
#include "test_support.h"
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

void ClearCanvasImage() {
    if (ImageInfo) LocalFree(ImageInfo);
    if (MaskInfo) LocalFree(MaskInfo);
    free(ImageBits);
    free(MaskBits);
    ImageInfo = MaskInfo = nullptr;
    ImageBits = MaskBits = nullptr;
}

void SetCanvasImage(int width, int height, int bits, const std::vector<RGBQUAD>& table,
                    const PixelSource& pixel) {
    ClearCanvasImage();
    int entries = bits <= 8 ? 1 << bits : 0;
    ImageInfo = (BITMAPINFO*)LocalAlloc(LPTR, 40 + 4 * entries);
    BmpForm form;
    form.bits = bits;
    Bytes dib = MakeDib(form, width, height, table, pixel);
    memcpy(ImageInfo, dib.data(), 40 + 4 * entries);
    ImageBits = (BYTE*)malloc(dib.size() - 40 - 4 * entries);
    memcpy(ImageBits, dib.data() + 40 + 4 * entries, dib.size() - 40 - 4 * entries);
    CanvasWidth = width;
    CanvasHeight = height;
}

void SetCanvasMask(const std::function<bool(int, int)>& transparent) {
    int width = ImageInfo->bmiHeader.biWidth, height = ImageInfo->bmiHeader.biHeight;
    MaskInfo = (BITMAPINFO*)LocalAlloc(LPTR, 48);
    BmpForm form;
    form.bits = 1;
    Bytes dib = MakeDib(form, width, height, {{0, 0, 0, 0}, {255, 255, 255, 0}},
                        [&](int x, int y) { return transparent(x, y) ? 1u : 0u; });
    memcpy(MaskInfo, dib.data(), 48);
    MaskBits = (BYTE*)malloc(dib.size() - 48);
    memcpy(MaskBits, dib.data() + 48, dib.size() - 48);
}

void ResetFileState() {
    ReleaseHeldIcon();
    for (int i = 0; i < SLOT_COUNT; i++)
        ReleaseSlot(i);
    DocumentPath[0] = DocumentTitle[0] = DocumentDirectory[0] = 0;
    DocumentKind = 0;
}

void CanvasFromSlot(int slot) {
    const BYTE* dib = ImageSlots[slot].Dib;
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)dib;
    ClearCanvasImage();
    size_t headerBytes = 40 + (h->biBitCount <= 8 ? 4 << h->biBitCount : 0);
    size_t pixelBytes = ((size_t)h->biWidth * h->biBitCount + 31) / 32 * 4 * h->biHeight;
    ImageInfo = (BITMAPINFO*)LocalAlloc(LPTR, headerBytes);
    memcpy(ImageInfo, dib, headerBytes);
    ImageBits = (BYTE*)malloc(pixelBytes);
    memcpy(ImageBits, ImageSlots[slot].Bits, pixelBytes);
    CanvasWidth = h->biWidth;
    CanvasHeight = h->biHeight;
}
