// The main window's open, monitor and transparency commands. Each returns 0.
// An open that changes the image size lays the children out again (LayOutAgain), and a
// freshly opened document starts unmodified.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "resources/resource_ids.h"

// What the current slot held before an open asked for another file: a cancelled or failed
// open puts it back, so the document and the save prompt still name the file in use.
static ImageSlot KeptSlot;

// Every open from the menu asks for a file: a slot that still names the file opened last
// would otherwise be read again without a dialog (and an icon's name read as a bitmap).
static ImageSlot* ForgetSlotName() {
    ImageSlot* slot = &ImageSlots[CurrentSlot];
    KeptSlot = *slot;
    slot->Path[0] = 0;
    slot->Title[0] = 0;
    return slot;
}

// A file named without a dialog is put where the dialog puts the user's choice, so the
// reader opens it without asking.
static void NameChosenFile(ImageSlot* slot, const WCHAR* chosen) {
    if (!chosen) return;
    lstrcpynW(slot->Path, chosen, PATH_CHARS);
    lstrcpynW(slot->Title, FileNameOf(chosen), TITLE_CHARS);
}

// Puts the kept names back after an open that brought no image. The image pointers go back
// only when they point into the held icon, which a failed open leaves in place.
static void RestoreSlotName(ImageSlot* slot) {
    lstrcpynW(slot->Directory, KeptSlot.Directory, PATH_CHARS);
    lstrcpynW(slot->Path, KeptSlot.Path, PATH_CHARS);
    lstrcpynW(slot->Title, KeptSlot.Title, TITLE_CHARS);
    if (DocumentKind == DOCUMENT_ICON_FILE && !SlotBitmapMemory[CurrentSlot] &&
        !SlotBitmapSection[CurrentSlot]) {
        slot->Dib = KeptSlot.Dib;
        slot->Bits = KeptSlot.Bits;
        slot->Width = KeptSlot.Width;
        slot->Height = KeptSlot.Height;
        slot->AndMask = KeptSlot.AndMask;
    }
}

// The image size the slot's file has; the canvas, once created, takes it.
static void TakeSlotSize(const ImageSlot* slot) {
    CanvasWidth = slot->Width;
    CanvasHeight = slot->Height;
}

// Creates the canvas for a file about to be loaded into it; true when a canvas exists.
static bool CanvasForLoad(HWND window) {
    if (!ImageWindows[0]) {
        ImagePending = 1;
        SendMessageW(window, WM_COMMAND, CMD_ENSURE_CANVAS, 0);
    }
    return ImageWindows[0] != nullptr;
}

// chosen: the file to open, or none to ask for one in the dialog.
static LRESULT OpenBitmap(HWND window, const WCHAR* chosen) {
    if (!AskBeforeDiscarding(window)) return 0;
    ImageSlot* slot = ForgetSlotName();
    NameChosenFile(slot, chosen);
    // A file that could not be read (the reader has said why) changes nothing either.
    if (!OpenBitmapIntoSlot(window, CurrentSlot) || !slot->Dib) {
        RestoreSlotName(slot);
        return 0;
    }
    if (DocumentKind == DOCUMENT_ICON_FILE) ReleaseHeldIcon();
    TakeSlotSize(slot);
    if (CanvasForLoad(window)) SendMessageW(ImageWindows[0], WM_COMMAND, CMD_OPEN_BITMAP, 0);
    DocumentKind = DOCUMENT_BITMAP_FILE;
    SetDocumentFile(slot->Path, DOCUMENT_FORMAT_BITMAP);
    Modified = 0;
    LayOutAgain(window); // the canvas window takes the file's size at once
    return 0;
}

