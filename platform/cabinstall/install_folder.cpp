// The install folder's file work: making, removing and replacing folders whole, so that an
// installation either puts every file in place or leaves the folder as it was.
#include "install_folder.h"
#include <shlobj.h>

namespace {

const WCHAR RetiredSuffix[] = L".old";

} // namespace

std::wstring SystemMessage(DWORD error) {
    WCHAR text[256] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, 256, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L'.' || text[length - 1] == L' '))
        text[--length] = 0;
    if (length == 0) return L"error " + std::to_wstring(error);
    return text;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The folder and every missing folder above it; the system's error code on failure.
DWORD MakeFolders(const std::wstring& path) {
    int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    if (result != ERROR_ALREADY_EXISTS && result != ERROR_FILE_EXISTS) return (DWORD)result;
    DWORD attributes = GetFileAttributesW(path.c_str());
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return folder ? (DWORD)ERROR_SUCCESS : (DWORD)ERROR_ALREADY_EXISTS;
}

// Removes a folder with everything in it; true when nothing of it is left. Linked folders
// are removed as links, never followed.
bool RemoveTree(const std::wstring& folder) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(folder.c_str())
                                                       : DeleteFileW(folder.c_str());
    }
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") RemoveTree(folder + L"\\" + name);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    return RemoveDirectoryW(folder.c_str()) != FALSE;
}

// Copies what the install folder holds and the cabinet does not bring into the staging
// folder, so that only the cabinet's own files are replaced and nothing the user keeps
// there is lost. Copied, not moved: the install folder stays whole until it is replaced.
bool KeepOtherFiles(const std::wstring& from, const std::wstring& to, std::wstring* failure) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        *failure = L"The folder " + from + L" cannot be read: " + SystemMessage(error) + L".";
        return false;
    }
    bool ok = true;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring source = from + L"\\" + name, copy = to + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = (Exists(copy) || CreateDirectoryW(copy.c_str(), nullptr)) &&
                 KeepOtherFiles(source, copy, failure);
        else
            ok = Exists(copy) || CopyFileW(source.c_str(), copy.c_str(), TRUE);
        if (!ok && failure->empty())
            *failure = source + L" cannot be kept: " + SystemMessage(GetLastError()) + L".";
    } while (ok && FindNextFileW(search, &entry));
    FindClose(search);
    return ok;
}

// Puts the staging folder in the install folder's place. A copy installed before is set
// aside first and comes back if the move fails, so the folder is always whole.
bool MoveIntoPlace(const std::wstring& staging, const std::wstring& target, std::wstring* failure) {
    std::wstring retired = target + RetiredSuffix;
    bool hadCopy = Exists(target);
    if (hadCopy) {
        RemoveTree(retired);
        if (!MoveFileExW(target.c_str(), retired.c_str(), 0)) {
            *failure = L"The copy installed in " + target + L" cannot be replaced: " +
                       SystemMessage(GetLastError()) + L".";
            return false;
        }
    }
    if (!MoveFileExW(staging.c_str(), target.c_str(), 0)) {
        *failure = L"The files cannot be moved into " + target + L": " +
                   SystemMessage(GetLastError()) + L".";
        if (hadCopy) MoveFileExW(retired.c_str(), target.c_str(), 0);
        return false;
    }
    if (hadCopy) RemoveTree(retired);
    return true;
}
