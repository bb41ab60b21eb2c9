// Make All Sizes: the standard set of an icon's sizes made from the image on the canvas in one
// step, through a small dialog of the sizes to make.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "canvas/canvas.h"
#include "files/files.h"
#include "resources/resource_ids.h"

static const WCHAR DialogCaption[] = L"Make All Sizes";

// The sizes the dialog last gave, for the command to make.
static unsigned ChosenSizes;

INT_PTR CALLBACK MakeAllSizesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < ICON_SIZE_COUNT; i++)
            CheckDlgButton(dialog, IDC_ALL_SIZES_FIRST + i,
                           STANDARD_SIZES & 1u << i ? BST_CHECKED : BST_UNCHECKED);
        FitDialogToScreen(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        ChosenSizes = 0;
        for (int i = 0; i < ICON_SIZE_COUNT; i++)
            if (IsDlgButtonChecked(dialog, IDC_ALL_SIZES_FIRST + i) == BST_CHECKED)
                ChosenSizes |= 1u << i;
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void MakeAllSizesCommand(HWND owner) {
    if (!ImageWindows[0] || !ImageBitmap) return;
    if (RunDialog(owner, L"MakeAllSizes", MakeAllSizesDlgProc) == 1 && ChosenSizes)
        MakeAllSizes(owner, ChosenSizes);
}

static int SizeIndex(int width, int height) {
    for (int i = 0; width == height && i < ICON_SIZE_COUNT; i++)
        if (IconSizes[i] == width) return i;
    return -1;
}

// The images a run of Make All Sizes takes the place of: of a size it makes, and not the
// canvas's, which it makes them from.
static bool Replaced(int index, unsigned sizes) {
    IconImageFacts facts = FactsOf(index);
    int size = SizeIndex(facts.Width, facts.Height);
    return index != SelectedIconImage && size >= 0 && (sizes & 1u << size);
}

static bool AskToReplace(HWND owner, int count) {
    WCHAR text[128];
    wsprintfW(text, L"Replace the %d image%s of the sizes to make?", count, count > 1 ? L"s" : L"");
    return MessageBoxW(owner, text, DialogCaption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

bool MakeAllSizes(HWND owner, unsigned sizes) {
    if (!ImageWindows[0] || !ImageBitmap) return false;
    int replaced = 0;
    for (int i = 0; DocumentIsIcon() && i < IconDirectory.idCount; i++)
        replaced += Replaced(i, sizes);
    if (replaced && !AskToReplace(owner, replaced)) return false;
    if (!PrepareIconDocument(MainWindow)) return false;
    PlaceFloatingBlock(ImageWindows[0]);
    for (int i = IconDirectory.idCount - 1; i >= 0; i--)
        if (Replaced(i, sizes)) RemoveIconImage(i);
    IconImageFacts canvas = FactsOf(SelectedIconImage);
    int own = SizeIndex(canvas.Width, canvas.Height);
    bool made = true;
    for (int i = 0; i < ICON_SIZE_COUNT && made; i++) {
        if (!(sizes & 1u << i) || i == own) continue;
        const IconForm* form = &IconForms[IconSizes[i] == 256 ? FORM_PNG : FORM_TRUE_COLOUR];
        made =
            PutMadeImage(MainWindow, IconDirectory.idCount, IconSizes[i], IconSizes[i], form, true);
    }
    SortIconImages();
    Modified = 1;
    return made;
}
