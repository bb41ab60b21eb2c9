// The Icon Images command and its dialog: the document's images listed, the canvas switched
// to another of them, images of 16 colours added and removed. A picture that is no icon yet
// becomes one, in memory, the first time an image is added to it.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "base/report.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "resources/resource_ids.h"
#include <cstdlib>

static const WCHAR DialogCaption[] = L"Icon Images";
static const WCHAR ProcedureName[] = L"IconImagesDlgProc";

// An icon document whose images the held icon has; any other picture is one image, itself.
static bool DocumentIsIcon() {
    return DocumentKind == DOCUMENT_ICON_FILE && IconEntries && IconDirectory.idCount > 0;
}

static int ImageCount() {
    return DocumentIsIcon() ? IconDirectory.idCount : 1;
}

static bool OnCanvas(int index) {
    return !DocumentIsIcon() || index == SelectedIconImage;
}

// What the list tells of image i. The image on the canvas is told as the canvas has it:
// Canvas Size may have changed it since it was read.
static IconImageFacts FactsOf(int index) {
    IconImageFacts facts = {};
    if (DocumentIsIcon()) IconImageFactsOf(index, &facts);
    if (OnCanvas(index) && ImageInfo) {
        facts.Width = ImageInfo->bmiHeader.biWidth;
        facts.Height = ImageInfo->bmiHeader.biHeight;
        facts.Bits = ImageInfo->bmiHeader.biBitCount;
        facts.Colours = facts.Bits <= 8 ? 1 << facts.Bits : 0;
    }
    return facts;
}

// One row of the list, such as "2: 32 x 32, 16 colours, BMP (on canvas)".
static void DescribeImage(int index, WCHAR* text) {
    IconImageFacts facts = FactsOf(index);
    WCHAR colours[32];
    wsprintfW(colours, facts.Colours ? L"%d colours" : L"%d bits",
              facts.Colours ? facts.Colours : facts.Bits);
    wsprintfW(text, L"%d: %d x %d, %s, %s%s", index + 1, facts.Width, facts.Height, colours,
              facts.Png ? L"PNG" : L"BMP", OnCanvas(index) ? L" (on canvas)" : L"");
}

static void FillImageList(HWND dialog, int row) {
    HWND list = GetDlgItem(dialog, IDC_IMAGE_LIST);
    // An icon may hold 65,535 images: the list takes room for all of its rows at once (row by
    // row it would grow its store again and again) and is drawn once, when full.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, ImageCount(), ImageCount() * 48 * sizeof(WCHAR));
    for (int i = 0; i < ImageCount(); i++) {
        WCHAR text[128];
        DescribeImage(i, text);
        SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)text);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    if (row >= ImageCount()) row = ImageCount() - 1;
    SendMessageW(list, LB_SETCURSEL, row < 0 ? 0 : row, 0);
    // The last image is never removed, and a picture of one image has no other to edit.
    bool several = DocumentIsIcon() && ImageCount() > 1;
    EnableWindow(GetDlgItem(dialog, IDC_IMAGE_EDIT), several);
    EnableWindow(GetDlgItem(dialog, IDC_IMAGE_REMOVE), several);
}

static int ListRow(HWND dialog) {
    LRESULT row = SendDlgItemMessageW(dialog, IDC_IMAGE_LIST, LB_GETCURSEL, 0, 0);
    return row == LB_ERR ? -1 : (int)row;
}

// The chosen image shows its transparent pixels as an opened icon does: the mode comes on
// when it has any, and a mode already on shows the new image's own mask at once.
static void ShowImageMask(HWND window) {
    if (TransparencyMode) {
        CreateMask(ImageWindows[0], IconHasTransparency);
        RefreshViews(ImageWindows[0], TRUE);
    } else if (IconHasTransparency) {
        TransparencyCommand(window, 1);
    }
}

bool SwitchCanvasImage(HWND window, int index) {
    HWND canvas = ImageWindows[0];
    if (!DocumentIsIcon() || !canvas || index < 0 || index >= ImageCount()) return false;
    if (index == SelectedIconImage) return true;
    // The image goes back into the icon as the user sees it, a block still floating included.
    PlaceFloatingBlock(canvas);
    ImageToWrite image;
    CanvasImageToWrite(true, &image);
    int previous = SelectedIconImage;
    if (!KeepEditedImage(CurrentSlot, &image)) {
        ReportNoMemory(window, ProcedureName);
        return false;
    }
    if (!SwitchIconImage(CurrentSlot, index, DocumentPath)) return false;
    if (!TakeIconImage(canvas)) { // the canvas still shows the image kept a moment ago
        SwitchIconImage(CurrentSlot, previous, DocumentPath);
        return false;
    }
    ShowImageMask(window);
    if (PaletteWindow) InvalidateRect(PaletteWindow, nullptr, TRUE); // a 4-bit image's colours
    LayOutAgain(window);
    return true;
}

