// The pixel image, its header builder and the undo store: headers byte for byte, new,
// loaded and resized images pixel for pixel, the undo history with its messages, the mask.
#include "canvas/canvas.h"
#include "files/files.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

const wchar_t NoMemory[] = L"could not allocate any memory.";

HWND TestOwner() {
    static HWND window;
    if (!window) window = MakeTestWindow(L"ImageStoreTestOwner", WS_POPUP, 50, 50);
    return window;
}

int Pixel(int x, int y) {
    return DibPixelIndex(ImageInfo, ImageBits, x, y);
}
int MaskPixel(int x, int y) {
    return DibPixelIndex(MaskInfo, MaskBits, x, y);
}

// Writes one palette index into a 1-, 4- or 8-bit DIB, top-down coordinates.
void SetDibIndex(const BITMAPINFO* info, BYTE* bits, int x, int y, int index) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int stride = ((h.biWidth * h.biBitCount + 31) / 32) * 4;
    BYTE* row = bits + (size_t)(h.biHeight - 1 - y) * stride;
    if (h.biBitCount == 1) {
        BYTE bit = (BYTE)(0x80 >> (x % 8));
        row[x / 8] = (BYTE)(index ? row[x / 8] | bit : row[x / 8] & ~bit);
    } else if (h.biBitCount == 4) {
        BYTE& b = row[x / 2];
        b = (BYTE)((x & 1) ? (b & 0xF0) | index : (b & 0x0F) | (index << 4));
    } else {
        row[x] = (BYTE)index;
    }
}

void SetPixelIndex(int x, int y, int index) {
    SetDibIndex(ImageInfo, ImageBits, x, y, index);
}

// A packed DIB as the file readers hand it over, in a block the slot owns.
HLOCAL MakeSlotDib(int bitCount, int width, int height, const std::vector<DWORD>& table) {
    int stride = ((width * bitCount + 31) / 32) * 4;
    size_t size = 40 + table.size() * 4 + (size_t)stride * height;
    HLOCAL block = LocalAlloc(LPTR, size);
    BITMAPINFOHEADER* h = (BITMAPINFOHEADER*)block;
    h->biSize = 40;
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = (WORD)bitCount;
    h->biClrUsed = (DWORD)table.size();
    for (size_t i = 0; i < table.size(); i++)
        ((DWORD*)((BYTE*)block + 40))[i] = table[i];
    ImageSlot& slot = ImageSlots[0];
    slot.Dib = (BYTE*)block;
    slot.Bits = (BYTE*)block + 40 + table.size() * 4;
    slot.Width = (short)width;
    slot.Height = (short)height;
    lstrcpyW(slot.Path, L"C:\\pics\\loaded.bmp");
    return block;
}

// The shape tools' preview: the snapshot back into the bitmap a memory context holds.
void RestoreInto(HBITMAP bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RestoreSnapshot(TestOwner(), dc);
    SelectObject(dc, old);
    DeleteDC(dc);
}

BITMAPINFO* SlotInfo() {
    return (BITMAPINFO*)ImageSlots[0].Dib;
}

// Loads the DIB in the slot as the bitmap-open command does.
HLOCAL LoadBitmapSlot(int bitCount, int width, int height, const std::vector<DWORD>& table,
                      void (*paint)(BITMAPINFO*, BYTE*) = nullptr) {
    HLOCAL block = MakeSlotDib(bitCount, width, height, table);
    if (paint) paint(SlotInfo(), ImageSlots[0].Bits);
    SlotBitmapMemory[0] = block;
    EXPECT_EQ(1, LoadSlotImage(TestOwner(), 19));
    return block;
}

class ImageStore : public testing::Test {
  protected:
    void SetUp() override {
        ResetEditorState();
        ResetCanvasState();
        ResetFilesState();
        ClearSeenBoxes();
    }
    void TearDown() override {
        EXPECT_EQ(0u, PendingAnswers());
        ClearPendingAnswers();
        ReleaseSlot(0);
        DiscardImage();
        TransparencyMode = 0;
    }
    void NewImage(int width, int height) {
        CanvasWidth = width;
        CanvasHeight = height;
        ASSERT_EQ(1, CreateImage(TestOwner()));
    }
    void ExpectBox(const wchar_t* text, const wchar_t* caption) {
        ASSERT_EQ(1u, SeenBoxes().size());
        EXPECT_EQ(text, SeenBoxes()[0].text);
        EXPECT_EQ(caption, SeenBoxes()[0].caption);
        ClearSeenBoxes();
    }
    void ExpectNoUndo() {
        AnswerNextBox(IDOK);
        UndoCommand();
        ExpectBox(L"There's No undo item!", L"Mosaro");
    }
    void ExpectNoRedo() {
        AnswerNextBox(IDOK);
        RedoCommand();
        ExpectBox(L"There's No redo item!", L"Mosaro");
    }
    // A press followed by a stroke that paints one pixel.
    void Stroke(int x, int y, int index) {
        ASSERT_EQ(1, TakeSnapshot(TestOwner()));
        SetPixelIndex(x, y, index);
    }
};

