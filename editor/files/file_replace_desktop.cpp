// Putting a save's new file in place on desktop Windows and under Wine, where a file can be
// reached through a symbolic link, have other names (hard links), and an owner and access
// rights that a file made anew would not have.
//
// The new file takes the target's place with MoveFileExW (MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH): one rename that never leaves the name missing, on the disk when
// it returns. ReplaceFileW is not used: without a backup name it can fail after the target
// was already removed (ERROR_UNABLE_TO_MOVE_REPLACEMENT), and under Wine it is the same rename
// and keeps nothing more. Tried under Wine 8 on a Linux file of mode 0640 with a second hard
// link: after either call the name holds a new file of mode 0644 and the link still holds the
// old picture. A rename cannot do better, so a target whose other names, owner or access a
// new file would not carry is instead written over in place, once the new bytes are safely
// on the disk beside it.
#include "files/files.h"
#include <cstring>
#include <cwchar>

#define PIECE_BYTES 32768
// The block a file system allocates at a time, the smallest hole a copy keeps.
#define SPARSE_BLOCK 4096
#define KEPT_SUFFIX L".old"

bool ResolveLinkedFile(const WCHAR* path, WCHAR* resolved) {
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    WCHAR final[2 * PATH_CHARS];
    DWORD length = 0;
    if (file != INVALID_HANDLE_VALUE) {
        length = GetFinalPathNameByHandleW(file, final, 2 * PATH_CHARS, FILE_NAME_NORMALIZED);
        CloseHandle(file);
    }
    if (length == 0 || length >= 2 * PATH_CHARS) {
        // A name that leads to no file yet, or one the platform cannot follow.
        if (wcslen(path) >= PATH_CHARS) return false;
        wcscpy(resolved, path);
        return true;
    }
    // The final name comes in the long form: \\?\C:\... or \\?\UNC\server\share\...
    const WCHAR* name = final;
    WCHAR unc[2 * PATH_CHARS];
    if (wcsncmp(final, L"\\\\?\\UNC\\", 8) == 0) {
        unc[0] = L'\\';
        wcscpy(unc + 1, final + 7);
        name = unc;
    } else if (wcsncmp(final, L"\\\\?\\", 4) == 0) {
        name = final + 4;
    }
    if (wcslen(name) >= PATH_CHARS) return false;
    wcscpy(resolved, name);
    return true;
}

bool LongFormOf(const WCHAR* path, WCHAR* longForm) {
    WCHAR full[SIBLING_CHARS];
    DWORD length = GetFullPathNameW(path, SIBLING_CHARS, full, nullptr);
    if (length == 0 || length >= SIBLING_CHARS) return false;
    const WCHAR* prefix = L"\\\\?\\";
    const WCHAR* rest = full;
    if (wcsncmp(full, L"\\\\?\\", 4) == 0 || wcsncmp(full, L"\\\\.\\", 4) == 0)
        prefix = L""; // a device name, or a long form already
    else if (wcsncmp(full, L"\\\\", 2) == 0) {
        prefix = L"\\\\?\\UNC"; // \\server\share\... becomes \\?\UNC\server\share\...
        rest = full + 1;
    }
    if (wcslen(prefix) + wcslen(rest) >= SIBLING_CHARS) return false;
    wcscpy(longForm, prefix);
    wcscat(longForm, rest);
    return true;
}

// The owner and access rights of a file, as the platform describes them; none where it has
// none to give.
static PSECURITY_DESCRIPTOR OwnerAndAccess(const WCHAR* path, DWORD* size) {
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityW(path, wanted, nullptr, 0, &needed);
    if (needed == 0) return nullptr;
    PSECURITY_DESCRIPTOR descriptor = LocalAlloc(LPTR, needed);
    if (descriptor && !GetFileSecurityW(path, wanted, descriptor, needed, &needed)) {
        LocalFree(descriptor);
        return nullptr;
    }
    *size = needed;
    return descriptor;
}

