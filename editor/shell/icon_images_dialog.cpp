// The Icon Images command and its dialog: the document's images listed, the canvas switched
// to another of them, images of any size and form added and removed, an image changed to
// another form. A picture that is no icon yet becomes one, in memory, the first time an
// image is added to it.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "base/report.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "resources/resource_ids.h"
#include <cstdlib>

static const WCHAR DialogCaption[] = L"Icon Images";
static const WCHAR ProcedureName[] = L"IconImagesDlgProc";

const int IconSizes[ICON_SIZE_COUNT] = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};
const IconForm IconForms[ICON_FORM_COUNT] = {{L"16 colours", 4, false},
                                             {L"256 colours", 8, false},
                                             {L"True colour, BMP", 32, false},
                                             {L"True colour, PNG", 32, true}};

bool DocumentIsIcon() {
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
IconImageFacts FactsOf(int index) {
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

bool PrepareIconDocument(HWND window) {
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
    return true;
}

// A cursor's hot spot for an image of that size: the canvas image's, scaled.
static POINT ScaledHotSpot(int width, int height) {
    POINT spot = {0, 0};
    if (!CursorHotSpot(SelectedIconImage, &spot) || CanvasWidth < 1 || CanvasHeight < 1)
        return spot;
    spot.x = (LONG)((long long)spot.x * width / CanvasWidth);
    spot.y = (LONG)((long long)spot.y * height / CanvasHeight);
    if (spot.x >= width) spot.x = width - 1;
    if (spot.y >= height) spot.y = height - 1;
    return spot;
}

bool PutMadeImage(HWND window, int index, int width, int height, const IconForm* form,
                  bool fromCanvas) {
    ImageToWrite made;
    BYTE* block = MakeIconImage(width, height, form->Bits, fromCanvas, &made);
    bool put = block && PutIconImage(index, &made, form->Png);
    free(block);
    if (!put) {
        ReportNoMemory(window, ProcedureName);
        return false;
    }
    POINT spot = ScaledHotSpot(width, height);
    SetCursorHotSpot(index, spot);
    Modified = 1;
    return true;
}

bool AddIconImageOf(HWND window, int width, int height, const IconForm* form, bool fromCanvas) {
    if (width < 1 || width > 256 || height < 1 || height > 256 || !PrepareIconDocument(window))
        return false;
    // The image is made from the canvas as the user sees it, a block still floating included,
    // as a switch to another image would place it.
    if (fromCanvas) PlaceFloatingBlock(ImageWindows[0]);
    return PutMadeImage(window, IconDirectory.idCount, width, height, form, fromCanvas);
}

// After the chosen image's entry was made anew: the canvas takes it as a switch would.
static bool TakeChosenImageAgain(HWND window) {
    if (!SwitchIconImage(CurrentSlot, SelectedIconImage, DocumentPath) ||
        !TakeIconImage(ImageWindows[0]))
        return false;
    ShowImageMask(window);
    if (PaletteWindow) InvalidateRect(PaletteWindow, nullptr, TRUE);
    LayOutAgain(window);
    return true;
}

bool ChangeIconImageForm(HWND window, int index, const IconForm* form) {
    if (!PrepareIconDocument(window) || index < 0 || index >= ImageCount()) return false;
    IconImageFacts facts = FactsOf(index);
    if (facts.Bits == form->Bits && facts.Png == form->Png) return false; // already in it
    bool chosen = index == SelectedIconImage;
    ImageToWrite source;
    if (chosen) {
        PlaceFloatingBlock(ImageWindows[0]);
        CanvasImageToWrite(true, &source);
    } else if (!IconImageOf(index, DocumentPath, &source)) {
        return false;
    }
    ImageToWrite made;
    BYTE* block = ResampleImage(&source, facts.Width, facts.Height, form->Bits, &made);
    bool put = block && PutIconImage(index, &made, form->Png);
    free(block);
    if (!put) {
        ReportNoMemory(window, ProcedureName);
        return false;
    }
    Modified = 1;
    return !chosen || TakeChosenImageAgain(window);
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

// A size as typed: "48", or width and height as "48 x 32"; each 1 to 256.
static bool ParseSize(const WCHAR* text, int* width, int* height) {
    int values[2] = {0, 0}, count = 0;
    const WCHAR* p = text;
    while (count < 2) {
        while (*p == L' ')
            p++;
        if (*p < L'0' || *p > L'9') return false;
        int value = 0;
        while (*p >= L'0' && *p <= L'9' && value <= 256)
            value = value * 10 + (*p++ - L'0');
        if (value < 1 || value > 256) return false;
        values[count++] = value;
        while (*p == L' ')
            p++;
        if (*p != L'x' && *p != L'X') break;
        p++;
    }
    if (*p || (count == 1 && p > text && (p[-1] == L'x' || p[-1] == L'X'))) return false;
    *width = values[0];
    *height = count == 2 ? values[1] : values[0];
    return true;
}

// The size typed, or just chosen from the list (whose text reaches the edit field only after
// the choice is told).
static bool ChosenSize(HWND dialog, bool justChosen, int* width, int* height) {
    WCHAR text[32] = {};
    HWND box = GetDlgItem(dialog, IDC_ADD_SIZE);
    LRESULT item = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (justChosen && item != CB_ERR && SendMessageW(box, CB_GETLBTEXTLEN, item, 0) < 32)
        SendMessageW(box, CB_GETLBTEXT, item, (LPARAM)text);
    else
        GetWindowTextW(box, text, 32);
    return ParseSize(text, width, height);
}

static const IconForm* ChosenForm(HWND dialog) {
    LRESULT item = SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_GETCURSEL, 0, 0);
    return &IconForms[item >= 0 && item < ICON_FORM_COUNT ? item : 0];
}

// 256 is stored as PNG by the programs that show it; the smaller sizes are not.
static void SuggestForm(HWND dialog, bool justChosen) {
    int width, height;
    if (!ChosenSize(dialog, justChosen, &width, &height)) return;
    const IconForm* form = ChosenForm(dialog);
    int item = width == 256 && height == 256 ? FORM_PNG
               : form->Png                   ? FORM_TRUE_COLOUR
                                             : (int)(form - IconForms);
    SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_SETCURSEL, item, 0);
}

static void FillChoices(HWND dialog) {
    for (int size : IconSizes) {
        WCHAR text[8];
        wsprintfW(text, L"%d", size);
        SendDlgItemMessageW(dialog, IDC_ADD_SIZE, CB_ADDSTRING, 0, (LPARAM)text);
    }
    SendDlgItemMessageW(dialog, IDC_ADD_SIZE, CB_SETCURSEL, 3, 0); // 32
    for (const IconForm& form : IconForms)
        SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_ADDSTRING, 0, (LPARAM)form.Name);
    SendDlgItemMessageW(dialog, IDC_ADD_FORM, CB_SETCURSEL, FORM_16_COLOURS, 0);
}

