// Pixmora's side of the round trips with other programs (see interop.py): reads the files
// Pillow and ImageMagick wrote, checks them against the pictures expected, and writes them
// back; and writes bitmaps and icons of its own for them to read, 16 x 16, 32 x 32, 256 x 256
// (the largest icon) and of widths and heights at the edges of a row's bytes.
// The folder comes in PIXMORA_INTEROP_DIR.
#include "canvas/canvas.h"
#include "files/files.h"
#include "files_test_support.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <cstring>
#include <fstream>

namespace {

std::wstring InteropFolder() {
    WCHAR folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"PIXMORA_INTEROP_DIR", folder, MAX_PATH);
    return folder;
}

struct Picture {
    int width = 0, height = 0;
    Bytes rgba; // top-down; alpha 0 is transparent
};

void WriteExpect(const std::wstring& path, const Picture& p) {
    std::string head = std::to_string(p.width) + " " + std::to_string(p.height) + "\n";
    Bytes bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), p.rgba.begin(), p.rgba.end());
    ASSERT_TRUE(WriteWholeFile(path + L".expect", bytes));
}

Picture ReadExpect(const std::wstring& path) {
    Bytes bytes = ReadWholeFile(path + L".expect");
    Picture p;
    auto end = std::find(bytes.begin(), bytes.end(), '\n');
    std::string head(bytes.begin(), end);
    sscanf(head.c_str(), "%d %d", &p.width, &p.height);
    p.rgba.assign(end + 1, bytes.end());
    return p;
}

// The picture a slot holds: its colours, and its mask for an icon.
Picture SlotPicture(const ImageSlot& slot) {
    Picture p;
    p.width = slot.Width;
    p.height = slot.Height;
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) {
            COLORREF c = NormalisedPixel(slot.Dib, x, y);
            bool clear = slot.AndMask && MaskBit(slot.AndMask, p.width, p.height, x, y);
            p.rgba.insert(p.rgba.end(),
                          {GetRValue(c), GetGValue(c), GetBValue(c), (BYTE)(clear ? 0 : 255)});
        }
    return p;
}

void ExpectSamePicture(const Picture& want, const Picture& got) {
    ASSERT_EQ(want.width, got.width);
    ASSERT_EQ(want.height, got.height);
    for (size_t i = 0; i < want.rgba.size(); i += 4) {
        int x = (int)(i / 4) % want.width, y = (int)(i / 4) / want.width;
        ASSERT_EQ(want.rgba[i + 3] == 0, got.rgba[i + 3] == 0) << x << "," << y;
        if (want.rgba[i + 3]) {
            ASSERT_TRUE(std::equal(&want.rgba[i], &want.rgba[i + 3], &got.rgba[i]))
                << x << "," << y;
        }
    }
}

// The slot's mask as the canvas holds it after the Opaque/Transparency mode was used.
void CanvasMaskFromSlot(const ImageSlot& slot) {
    SetCanvasMask(
        [&](int x, int y) { return MaskBit(slot.AndMask, slot.Width, slot.Height, x, y); });
}

TEST(Interop, FilesOtherProgramsWroteLoadAndGoBack) {
    std::wstring folder = InteropFolder();
    ASSERT_FALSE(folder.empty());
    std::wstring back = folder + L"\\back";
    CreateDirectoryW(back.c_str(), nullptr);
    std::ifstream list(std::string(folder.begin(), folder.end()) + "\\others\\list.txt");
    std::string line;
    int files = 0;
    while (std::getline(list, line)) {
        if (line.empty()) continue;
        SCOPED_TRACE(line);
        files++;
        std::wstring name(line.begin(), line.end());
        std::wstring path = folder + L"\\others\\" + name;
        bool icon = name.size() > 4 && name.substr(name.size() - 4) == L".ico";
        ResetFileState();
        ASSERT_TRUE(icon ? OpenIconFile(path) : OpenBitmapFile(path));
        ASSERT_NE(nullptr, ImageSlots[0].Dib);
        Picture want = ReadExpect(path);
        Picture got = SlotPicture(ImageSlots[0]);
        ExpectSamePicture(want, got);
        // Back out through Pixmora's writers, as the canvas would save it.
        CanvasFromSlot(0);
        std::wstring out = back + L"\\" + name;
        if (icon) {
            DocumentKind = DOCUMENT_ICON_FILE;
            CanvasMaskFromSlot(ImageSlots[0]);
            ASSERT_TRUE(WriteIconFile(out.c_str(), CanvasIcon()));
        } else {
            ASSERT_TRUE(WriteDib(nullptr, out.c_str(), CanvasBitmap()));
        }
        WriteExpect(out, want);
        ClearCanvasImage();
    }
    EXPECT_GE(files, 80);
    ResetFileState();
}

TEST(Interop, PixmorasOwnFilesAreWrittenForOtherPrograms) {
    std::wstring folder = InteropFolder() + L"\\pixmora";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<RGBQUAD> table = StandardTable16();
    // The handheld's two sizes, the largest icon (256 is stored as 0 in its directory), then
    // widths whose rows end in a partly used byte or word, and a single row.
    const SIZE sizes[] = {{16, 16}, {32, 32}, {256, 256}, {1, 5}, {7, 5},
                          {9, 5},   {31, 5},  {33, 5},    {33, 1}};
    for (SIZE size : sizes) {
        int width = size.cx, height = size.cy;
        auto index = [](int x, int y) { return (DWORD)(x * 5 + y) % 16; };
        auto clear = [&](int x, int y) { return x + y < height / 2 || (x == width - 1 && x); };
        SetCanvasImage(width, height, 4, table, index);
        Picture bitmap, icon;
        bitmap.width = icon.width = width;
        bitmap.height = icon.height = height;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                RGBQUAD q = table[index(x, y)];
                bitmap.rgba.insert(bitmap.rgba.end(), {q.rgbRed, q.rgbGreen, q.rgbBlue, 255});
                icon.rgba.insert(icon.rgba.end(),
                                 {q.rgbRed, q.rgbGreen, q.rgbBlue, (BYTE)(clear(x, y) ? 0 : 255)});
            }
        std::wstring base =
            folder + L"\\pixmora" + std::to_wstring(width) + L"x" + std::to_wstring(height);
        ASSERT_TRUE(WriteDib(nullptr, (base + L".bmp").c_str(), CanvasBitmap()));
        WriteExpect(base + L".bmp", bitmap);
        ResetFileState();
        SetCanvasMask(clear);
        ASSERT_TRUE(WriteIconFile((base + L".ico").c_str(), CanvasIcon()));
        WriteExpect(base + L".ico", icon);
        ClearCanvasImage();
        ResetFileState();
    }
}

} // namespace
