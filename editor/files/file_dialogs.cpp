// The shared open/save dialog record, the document's file names and the conversion of names
// for the narrow file functions.
#include "files/files.h"
#include <cwchar>

OPENFILENAMEW FileDialogRecord;
static char AnsiPathBuffer[PATH_CHARS];
WCHAR DocumentPath[PATH_CHARS];
WCHAR DocumentDirectory[PATH_CHARS];
WCHAR DocumentTitle[TITLE_CHARS];

#define FLAGS_OPEN 0x2000 // OFN_CREATEPROMPT
#define FLAGS_SAVE 0x0002 // OFN_OVERWRITEPROMPT

static const WCHAR BitmapFilter[] = L"Bitmap Files (*.BMP)\0*.bmp\0";
static const WCHAR IconFilter[] = L"Icon Files (*.ICO)\0*.ico\0";

void ResetFileDialog(HWND owner, WCHAR* path, WCHAR* directory) {
    OPENFILENAMEW& r = FileDialogRecord;
    r.lStructSize = sizeof r;
    r.hwndOwner = owner;
    r.hInstance = nullptr;
    r.lpstrCustomFilter = nullptr;
    r.nMaxCustFilter = 0;
    r.nFilterIndex = 0;
    r.lpstrFile = nullptr;
    r.nMaxFile = PATH_CHARS;
    r.lpstrFileTitle = nullptr;
    r.nMaxFileTitle = TITLE_CHARS;
    r.lpstrInitialDir = nullptr;
    r.lpstrTitle = nullptr;
    r.Flags = FLAGS_OPEN;
    r.nFileOffset = 0;
    r.nFileExtension = 0;
    r.lCustData = 0;
    r.lpfnHook = nullptr;
    r.lpTemplateName = nullptr;
    if (path && path[0]) {
        r.lpstrFile = path;
        r.lpstrInitialDir = directory;
    }
}

void PrepareBitmapDialog(HWND owner, WCHAR* path, WCHAR* directory) {
    FileDialogRecord.lpstrFilter = BitmapFilter;
    FileDialogRecord.lpstrDefExt = L"bmp";
    ResetFileDialog(owner, path, directory);
}

void PrepareIconDialog(HWND owner, WCHAR* path, WCHAR* directory) {
    FileDialogRecord.lpstrFilter = IconFilter;
    FileDialogRecord.lpstrDefExt = L"ico";
    ResetFileDialog(owner, path, directory);
}

const WCHAR* FileNameOf(const WCHAR* path) {
    const WCHAR* name = path;
    for (const WCHAR* p = path; *p; p++)
        if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
    return name;
}

static bool EndsWith(const WCHAR* path, const WCHAR* ending) {
    int length = lstrlenW(path), endingLength = lstrlenW(ending);
    return length >= endingLength && lstrcmpiW(path + length - endingLength, ending) == 0;
}

bool HasIconFileName(const WCHAR* path) {
    return path && (EndsWith(path, L".ico") || EndsWith(path, L".cur"));
}

// A dialog that reports success must have left a name, ended within the buffer; the file
// title is filled from it when the dialog left it empty.
static bool TakeChosenName(WCHAR* path, WCHAR* title) {
    path[PATH_CHARS - 1] = 0;
    if (!path[0]) return false;
    if (title) {
        title[TITLE_CHARS - 1] = 0;
        if (!title[0]) lstrcpynW(title, FileNameOf(path), TITLE_CHARS);
    }
    return true;
}

bool RunOpenDialog(HWND owner, WCHAR* directory, WCHAR* path, WCHAR* title) {
    OPENFILENAMEW& r = FileDialogRecord;
    r.hwndOwner = owner;
    r.lpstrFile = path;
    r.lpstrFileTitle = title;
    r.lpstrInitialDir = directory;
    r.Flags = FLAGS_OPEN;
    if (!ShowOpenDialog(&r)) return false;
    return TakeChosenName(path, title);
}

bool RunSaveDialog(HWND owner, WCHAR* path, WCHAR* title) {
    OPENFILENAMEW& r = FileDialogRecord;
    r.hwndOwner = owner;
    r.lpstrFile = path;
    r.lpstrFileTitle = title;
    r.Flags = FLAGS_SAVE;
    if (!GetSaveFileNameW(&r)) return false;
    return TakeChosenName(path, title);
}

typedef BOOL(WINAPI* OpenFileNameFunction)(OPENFILENAMEW*);

// The handheld's own open dialog library is preferred when installed; it is loaded for each
// dialog and let go right after. A library without the function counts as absent.
bool ShowOpenDialog(OPENFILENAMEW* record) {
    HMODULE library = LoadLibraryW(L"gsgetfile.dll");
    if (library) {
#ifdef UNDER_CE
        FARPROC proc = GetProcAddressW(library, L"gsGetOpenFileName");
#else
        FARPROC proc = GetProcAddress(library, "gsGetOpenFileName");
#endif
        if (proc) {
            BOOL chosen = ((OpenFileNameFunction)(void*)proc)(record);
            FreeLibrary(library);
            return chosen != 0;
        }
        FreeLibrary(library);
    }
    return GetOpenFileNameW(record) != 0;
}

// A name is only handed on in ANSI form when converting it back gives the very same name:
// a best-fit or default character would name another file.
const char* ToAnsiPath(const WCHAR* path) {
    AnsiPathBuffer[0] = 0;
    int bytes =
        WideCharToMultiByte(CP_ACP, 0, path, -1, AnsiPathBuffer, PATH_CHARS, nullptr, nullptr);
    if (bytes <= 0) {
        AnsiPathBuffer[0] = 0;
        return nullptr;
    }
    WCHAR back[PATH_CHARS];
    int chars = MultiByteToWideChar(CP_ACP, 0, AnsiPathBuffer, -1, back, PATH_CHARS);
    if (chars <= 0 || wcscmp(back, path) != 0) return nullptr;
    return AnsiPathBuffer;
}