static void OnAdd(HWND dialog, int width, int height) {
    if (!width && !ChosenSize(dialog, false, &width, &height)) {
        MessageBoxW(dialog, L"Type a size of 1 to 256 pixels, or width x height.", DialogCaption,
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    bool fromCanvas = IsDlgButtonChecked(dialog, IDC_ADD_FROM_CANVAS) == BST_CHECKED;
    bool added = AddIconImageOf(MainWindow, width, height, ChosenForm(dialog), fromCanvas);
    FillImageList(dialog, added ? ImageCount() - 1 : ListRow(dialog));
}

static void OnChangeForm(HWND dialog, int row) {
    if (row >= 0) ChangeIconImageForm(MainWindow, row, ChosenForm(dialog));
    FillImageList(dialog, row);
}

static void OnMakeAllSizes(HWND dialog) {
    MakeAllSizesCommand(dialog);
    FillImageList(dialog, DocumentIsIcon() ? SelectedIconImage : 0);
}

INT_PTR CALLBACK IconImagesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        FillChoices(dialog);
        FillImageList(dialog, DocumentIsIcon() ? SelectedIconImage : 0);
        FitDialogToScreen(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_IMAGE_LIST:
        if (HIWORD(wParam) != LBN_DBLCLK) return FALSE;
        OnEdit(dialog, ListRow(dialog)); // a double tap on a row edits that image
        return TRUE;
    case IDC_ADD_SIZE:
        if (HIWORD(wParam) != CBN_SELCHANGE && HIWORD(wParam) != CBN_EDITCHANGE) return FALSE;
        SuggestForm(dialog, HIWORD(wParam) == CBN_SELCHANGE);
        return TRUE;
    case IDC_IMAGE_EDIT: OnEdit(dialog, ListRow(dialog)); return TRUE;
    case IDC_IMAGE_REMOVE: OnRemove(dialog, ListRow(dialog)); return TRUE;
    case IDC_IMAGE_ADD: OnAdd(dialog, 0, 0); return TRUE;
    case IDC_ADD_16: OnAdd(dialog, 16, 16); return TRUE;
    case IDC_ADD_32: OnAdd(dialog, 32, 32); return TRUE;
    case IDC_CHANGE_FORM: OnChangeForm(dialog, ListRow(dialog)); return TRUE;
    case IDC_MAKE_ALL_SIZES: OnMakeAllSizes(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

LRESULT IconImagesCommand(HWND window) {
    // Before the first picture there is nothing to list.
    if (ImageWindows[0] && ImageBitmap) RunDialog(window, L"IconImages", IconImagesDlgProc);
    return 0;
}
