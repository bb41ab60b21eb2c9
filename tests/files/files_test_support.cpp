// Shared pieces of the file tests.
#include "files_test_support.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
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
