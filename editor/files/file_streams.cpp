// File access shared by the readers and writers: opening under the name the user chose,
// transfers in pieces, and saves that replace a file only once the new one is on the disk.
#include "files/files.h"
#include <cwchar>
#include <fcntl.h>
#include <io.h>

#define PIECE_BYTES 32768

bool NamesADevice(const WCHAR* path) {
    WCHAR full[PATH_CHARS];
    DWORD length = GetFullPathNameW(path, PATH_CHARS, full, nullptr);
    return length > 0 && length < PATH_CHARS && wcsncmp(full, L"\\\\.\\", 4) == 0;
}

// Only files: a device (a serial port, the console) would block a read or answer with
// anything, so its name is refused before it is opened, and whatever else is no file after.
FILE* OpenFileStream(const WCHAR* path, const WCHAR* mode) {
    if (!path || !path[0] || NamesADevice(path)) return nullptr;
    const char* ansi = ToAnsiPath(path);
    FILE* file;
    if (ansi) {
        char narrowMode[4] = {(char)mode[0], (char)mode[1], 0, 0};
        file = fopen(ansi, narrowMode);
    } else {
        file = _wfopen(path, mode);
    }
    if (file && GetFileType((HANDLE)_get_osfhandle(_fileno(file))) != FILE_TYPE_DISK) {
        fclose(file);
        return nullptr;
    }
    return file;
}

bool ReadPieces(FILE* file, BYTE* buffer, size_t count) {
    while (count) {
        size_t piece = count < PIECE_BYTES ? count : PIECE_BYTES;
        if (fread(buffer, 1, piece, file) != piece) return false;
        buffer += piece;
        count -= piece;
    }
    return true;
}

bool WritePieces(FILE* file, const BYTE* buffer, size_t count) {
    while (count) {
        size_t piece = count < PIECE_BYTES ? count : PIECE_BYTES;
        if (fwrite(buffer, 1, piece, file) != piece) return false;
        buffer += piece;
        count -= piece;
    }
    return true;
}

bool FileLength(FILE* file, size_t* length) {
    if (fseek(file, 0, SEEK_END) != 0) return false;
    long end = ftell(file);
    if (end < 0 || fseek(file, 0, SEEK_SET) != 0) return false;
    *length = (size_t)end;
    return true;
}

void (*BeforeSaveReplaces)();
const WCHAR FileInUseText[] = L"Another program is using the file :%s";
const WCHAR DiskFullText[] = L"The disk is full :%s";

#define TEMP_PREFIX L"~pixmora-"
#define TEMP_SUFFIX L".tmp"
// A new file older than this was left by a run that ended during a save; a younger one may
// belong to a save still going on in another copy of the program.
#define STALE_100NS (60ull * 60 * 10000000)

// Length of the folder part of a name, its last separator included.
static size_t FolderLength(const WCHAR* path) {
    size_t folder = 0;
    for (size_t i = 0; path[i]; i++)
        if (path[i] == L'\\' || path[i] == L'/') folder = i + 1;
    return folder;
}

// The name of a file called name in the target's folder. A target that just fits the path
// limit leaves no room for a longer name beside it: that one takes the long form.
static bool NameBeside(const WCHAR* target, const WCHAR* name, WCHAR* sibling) {
    WCHAR longForm[SIBLING_CHARS];
    size_t folder = FolderLength(target);
    if (folder + wcslen(name) >= PATH_CHARS) {
        if (!LongFormOf(target, longForm)) return false;
        target = longForm;
        folder = FolderLength(target);
        if (folder + wcslen(name) >= SIBLING_CHARS) return false;
    }
    wcsncpy(sibling, target, folder);
    wcscpy(sibling + folder, name);
    return true;
}

static void RemoveStaleTempFiles(const WCHAR* target) {
    WCHAR pattern[SIBLING_CHARS], stale[SIBLING_CHARS];
    if (!NameBeside(target, TEMP_PREFIX L"*" TEMP_SUFFIX, pattern)) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER limit = {{now.dwLowDateTime, now.dwHighDateTime}};
    limit.QuadPart -= STALE_100NS;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        ULARGE_INTEGER written = {
            {found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime}};
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            written.QuadPart >= limit.QuadPart || !NameBeside(target, found.cFileName, stale))
            continue;
        DeleteFileW(stale);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

HANDLE CreateFileBeside(const WCHAR* target, const WCHAR* suffix, WCHAR* name) {
    for (int n = 0; n < 100; n++) {
        WCHAR own[40];
        wsprintfW(own, TEMP_PREFIX L"%lx-%d%s", GetCurrentProcessId(), n, suffix);
        if (!NameBeside(target, own, name)) return INVALID_HANDLE_VALUE;
        HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

// Creates the new file under a free name of this program's in the target's folder.
static FILE* CreateTempFile(const WCHAR* target, WCHAR* temp) {
    HANDLE handle = CreateFileBeside(target, TEMP_SUFFIX, temp);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    int descriptor = _open_osfhandle((intptr_t)handle, _O_BINARY | _O_WRONLY);
    FILE* file = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
    if (file) return file;
    if (descriptor >= 0)
        _close(descriptor);
    else
        CloseHandle(handle);
    DeleteFileW(temp);
    return nullptr;
}

bool BeginSafeSave(const WCHAR* path, SafeSave* save) {
    save->File = nullptr;
    save->Temp[0] = 0;
    if (!path || !path[0] || NamesADevice(path) || !ResolveLinkedFile(path, save->Target))
        return false;
    // A read-only file or a folder of that name is not ours to replace.
    DWORD attributes = GetFileAttributesW(save->Target);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    RemoveStaleTempFiles(save->Target);
    save->File = CreateTempFile(save->Target, save->Temp);
    return save->File != nullptr;
}

void AbandonSafeSave(SafeSave* save) {
    if (save->File) fclose(save->File);
    save->File = nullptr;
    DeleteFileW(save->Temp);
}

// The new file reaches the disk before it replaces anything, so a crash at any moment leaves
// the old file or the new one whole under the name (but while a file that cannot be replaced
// without losing its links or rights is written over in place).
int FinishSafeSave(SafeSave* save) {
    bool flushed =
        fflush(save->File) == 0 && FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(save->File)));
    bool closed = fclose(save->File) == 0;
    save->File = nullptr;
    if (!flushed || !closed) {
        DeleteFileW(save->Temp);
        return SAVE_WRITE_FAILED;
    }
    if (BeforeSaveReplaces) BeforeSaveReplaces();
    int result = ReplaceWithNewFile(save->Temp, save->Target);
    DeleteFileW(save->Temp); // still there after a failure, or after writing in place
    return result;
}
