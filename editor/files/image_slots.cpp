// The image slots through which an image read from a file reaches the canvas.
#include "files/files.h"

ImageSlot ImageSlots[SLOT_COUNT];
int CurrentSlot;
HLOCAL SlotBitmapMemory[SLOT_COUNT];
HBITMAP SlotBitmapSection[SLOT_COUNT];

void FreeSlotBitmap(int slot) {
    if (slot < 0 || slot >= SLOT_COUNT) return;
    if (SlotBitmapMemory[slot]) LocalFree(SlotBitmapMemory[slot]);
    if (SlotBitmapSection[slot]) DeleteObject(SlotBitmapSection[slot]);
    SlotBitmapMemory[slot] = nullptr;
    SlotBitmapSection[slot] = nullptr;
}

void ReleaseSlot(int slot) {
    if (slot < 0 || slot >= SLOT_COUNT) return;
    ImageSlot* s = &ImageSlots[slot];
    FreeSlotBitmap(slot);
    // Bits, Width, Height and AndMask stay: they describe the last image taken, and the
    // open commands fall back on them when a later read fails.
    s->Dib = nullptr;
    s->Directory[0] = 0;
    s->Path[0] = 0;
    s->Title[0] = 0;
}

void ResetFilesState() {
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        ReleaseSlot(slot);
        ImageSlots[slot] = ImageSlot{};
    }
    CurrentSlot = 0;
    ReleaseHeldIcon();
    SelectedIconImage = 0;
    IconDirectory = IconDir{};
    FileDialogRecord = OPENFILENAMEW{};
    DocumentPath[0] = DocumentDirectory[0] = DocumentTitle[0] = 0;
}
