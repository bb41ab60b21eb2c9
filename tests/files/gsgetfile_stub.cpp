// A stand-in for the handheld's open-dialog library, built for the tests and placed beside
// the test programs: it "chooses" the file named in PIXMORA_OPEN_FILE, or cancels when that
// is empty or unset, and leaves what it was asked in PIXMORA_OPEN_ASKED for the test to see.
#include <windows.h>
#include <commdlg.h>
#include <cwchar>

extern "C" __declspec(dllexport) BOOL WINAPI gsGetOpenFileName(OPENFILENAMEW* record) {
    WCHAR asked[600];
    const WCHAR* filter = record->lpstrFilter ? record->lpstrFilter : L"";
    const WCHAR* pattern = filter + wcslen(filter) + 1;
    swprintf(asked, 600, L"%ls|%ls|%ls|%lx|%ls", filter, record->lpstrFilter ? pattern : L"",
             record->lpstrDefExt ? record->lpstrDefExt : L"", record->Flags,
             record->lpstrInitialDir ? record->lpstrInitialDir : L"(none)");
    SetEnvironmentVariableW(L"PIXMORA_OPEN_ASKED", asked);
    WCHAR chosen[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"PIXMORA_OPEN_FILE", chosen, MAX_PATH);
    if (length == 0 || length >= record->nMaxFile || !record->lpstrFile) return FALSE;
    wcscpy(record->lpstrFile, chosen);
    if (record->lpstrFileTitle) {
        const WCHAR* name = wcsrchr(chosen, L'\\');
        lstrcpynW(record->lpstrFileTitle, name ? name + 1 : chosen, record->nMaxFileTitle);
    }
    return TRUE;
}