// ---- Headers ------------------------------------------------------------------------------

TEST_F(ImageStore, HeadersCarryGeometryAndTheirColourTables) {
    BITMAPINFO* h1 = nullptr;
    ASSERT_NE(nullptr, iDrawBitmapN(TestOwner(), 1, 1, 1, &h1));
    EXPECT_EQ(40u, h1->bmiHeader.biSize);
    EXPECT_EQ(1, h1->bmiHeader.biPlanes);
    EXPECT_EQ(4u, h1->bmiHeader.biSizeImage);
    EXPECT_EQ(2u, h1->bmiHeader.biClrUsed);
    EXPECT_EQ(48u, LocalSize(h1));
    EXPECT_EQ(0x000000u, ((DWORD*)h1->bmiColors)[0]);
    EXPECT_EQ(0xFFFFFFu, ((DWORD*)h1->bmiColors)[1]);

    BITMAPINFO* h4 = nullptr;
    ASSERT_NE(nullptr, iDrawBitmapN(TestOwner(), 4, 3, 2, &h4));
    EXPECT_EQ(8u, h4->bmiHeader.biSizeImage); // 3 pixels take a 4-byte row
    EXPECT_EQ(2, h4->bmiHeader.biHeight);
    EXPECT_EQ(16u, h4->bmiHeader.biClrUsed);
    EXPECT_EQ(104u, LocalSize(h4));
    RGBQUAD maroon = h4->bmiColors[1];
    EXPECT_EQ(128, maroon.rgbRed);
    EXPECT_EQ(0, maroon.rgbBlue);
    EXPECT_EQ(0xC0C0C0u, ((DWORD*)h4->bmiColors)[8]);
    EXPECT_EQ(0xFFFFFFu, ((DWORD*)h4->bmiColors)[15]);

    BITMAPINFO* h8 = nullptr;
    ASSERT_NE(nullptr, iDrawBitmapN(TestOwner(), 8, 5, 3, &h8));
    EXPECT_EQ(24u, h8->bmiHeader.biSizeImage);
    EXPECT_EQ(256u, h8->bmiHeader.biClrUsed);
    EXPECT_EQ(40u + 1024u, LocalSize(h8));
    RGBQUAD q = h8->bmiColors[74]; // red level 2, green level 1, blue level 1
    EXPECT_EQ(72, q.rgbRed);
    EXPECT_EQ(36, q.rgbGreen);
    EXPECT_EQ(85, q.rgbBlue);
    EXPECT_EQ(0xFFFFFFu, ((DWORD*)h8->bmiColors)[255]);

    BITMAPINFO* h24 = nullptr;
    ASSERT_NE(nullptr, iDrawBitmapN(TestOwner(), 24, 3, 2, &h24));
    EXPECT_EQ(24u, h24->bmiHeader.biSizeImage);
    EXPECT_EQ(0u, h24->bmiHeader.biClrUsed);
    EXPECT_EQ(40u, LocalSize(h24));

    // A holder that already holds a block gets it back unchanged.
    BITMAPINFO* again = h4;
    EXPECT_EQ(h4, iDrawBitmapN(TestOwner(), 8, 99, 99, &again));
    EXPECT_EQ(3, h4->bmiHeader.biWidth);
    for (BITMAPINFO* h : {h1, h4, h8, h24})
        LocalFree(h);
    EXPECT_TRUE(SeenBoxes().empty());
}