bool AddIconImageOf(HWND window, int side, bool fromCanvas) {
    if (!ImageWindows[0] || !ImageBitmap) return false;
    if (!DocumentIsIcon()) {
        ImageToWrite picture;
        CanvasImageToWrite(true, &picture);
        if (!HoldImageAsIcon(CurrentSlot, &picture)) {
            ReportNoMemory(window, ProcedureName);
            return false;
        }
        // From here on the picture is an icon document: the save prompt saves it as one, and
        // New Create or an open lets its images go.
        DocumentKind = DOCUMENT_ICON_FILE;
        IconHasTransparency = IconMaskHasTransparency(CurrentSlot) != 0;
    }
    // A bitmap file (also one an icon was saved to as a bitmap) cannot hold the images, so
    // the next Ctrl+S asks where the icon goes.
    if (DocumentFileFormat != DOCUMENT_FORMAT_ICON) SetDocumentFile(nullptr, 0);
    // The image is made from the canvas as the user sees it, a block still floating included,
    // as a switch to another image would place it.
    if (fromCanvas) PlaceFloatingBlock(ImageWindows[0]);
    ImageToWrite made;
    BYTE* block = MakeIconImage(side, fromCanvas, &made);
    bool added = block && AddIconImage(&made);
    free(block);
    if (!added) {
        ReportNoMemory(window, ProcedureName);
        return false;
    }
    Modified = 1;
    return true;
}

bool RemoveIconImageAt(HWND window, int index) {
    if (!DocumentIsIcon() || ImageCount() <= 1 || index < 0 || index >= ImageCount()) return false;
    // The image on the canvas makes way for its neighbour first.
    if (index == SelectedIconImage &&
        !SwitchCanvasImage(window, index + 1 < ImageCount() ? index + 1 : index - 1))
        return false;
    if (!RemoveIconImage(index)) return false;
    Modified = 1;
    return true;
}

// A removal cannot be undone: a stray tap must not take an image away.
static bool ConfirmRemoval(HWND dialog, int row) {
    IconImageFacts facts = FactsOf(row);
    WCHAR text[96];
    wsprintfW(text, L"Remove image %d (%d x %d) from the icon?", row + 1, facts.Width,
              facts.Height);
    return MessageBoxW(dialog, text, DialogCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

static void OnEdit(HWND dialog, int row) {
    // The user chose an image to work on: the dialog gives way to it.
    if (row >= 0 && SwitchCanvasImage(MainWindow, row))
        EndDialog(dialog, 1);
    else
        FillImageList(dialog, row);
}

static void OnRemove(HWND dialog, int row) {
    if (row >= 0 && ImageCount() > 1 && ConfirmRemoval(dialog, row))
        RemoveIconImageAt(MainWindow, row);
    FillImageList(dialog, row);
}

static void OnAdd(HWND dialog, int side) {
    bool fromCanvas = IsDlgButtonChecked(dialog, IDC_ADD_FROM_CANVAS) == BST_CHECKED;
    bool added = AddIconImageOf(MainWindow, side, fromCanvas);
    FillImageList(dialog, added ? ImageCount() - 1 : ListRow(dialog));
}

INT_PTR CALLBACK IconImagesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        FillImageList(dialog, DocumentIsIcon() ? SelectedIconImage : 0);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_IMAGE_LIST:
        if (HIWORD(wParam) != LBN_DBLCLK) return FALSE;
        OnEdit(dialog, ListRow(dialog)); // a double tap on a row edits that image
        return TRUE;
    case IDC_IMAGE_EDIT: OnEdit(dialog, ListRow(dialog)); return TRUE;
    case IDC_IMAGE_REMOVE: OnRemove(dialog, ListRow(dialog)); return TRUE;
    case IDC_ADD_16:
    case IDC_ADD_32: OnAdd(dialog, LOWORD(wParam) == IDC_ADD_16 ? 16 : 32); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

LRESULT IconImagesCommand(HWND window) {
    // Before the first picture there is nothing to list.
    if (ImageWindows[0] && ImageBitmap) RunDialog(window, L"IconImages", IconImagesDlgProc);
    return 0;
}
