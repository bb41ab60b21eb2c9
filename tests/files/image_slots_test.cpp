// Emptying an image slot.
#include "files/files.h"
#include <gtest/gtest.h>

TEST(ImageSlots, ReleaseOnAFullSlotFreesTheFileBlockAndForgetsTheNames) {
    ImageSlot& slot = ImageSlots[0];
    HLOCAL block = LocalAlloc(LPTR, 64);
    ASSERT_NE(nullptr, block);
    SlotBitmapMemory[0] = block;
    slot.Dib = (BYTE*)block;
    slot.Bits = (BYTE*)block + 40;
    slot.Width = 16;
    slot.Height = 8;
    lstrcpyW(slot.Path, L"C:\\pics\\a.bmp");
    lstrcpyW(slot.Title, L"a.bmp");
    lstrcpyW(slot.Directory, L"C:\\pics");

    ReleaseSlot(0);

    EXPECT_EQ(nullptr, SlotBitmapMemory[0]);
    EXPECT_EQ(nullptr, slot.Dib);
    EXPECT_EQ(0, slot.Path[0]);
    EXPECT_EQ(0, slot.Title[0]);
    EXPECT_EQ(0, slot.Directory[0]);
    // The geometry of the image last taken stays for the open commands' fallback.
    EXPECT_EQ(16, slot.Width);
    EXPECT_EQ(8, slot.Height);
}

TEST(ImageSlots, ReleaseOnAnEmptySlotChangesNothing) {
    ImageSlot& slot = ImageSlots[1];
    slot.Width = 5;
    ReleaseSlot(1);
    ReleaseSlot(1);
    EXPECT_EQ(nullptr, SlotBitmapMemory[1]);
    EXPECT_EQ(nullptr, slot.Dib);
    EXPECT_EQ(5, slot.Width);
    ReleaseSlot(-1); // out of range: ignored
    ReleaseSlot(SLOT_COUNT);
}

TEST(ImageSlots, OnlySlotZeroIsEverCurrent) {
    EXPECT_EQ(0, CurrentSlot);
}