TEST_F(ImageStore, AHeaderOfAnAbsurdSizeIsRefusedWithTheMessage) {
    BITMAPINFO* holder = nullptr;
    AnswerNextBox(IDOK);
    EXPECT_EQ(nullptr, iDrawBitmapN(TestOwner(), 24, 100000, 100000, &holder));
    EXPECT_EQ(nullptr, holder);
    ExpectBox(NoMemory, L"iDrawBitmapN");
    AnswerNextBox(IDOK);
    EXPECT_EQ(nullptr, iDrawBitmapN(TestOwner(), 4, 0, 16, &holder));
    ExpectBox(NoMemory, L"iDrawBitmapN");
}

// ---- New images ------------------------------------------------------------------------

TEST_F(ImageStore, ANewImageIsWhiteAtTheChosenSize) {
    SizeChosen = 1;
    NewImage(32, 32);
    EXPECT_EQ(0, SizeChosen);
    EXPECT_EQ(4, ImageInfo->bmiHeader.biBitCount);
    EXPECT_EQ(512u, ImageInfo->bmiHeader.biSizeImage);
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            ASSERT_EQ(15, Pixel(x, y)) << x << "," << y;

    DiscardImage();
    EXPECT_EQ(nullptr, ImageBitmap);
    EXPECT_EQ(nullptr, ImageInfo);
    NewImage(16, 16);
    EXPECT_EQ(128u, ImageInfo->bmiHeader.biSizeImage);
    EXPECT_EQ(15, Pixel(15, 15));
}

TEST_F(ImageStore, APendingLoadMakesNoBlankImage) {
    ImagePending = 1;
    EXPECT_EQ(1, CreateImage(TestOwner()));
    EXPECT_EQ(nullptr, ImageBitmap);
}

TEST_F(ImageStore, AnImageTooLargeToMakeLeavesTheCurrentOne) {
    NewImage(16, 16);
    ASSERT_EQ(1, CreateMask(TestOwner(), 0));
    SetPixelIndex(3, 4, 2);
    HBITMAP before = ImageBitmap, mask = MaskBitmap;
    for (auto operation : {CreateImage, ResizeImage}) {
        CanvasWidth = CanvasHeight = 200000;
        AnswerNextBox(IDOK);
        EXPECT_EQ(0, operation(TestOwner()));
        ExpectBox(NoMemory, L"iDrawBitmapN");
        EXPECT_EQ(before, ImageBitmap);
        EXPECT_EQ(mask, MaskBitmap);
        EXPECT_EQ(16, CanvasWidth);
        EXPECT_EQ(16, CanvasHeight);
        EXPECT_EQ(2, Pixel(3, 4));
    }
}

TEST_F(ImageStore, EveryOperationCopesWithNoImage) {
    EXPECT_EQ(0, TakeSnapshot(TestOwner()));
    EXPECT_EQ(0, ResizeImage(TestOwner()));
    EXPECT_EQ(0, CreateMask(TestOwner(), 0));
    SwapSnapshot();
    HDC dc = CreateCompatibleDC(nullptr);
    RestoreSnapshot(TestOwner(), dc);
    DeleteDC(dc);
    ExpectNoUndo();
    ExpectNoRedo();
    EXPECT_EQ(0, LoadSlotImage(TestOwner(), 19)); // empty slot: nothing, no message
    EXPECT_TRUE(SeenBoxes().empty());
}

// ---- Undo and redo -----------------------------------------------------------------------

TEST_F(ImageStore, UndoAndRedoFollowTheStateTable) {
    NewImage(32, 32);
    ExpectNoUndo();
    ExpectNoRedo();

    Stroke(5, 6, 1);
    ExpectNoRedo(); // after a snapshot: nothing to redo
    UndoCommand();  // undone: before the stroke
    EXPECT_EQ(15, Pixel(5, 6));
    EXPECT_EQ(1, UndoAvailable);
    EXPECT_EQ(1, RedoAvailable);
    RedoCommand(); // back to after the stroke, history ends
    EXPECT_EQ(1, Pixel(5, 6));
    ExpectNoRedo();
    ExpectNoUndo();
    EXPECT_EQ(1, Pixel(5, 6));

    // Press, Undo, Undo: the second exchange shows the stroke again.
    Stroke(7, 7, 2);
    UndoCommand();
    EXPECT_EQ(15, Pixel(7, 7));
    UndoCommand();
    EXPECT_EQ(2, Pixel(7, 7));
    EXPECT_EQ(1, Pixel(5, 6));

    // A press from the undone state starts a new step.
    UndoCommand();
    Stroke(8, 8, 3);
    UndoCommand();
    EXPECT_EQ(15, Pixel(8, 8));
    EXPECT_EQ(15, Pixel(7, 7));
    EXPECT_TRUE(SeenBoxes().empty());
}