static LRESULT OpenIcon(HWND window, const WCHAR* chosen) {
    if (!AskBeforeDiscarding(window)) return 0;
    ImageSlot* slot = ForgetSlotName();
    if (DocumentKind == DOCUMENT_BITMAP_FILE) ReleaseSlot(CurrentSlot);
    NameChosenFile(slot, chosen); // after the release, which empties the names
    if (!OpenIconIntoSlot(window, CurrentSlot)) {
        RestoreSlotName(slot);
        return 0;
    }
    TakeSlotSize(slot);
    // Posted: the canvas loads the icon before the transparency switch posted below.
    if (CanvasForLoad(window)) PostMessageW(ImageWindows[0], WM_COMMAND, CMD_OPEN_ICON, 0);
    if (IconHasTransparency) PostMessageW(window, WM_COMMAND, CMD_TRANSPARENCY, 1);
    DocumentKind = DOCUMENT_ICON_FILE;
    SetDocumentFile(slot->Path, DOCUMENT_FORMAT_ICON);
    Modified = 0;
    LayOutAgain(window);
    return 0;
}

LRESULT OpenBitmapCommand(HWND window) {
    return OpenBitmap(window, nullptr);
}

LRESULT OpenIconCommand(HWND window) {
    return OpenIcon(window, nullptr);
}

LRESULT OpenNamedFile(HWND window, const WCHAR* path) {
    if (!path || !path[0]) return 0; // an empty name would bring up the dialog instead
    // A device is never read (a serial port would keep the program waiting for good), nor
    // worth a save prompt first.
    if (NamesADevice(path)) {
        ReportUnopenableName(window, path);
        return 0;
    }
    if (HasIconFileName(path)) return OpenIcon(window, path);
    return OpenBitmap(window, path);
}

// Creates an optional child of the main window with its top left where the layout puts it.
static HWND CreateMainChild(HWND window, const WCHAR* className, const RECT& place, int width,
                            int height, LPARAM parameter) {
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, place.left,
                           place.top, width, height, window, nullptr, AppInstance,
                           (LPVOID)parameter);
}

// The monitors start two pixels larger than the layout makes them; the next layout pass
// gives them their layout sizes.
LRESULT OpenMonitorCommand(HWND window) {
    MainLayout layout;
    ComputeLayout(ClientWidth, ClientHeight, &layout);
    WideLayoutMinWidth = layout.WideMinWidth;
    LayoutMode = layout.Mode;
    if (CanvasWidth == 32 && !ImageWindows[1])
        ImageWindows[1] = CreateMainChild(window, L"Monitor", layout.FullMonitor, 36, 36, 1);
    if (!ImageWindows[2])
        ImageWindows[2] = CreateMainChild(window, L"Monitor", layout.HalfMonitor, 20, 20, 2);
    return 0;
}

LRESULT CloseMonitorCommand(HWND) {
    // Each monitor clears its own entry as it closes.
    for (int i = 1; i <= 2; i++)
        if (ImageWindows[i]) SendMessageW(ImageWindows[i], WM_CLOSE, 0, 0);
    return 0;
}

LRESULT TransparencyCommand(HWND window, LPARAM) {
    if (!TransparencyMode) {
        if (!TransparentToolWindow) {
            MainLayout layout;
            ComputeLayout(ClientWidth, ClientHeight, &layout);
            const RECT& place = layout.TransparentTool;
            TransparentToolWindow =
                CreateMainChild(window, L"Transparent", place, place.right - place.left,
                                place.bottom - place.top, 0);
        }
        CheckMenuItem(MainMenu, CMD_TRANSPARENCY, MF_BYCOMMAND | MF_CHECKED);
        TransparencyMode = 1;
        // The mask is made once for an image and reused by later switches. Only an icon
        // document has an AND mask to start from: after New Create or a bitmap the slot may
        // still point into an icon that has been released.
        if (!MaskBitmap)
            CreateMask(window, DocumentKind == DOCUMENT_ICON_FILE && IconHasTransparency);
    } else {
        if (TransparentToolWindow) SendMessageW(TransparentToolWindow, WM_CLOSE, 0, 0);
        CheckMenuItem(MainMenu, CMD_TRANSPARENCY, MF_BYCOMMAND | MF_UNCHECKED);
        TransparencyMode = 0;
    }
    // The canvas and the monitors show the image through the mask only in the mode.
    for (HWND shown : ImageWindows)
        if (shown) InvalidateRect(shown, nullptr, TRUE);
    return 0;
}