// Whether putting the new file in the target's place would lose something of the target's
// own: its other names, or an owner or access rights the new file (made with the folder's
// defaults) does not have. Under Wine the access rights reflect the Linux mode.
static bool ReplacingLosesIdentity(const WCHAR* temp, const WCHAR* target) {
    HANDLE file = CreateFileW(target, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information;
    bool linked = GetFileInformationByHandle(file, &information) && information.nNumberOfLinks > 1;
    CloseHandle(file);
    if (linked) return true;
    DWORD oldSize = 0, newSize = 0;
    PSECURITY_DESCRIPTOR old = OwnerAndAccess(target, &oldSize);
    PSECURITY_DESCRIPTOR made = OwnerAndAccess(temp, &newSize);
    bool differ = old && made && (oldSize != newSize || memcmp(old, made, oldSize) != 0);
    if (old) LocalFree(old);
    if (made) LocalFree(made);
    return differ;
}

static bool DiskFull() {
    DWORD error = GetLastError();
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

static bool AllZero(const BYTE* bytes, DWORD count) {
    for (DWORD i = 0; i < count; i++)
        if (bytes[i]) return false;
    return true;
}

// Copies the bytes from start to end at the same place in the other file. *reached tells how
// far the target may have been written when it fails. With sparse set, blocks of zeros are
// passed over, so a copy of a file with holes takes no more room than the file does.
static bool CopyRange(HANDLE from, HANDLE to, LONGLONG start, LONGLONG end, BYTE* buffer,
                      bool sparse = false, LONGLONG* reached = nullptr) {
    LARGE_INTEGER at;
    at.QuadPart = start;
    if (reached) *reached = start;
    if (!SetFilePointerEx(from, at, nullptr, FILE_BEGIN)) return false;
    while (start < end) {
        DWORD piece = end - start < PIECE_BYTES ? (DWORD)(end - start) : PIECE_BYTES, done = 0;
        if (!ReadFile(from, buffer, piece, &done, nullptr) || done != piece) return false;
        for (DWORD block = 0; block < piece; block += SPARSE_BLOCK) {
            DWORD count = piece - block < SPARSE_BLOCK ? piece - block : SPARSE_BLOCK;
            if (sparse && AllZero(buffer + block, count)) continue;
            at.QuadPart = start + block;
            done = 0;
            bool wrote = SetFilePointerEx(to, at, nullptr, FILE_BEGIN) &&
                         WriteFile(to, buffer + block, count, &done, nullptr);
            if (reached) *reached = start + block + done;
            if (!wrote || done != count) return false;
        }
        start += piece;
    }
    return true;
}

// Gives the file that length. One that has it already is left alone: under Wine, setting the
// end where it is fails on a full disk.
static bool CutAt(HANDLE file, LONGLONG length) {
    LARGE_INTEGER at, size;
    at.QuadPart = length;
    if (GetFileSizeEx(file, &size) && size.QuadPart == length) return true;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// A copy of the target's bytes beside it, on the disk, to put back should writing in place
// fail. None (with the save's result in *failed) when it could not be made whole.
static HANDLE KeepOldBytes(HANDLE target, LONGLONG size, const WCHAR* name, WCHAR* kept,
                           BYTE* buffer, int* failed) {
    HANDLE copy = CreateFileBeside(name, KEPT_SUFFIX, kept);
    if (copy == INVALID_HANDLE_VALUE) {
        *failed = DiskFull() ? SAVE_DISK_FULL : SAVE_REPLACE_FAILED;
        return copy;
    }
    if (CopyRange(target, copy, 0, size, buffer, true) && CutAt(copy, size) &&
        FlushFileBuffers(copy))
        return copy;
    *failed = DiskFull() ? SAVE_DISK_FULL : SAVE_WRITE_FAILED;
    CloseHandle(copy);
    DeleteFileW(kept);
    return INVALID_HANDLE_VALUE;
}

// Writes the new bytes over the target's own, so the file keeps its names, owner and access.
// Writing over a file can fail part-way even where the new file fitted: a file with holes
// (sparse) needs room to fill them, and a copy-on-write file system needs room for every block
// written. So the old bytes are copied beside it first (no room for that: nothing is touched),
// and put back over whatever was written when the write fails; the copy goes once the file
// is whole again. Bytes beyond the old end are added first and cut off on failure.
static int WriteIntoPlace(const WCHAR* temp, const WCHAR* target) {
    HANDLE to = CreateFileW(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    if (to == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? SAVE_IN_USE : SAVE_REPLACE_FAILED;
    HANDLE from =
        CreateFileW(temp, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    BYTE* buffer = (BYTE*)LocalAlloc(LMEM_FIXED, PIECE_BYTES);
    LARGE_INTEGER oldSize, newSize;
    int result = SAVE_WRITE_FAILED;
    WCHAR keptName[SIBLING_CHARS];
    HANDLE kept = INVALID_HANDLE_VALUE;
    if (from != INVALID_HANDLE_VALUE && buffer && GetFileSizeEx(to, &oldSize) &&
        GetFileSizeEx(from, &newSize))
        kept = KeepOldBytes(to, oldSize.QuadPart, target, keptName, buffer, &result);
    if (kept != INVALID_HANDLE_VALUE) {
        LONGLONG same = oldSize.QuadPart < newSize.QuadPart ? oldSize.QuadPart : newSize.QuadPart;
        LONGLONG reached = 0;
        bool written = CopyRange(from, to, same, newSize.QuadPart, buffer) &&
                       FlushFileBuffers(to) &&
                       CopyRange(from, to, 0, same, buffer, false, &reached);
        if (written && CutAt(to, newSize.QuadPart) && FlushFileBuffers(to)) {
            result = SAVE_DONE;
        } else {
            result = DiskFull() ? SAVE_DISK_FULL : SAVE_WRITE_FAILED;
            // Only what was written goes back: the blocks it took are the file's now, so
            // this needs no more room, where filling the old holes again would.
            if (written) reached = same;
            if (!CopyRange(kept, to, 0, reached, buffer) || !CutAt(to, oldSize.QuadPart) ||
                !FlushFileBuffers(to))
                keptName[0] = 0; // the copy beside it is now the one whole picture: it stays
        }
        CloseHandle(kept);
        if (keptName[0]) DeleteFileW(keptName);
    }
    if (buffer) LocalFree(buffer);
    if (from != INVALID_HANDLE_VALUE) CloseHandle(from);
    CloseHandle(to);
    return result;
}

// Whether another program holds the file open: one that lets nobody replace it, or one that
// shares it with everybody (the file then cannot be opened by itself alone).
static bool HeldByAnotherProgram(const WCHAR* target) {
    const DWORD modes[2][2] = {{DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
                               {GENERIC_READ, 0}};
    for (const DWORD* mode : modes) {
        HANDLE file = CreateFileW(target, mode[0], mode[1], nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
        CloseHandle(file);
    }
    return false;
}

int ReplaceWithNewFile(const WCHAR* temp, const WCHAR* target) {
    DWORD attributes = GetFileAttributesW(target);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return MoveFileExW(temp, target, MOVEFILE_WRITE_THROUGH) ? SAVE_DONE : SAVE_REPLACE_FAILED;
    if (ReplacingLosesIdentity(temp, target)) return WriteIntoPlace(temp, target);
    // The attributes a user can see travel with the picture.
    DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept) SetFileAttributesW(temp, kept);
    if (MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return SAVE_DONE;
    return HeldByAnotherProgram(target) ? SAVE_IN_USE : SAVE_REPLACE_FAILED;
}