TEST_F(ImageStore, TheRubberBandRestoresThePressState) {
    NewImage(16, 16);
    Stroke(1, 1, 4);
    RestoreInto(ImageBitmap);
    EXPECT_EQ(15, Pixel(1, 1));
}

TEST_F(ImageStore, HistoryIsDroppedWhenTheImageIsCreatedLoadedOrResized) {
    NewImage(32, 32);
    Stroke(0, 0, 1);
    NewImage(16, 16);
    ExpectNoUndo();

    Stroke(0, 0, 1);
    CanvasWidth = CanvasHeight = 32;
    ASSERT_EQ(1, ResizeImage(TestOwner()));
    ExpectNoUndo();

    Stroke(0, 0, 1);
    LoadBitmapSlot(24, 3, 3, {});
    ExpectNoUndo();
    // The store is remade for the loaded image at the next press.
    Stroke(1, 1, 0);
    UndoCommand();
    EXPECT_EQ(24, ImageInfo->bmiHeader.biBitCount);
    EXPECT_TRUE(SeenBoxes().empty());
}

// ---- Resize ----------------------------------------------------------------------------

TEST_F(ImageStore, ResizeKeepsTheTopLeftAndAddsWhite) {
    NewImage(32, 32);
    SetPixelIndex(0, 0, 1);
    SetPixelIndex(15, 15, 2);
    SetPixelIndex(16, 16, 3);
    CanvasWidth = CanvasHeight = 16;
    ASSERT_EQ(1, ResizeImage(TestOwner()));
    EXPECT_EQ(16, ImageInfo->bmiHeader.biWidth);
    EXPECT_EQ(128u, ImageInfo->bmiHeader.biSizeImage);
    EXPECT_EQ(1, Pixel(0, 0));
    EXPECT_EQ(2, Pixel(15, 15));

    CanvasWidth = CanvasHeight = 32;
    ASSERT_EQ(1, ResizeImage(TestOwner()));
    EXPECT_EQ(1, Pixel(0, 0));
    EXPECT_EQ(2, Pixel(15, 15));
    EXPECT_EQ(15, Pixel(16, 16)); // the lost part comes back white
    EXPECT_EQ(15, Pixel(31, 0));
    EXPECT_EQ(15, Pixel(0, 31));
}

// ---- Loading ---------------------------------------------------------------------------

TEST_F(ImageStore, LoadingAFourBitImageTakesItsColoursAsThePalette) {
    std::vector<DWORD> table(16);
    for (int i = 0; i < 16; i++)
        table[i] = 0x010203u * (DWORD)i;
    HLOCAL block = MakeSlotDib(4, 5, 3, table);
    SetDibIndex(SlotInfo(), ImageSlots[0].Bits, 4, 2, 9);
    SlotBitmapMemory[0] = block;
    SizeChosen = 1;
    CanvasWidth = CanvasHeight = 99;
    ASSERT_EQ(1, LoadSlotImage(TestOwner(), 19));
    EXPECT_EQ(5, CanvasWidth);
    EXPECT_EQ(3, CanvasHeight);
    EXPECT_EQ(0, SizeChosen);
    EXPECT_EQ(9, Pixel(4, 2));
    EXPECT_EQ(0, Pixel(0, 0));
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(table[i], PaletteColors[i]);
    // The bitmap file's block is freed and the slot forgets it; the name stays.
    EXPECT_EQ(nullptr, SlotBitmapMemory[0]);
    EXPECT_EQ(nullptr, ImageSlots[0].Dib);
    EXPECT_STREQ(L"C:\\pics\\loaded.bmp", DocumentPath);
}

TEST_F(ImageStore, LoadingOtherBitCountsLeavesThePalette) {
    LoadBitmapSlot(24, 2, 2, {}, [](BITMAPINFO*, BYTE* bits) {
        bits[8] = 0x10, bits[9] = 0x20, bits[10] = 0x30; // top-left: the second stored row
    });
    EXPECT_EQ(RGB(0x30, 0x20, 0x10), DibPixelColor(ImageInfo, ImageBits, 0, 0));
    EXPECT_EQ(0x800000u, PaletteColors[1]);
    LoadBitmapSlot(1, 9, 2, {0x000000, 0x00FF00});
    EXPECT_EQ(0x800000u, PaletteColors[1]);
    EXPECT_EQ(0x00FF00u, ((DWORD*)ImageInfo->bmiColors)[1]);
}

