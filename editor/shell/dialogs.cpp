// The About, Canvas Size and Scale dialog boxes, and the runner that opens a dialog
// template of the editor's resources modally.
#include "shell/shell.h"
#include "base/editor_state.h"
#include "resources/resource_ids.h"
#include <stdlib.h>

INT_PTR RunDialog(HWND owner, const WCHAR* templateName, DLGPROC procedure) {
    HRSRC found = FindResourceW(AppInstance, templateName, (LPCWSTR)RT_DIALOG);
    if (!found) return 0;
    HGLOBAL loaded = LoadResource(AppInstance, found);
    if (!loaded) return 0;
    const DLGTEMPLATE* dialog = (const DLGTEMPLATE*)LockResource(loaded);
    if (!dialog) return 0;
    INT_PTR result = DialogBoxIndirectParamW(AppInstance, dialog, owner, procedure, 0);
    return result == -1 ? 0 : result; // a dialog that could not be shown changed nothing
}

// The handheld shows its dialogs full-screen, so each fits whatever the screen; elsewhere a
// dialog placed by its owner could hang off the screen's edge, its caption out of reach.
void FitDialogToScreen(HWND dialog) {
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&info);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        FitDialogToScreen(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && wParam == IDOK) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

static int SideOfChoice(int choice) {
    return choice == 0 ? 16 : 32;
}

static void ChooseCanvasSize(HWND dialog, int choice) {
    CanvasSizeChoice = choice;
    CanvasWidth = SideOfChoice(choice);
    CanvasHeight = SideOfChoice(choice);
    EndDialog(dialog, 1);
}

static void InitCanvasSizeDialog(HWND dialog) {
    // Any other width (an opened 48-pixel image, say) checks neither button and keeps the
    // last choice for OK.
    if (CanvasWidth == 16 || CanvasWidth == 32) {
        CanvasSizeChoice = CanvasWidth == 16 ? 0 : 1;
        CheckRadioButton(dialog, IDC_SIZE_16, IDC_SIZE_32, IDC_SIZE_16 + CanvasSizeChoice);
    }
    PrevCanvasWidth = CanvasWidth;
    PrevCanvasHeight = CanvasHeight;
    FitDialogToScreen(dialog);
}

INT_PTR CALLBACK CanvasSizeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        InitCanvasSizeDialog(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_SIZE_16:
    case IDC_SIZE_32: // a tap on a size chooses it and closes at once
        CheckRadioButton(dialog, IDC_SIZE_16, IDC_SIZE_32, LOWORD(wParam));
        ChooseCanvasSize(dialog, LOWORD(wParam) - IDC_SIZE_16);
        return TRUE;
    case IDOK: ChooseCanvasSize(dialog, CanvasSizeChoice); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}

static void AcceptScale(HWND dialog) {
    WCHAR text[5] = {}; // four characters: the largest scale has four digits
    GetDlgItemTextW(dialog, IDC_SCALE_EDIT, text, 5);
    if (text[0]) Scale = _wtoi(text);
    if (Scale < 1) Scale = 1;
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK ScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        WCHAR text[16];
        _itow(Scale, text, 10);
        SetDlgItemTextW(dialog, IDC_SCALE_EDIT, text);
        PrevScale = Scale;
        FitDialogToScreen(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: AcceptScale(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    }
    return FALSE;
}
