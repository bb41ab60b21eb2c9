// File access shared by the readers and writers: opening under the name the user chose,
// transfers in pieces, and saves that replace a file only once the new one is complete.
#include "files/files.h"
#include <cwchar>

#define PIECE_BYTES 32768

FILE* OpenFileStream(const WCHAR* path, const WCHAR* mode) {
    if (!path || !path[0]) return nullptr;
    const char* ansi = ToAnsiPath(path);
    if (ansi) {
        char narrowMode[4] = {(char)mode[0], (char)mode[1], 0, 0};
        return fopen(ansi, narrowMode);
    }
    return _wfopen(path, mode);
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

static bool Exists(const WCHAR* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// A free name beside the target: the target's name with a suffix, or, when that would be too
// long, a short name in the target's folder.
static bool MakeSiblingName(const WCHAR* target, const WCHAR* tag, WCHAR* name) {
    size_t length = wcslen(target);
    size_t folder = 0;
    for (size_t i = 0; i < length; i++)
        if (target[i] == L'\\' || target[i] == L'/') folder = i + 1;
    for (int n = 0; n < 100; n++) {
        WCHAR suffix[24];
        wsprintfW(suffix, L".%s%d", tag, n);
        if (length + wcslen(suffix) < PATH_CHARS) {
            wcscpy(name, target);
            wcscat(name, suffix);
        } else {
            if (folder + 16 >= PATH_CHARS) return false;
            wcsncpy(name, target, folder);
            wsprintfW(name + folder, L"~%s%d.tmp", tag, n);
        }
        if (!Exists(name)) return true;
    }
    return false;
}

FILE* BeginSafeSave(const WCHAR* target, WCHAR* tempPath) {
    if (!target || !target[0]) return nullptr;
    // A read-only file or a folder of that name is not ours to replace.
    DWORD attributes = GetFileAttributesW(target);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return nullptr;
    if (!MakeSiblingName(target, L"pmnew", tempPath)) return nullptr;
    return OpenFileStream(tempPath, L"wb");
}

void AbandonSafeSave(FILE* file, const WCHAR* tempPath) {
    if (file) fclose(file);
    DeleteFileW(tempPath);
}

// Windows CE has no replacing move, so the old file steps aside under a free name first and
// comes back if the new one cannot take its place.
int FinishSafeSave(FILE* file, const WCHAR* tempPath, const WCHAR* target) {
    bool flushed = fflush(file) == 0;
    if (fclose(file) != 0 || !flushed) {
        DeleteFileW(tempPath);
        return SAVE_WRITE_FAILED;
    }
    if (!Exists(target)) {
        if (MoveFileW(tempPath, target)) return SAVE_DONE;
        DeleteFileW(tempPath);
        return SAVE_REPLACE_FAILED;
    }
    WCHAR oldPath[PATH_CHARS];
    if (!MakeSiblingName(target, L"pmold", oldPath) || !MoveFileW(target, oldPath)) {
        DeleteFileW(tempPath);
        return SAVE_REPLACE_FAILED;
    }
    if (!MoveFileW(tempPath, target)) {
        MoveFileW(oldPath, target);
        DeleteFileW(tempPath);
        return SAVE_REPLACE_FAILED;
    }
    DeleteFileW(oldPath);
    return SAVE_DONE;
}