TEST_F(ImageStore, AnIconStaysInItsSlotAfterLoading) {
    HLOCAL block = MakeSlotDib(4, 16, 16, std::vector<DWORD>(16));
    ASSERT_EQ(1, LoadSlotImage(TestOwner(), 21));
    EXPECT_EQ((BYTE*)block, ImageSlots[0].Dib);
    ImageSlots[0].Dib = nullptr;
    LocalFree(block);
}

TEST_F(ImageStore, AnEightBitImageGetsItsWholeTableAndResizesToThePalette) {
    std::vector<DWORD> table(256);
    for (int i = 0; i < 256; i++)
        table[i] = (DWORD)(i << 16 | i << 8 | i); // a grey ramp
    table[200] = 0x00FE0101;                      // near red
    LoadBitmapSlot(8, 3, 2, table, [](BITMAPINFO* info, BYTE* bits) {
        SetDibIndex(info, bits, 0, 0, 200);
        SetDibIndex(info, bits, 1, 0, 255);
        SetDibIndex(info, bits, 2, 0, 130); // grey 130: nearest is 0x808080
    });
    EXPECT_EQ(40u + 1024u, LocalSize(ImageInfo));
    EXPECT_EQ(0x00FE0101u, ((DWORD*)ImageInfo->bmiColors)[200]);
    EXPECT_EQ(200, Pixel(0, 0));

    PaletteColors[3] = 0x00FF0000;  // word for word into the new table: red
    PaletteColors[10] = 0x00123456; // a colour only this entry has
    CanvasWidth = 4;
    CanvasHeight = 2;
    ASSERT_EQ(1, ResizeImage(TestOwner()));
    EXPECT_EQ(4, ImageInfo->bmiHeader.biBitCount);
    EXPECT_EQ(104u, LocalSize(ImageInfo));
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(PaletteColors[i], ((DWORD*)ImageInfo->bmiColors)[i]);
    EXPECT_EQ(3, Pixel(0, 0));
    EXPECT_EQ(15, Pixel(1, 0));
    EXPECT_EQ(7, Pixel(2, 0));
    EXPECT_EQ(0, Pixel(0, 1));  // grey 0 in the file
    EXPECT_EQ(15, Pixel(3, 0)); // new column
    // Drawing calls match colours against the same table.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ImageBitmap);
    SetPixelV(dc, 3, 1, RGB(0x12, 0x34, 0x56));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(10, Pixel(3, 1));
}

TEST_F(ImageStore, AnUnusableSlotImageIsRefusedAndTheImageKept) {
    NewImage(16, 16);
    HBITMAP before = ImageBitmap;
    HLOCAL block = MakeSlotDib(4, 8, 8, std::vector<DWORD>(16));
    SlotInfo()->bmiHeader.biBitCount = 3;
    SlotBitmapMemory[0] = block;
    CanvasWidth = CanvasHeight = 8;
    AnswerNextBox(IDOK);
    EXPECT_EQ(0, LoadSlotImage(TestOwner(), 19));
    ASSERT_EQ(1u, SeenBoxes().size());
    EXPECT_EQ(L"LoadSlotImage", SeenBoxes()[0].caption);
    ClearSeenBoxes();
    EXPECT_EQ(before, ImageBitmap);
    EXPECT_EQ(16, CanvasWidth);

    SlotInfo()->bmiHeader.biBitCount = 4;
    ImageSlots[0].Height = -8; // disagrees with the header
    AnswerNextBox(IDOK);
    EXPECT_EQ(0, LoadSlotImage(TestOwner(), 19));
    ClearSeenBoxes();
    EXPECT_EQ(before, ImageBitmap);
}

// ---- The mask ----------------------------------------------------------------------------

TEST_F(ImageStore, TheMaskComesFromTheIconOrMakesAllOpaque) {
    NewImage(32, 32);
    ASSERT_EQ(1, CreateMask(TestOwner(), 0));
    EXPECT_EQ(1, TransparencyMode);
    EXPECT_EQ(1, MaskInfo->bmiHeader.biBitCount);
    EXPECT_EQ(0xFFFFFFu, ((DWORD*)MaskInfo->bmiColors)[1]);
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            ASSERT_EQ(0, MaskPixel(x, y));
    EXPECT_EQ(4, CompositeInfo->bmiHeader.biBitCount);
    EXPECT_EQ(32, CompositeInfo->bmiHeader.biWidth);

    // An icon's AND mask: rows of 4 bytes, bottom-up; the top row's first pixel is set.
    HLOCAL block = MakeSlotDib(4, 32, 32, std::vector<DWORD>(16));
    std::vector<BYTE> andMask(32 * 4);
    andMask[31 * 4] = 0x80;
    andMask[0 * 4 + 3] = 0x01; // bottom row, last pixel
    ImageSlots[0].AndMask = andMask.data();
    ASSERT_EQ(1, LoadSlotImage(TestOwner(), 21));
    EXPECT_EQ(nullptr, MaskBitmap); // the new image needs its own mask
    ASSERT_EQ(1, CreateMask(TestOwner(), 1));
    EXPECT_EQ(1, MaskPixel(0, 0));
    EXPECT_EQ(1, MaskPixel(31, 31));
    EXPECT_EQ(0, MaskPixel(1, 0));
    EXPECT_EQ(0, MaskPixel(31, 30));
    ImageSlots[0].AndMask = nullptr;
    ImageSlots[0].Dib = nullptr;
    LocalFree(block);
}

TEST_F(ImageStore, TheMaskFollowsResizeAndIsDroppedWithTheImage) {
    NewImage(16, 16);
    ASSERT_EQ(1, CreateMask(TestOwner(), 0));
    SetDibIndex(MaskInfo, MaskBits, 2, 3, 1);
    SetDibIndex(MaskInfo, MaskBits, 15, 15, 1);
    CanvasWidth = CanvasHeight = 32;
    ASSERT_EQ(1, ResizeImage(TestOwner()));
    EXPECT_EQ(32, MaskInfo->bmiHeader.biWidth);
    EXPECT_EQ(32, CompositeInfo->bmiHeader.biHeight);
    EXPECT_EQ(1, MaskPixel(2, 3));
    EXPECT_EQ(1, MaskPixel(15, 15));
    EXPECT_EQ(0, MaskPixel(16, 16));
    EXPECT_EQ(0, MaskPixel(31, 31));

    NewImage(16, 16);
    EXPECT_EQ(nullptr, MaskBitmap);
    EXPECT_EQ(nullptr, CompositeBitmap);
}

TEST_F(ImageStore, AStrokeOnTheMaskIsUndoneOnTheMask) {
    NewImage(16, 16);
    ASSERT_EQ(1, CreateMask(TestOwner(), 0));
    ASSERT_EQ(1, TakeSnapshot(TestOwner()));
    EXPECT_EQ(1, UndoHoldsMask);
    SetDibIndex(MaskInfo, MaskBits, 4, 4, 1);

    // The rubber band on the mask restores the mask as it was at the press.
    RestoreInto(MaskBitmap);
    EXPECT_EQ(0, MaskPixel(4, 4));

    SetDibIndex(MaskInfo, MaskBits, 4, 4, 1);
    SetPixelIndex(4, 4, 2); // the image is not part of this step
    UndoCommand();
    EXPECT_EQ(0, MaskPixel(4, 4));
    EXPECT_EQ(2, Pixel(4, 4));
    EXPECT_EQ(1, MaskInfo->bmiHeader.biBitCount);
    EXPECT_EQ(4, ImageInfo->bmiHeader.biBitCount);
    RedoCommand();
    EXPECT_EQ(1, MaskPixel(4, 4));

    // Placing a block edits the image even in the mode: its step is of the image.
    ASSERT_EQ(1, TakeImageSnapshot(TestOwner()));
    EXPECT_EQ(0, UndoHoldsMask);
    SetPixelIndex(6, 6, 5);
    UndoCommand();
    EXPECT_EQ(15, Pixel(6, 6));
    EXPECT_EQ(1, MaskPixel(4, 4));

    // Leaving the mode: the image step after an image press, never the mask.
    TransparencyMode = 0;
    Stroke(5, 5, 3);
    EXPECT_EQ(0, UndoHoldsMask);
    UndoCommand();
    EXPECT_EQ(15, Pixel(5, 5));
    EXPECT_EQ(1, MaskPixel(4, 4));
    EXPECT_TRUE(SeenBoxes().empty());
}

} // namespace
