// The install folder's file work: folders of the installer's own to unpack into and to set
// old files aside in, and the cabinet's files moved into place one by one, so that an
// installation either puts every file in place or leaves the folder as it was.
#include "install_folder.h"
#include <shlobj.h>

namespace {

// The mark inside each folder of the installer's own. A user's folder of the same name but
// without it is the user's.
const WCHAR OwnMark[] = L"~pixmora-installer-folder";
const char OwnMarkText[] = "Made by the Pixmora cabinet installer: removed by the next one.\r\n";
const WCHAR OwnInfix[] = L".~pixmora-";

std::wstring FolderOf(const std::wstring& path) {
    size_t end = path.find_last_of(L"\\/");
    return end == std::wstring::npos ? std::wstring() : path.substr(0, end);
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

bool IsLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsOwnFolder(const std::wstring& folder) {
    DWORD attributes = Attributes(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !IsLink(attributes) && !IsLink(Attributes(folder + L"\\" + OwnMark)) &&
           Exists(folder + L"\\" + OwnMark);
}

// Removes what a folder holds but the entry named kept, never following a link; true when
// all of it went.
bool RemoveContents(const std::wstring& folder, const WCHAR* kept = L"") {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool all = true;
    do {
        std::wstring name = entry.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L".." || name == kept) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            all = false;
        } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            all = RemoveContents(path) && RemoveDirectoryW(path.c_str()) && all;
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            all = DeleteFileW(path.c_str()) && all;
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return all;
}

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
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD MakeFolders(const std::wstring& path, std::vector<std::wstring>* made) {
    DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? (DWORD)ERROR_SUCCESS
                                                       : (DWORD)ERROR_ALREADY_EXISTS;
    std::wstring parent = FolderOf(path);
    if (!parent.empty() && parent.back() != L':' && parent.size() < path.size())
        if (DWORD error = MakeFolders(parent, made)) return error;
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        DWORD error = GetLastError();
        return error == ERROR_ALREADY_EXISTS && (Attributes(path) & FILE_ATTRIBUTE_DIRECTORY)
                   ? (DWORD)ERROR_SUCCESS
                   : error;
    }
    if (made) made->push_back(path);
    return ERROR_SUCCESS;
}

DWORD MakeOwnFolder(const std::wstring& target, const WCHAR* kind, std::wstring* folder) {
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int n = 0; n < 100 && error == ERROR_ALREADY_EXISTS; n++) {
        WCHAR number[32];
        wsprintfW(number, L"-%lx-%d", GetCurrentProcessId(), n);
        *folder = target + OwnInfix + kind + number;
        error = CreateDirectoryW(folder->c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
    }
    if (error) return error;
    HANDLE mark = CreateFileW((*folder + L"\\" + OwnMark).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool marked = mark != INVALID_HANDLE_VALUE &&
                  WriteFile(mark, OwnMarkText, sizeof OwnMarkText - 1, &written, nullptr) &&
                  written == sizeof OwnMarkText - 1;
    error = marked ? ERROR_SUCCESS : GetLastError();
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    if (error) {
        DeleteFileW((*folder + L"\\" + OwnMark).c_str());
        RemoveDirectoryW(folder->c_str());
    }
    return error;
}

bool RemoveOwnFolder(const std::wstring& folder) {
    if (!IsOwnFolder(folder)) return !Exists(folder);
    // The mark goes last: a folder that cannot be removed whole stays marked as ours.
    return RemoveContents(folder, OwnMark) && DeleteFileW((folder + L"\\" + OwnMark).c_str()) &&
           RemoveDirectoryW(folder.c_str());
}

void RemoveLeftovers(const std::wstring& target) {
    std::wstring parent = FolderOf(target);
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((target + OwnInfix + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveOwnFolder(parent + L"\\" + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

bool MoveIntoPlace(const std::wstring& staging, const std::vector<std::wstring>& names,
                   const std::wstring& target, std::wstring* failure) {
    std::wstring aside;
    if (DWORD error = MakeOwnFolder(target, L"replaced", &aside)) {
        *failure = L"No folder to set the installed files aside in can be made beside " + target +
                   L": " + SystemMessage(error) + L".";
        return false;
    }
    std::vector<std::wstring> made, setAside, placed;
    bool ok = true;
    for (const std::wstring& name : names) {
        std::wstring from = staging + L"\\" + name, to = target + L"\\" + name,
                     old = aside + L"\\" + name;
        DWORD error = MakeFolders(FolderOf(to), &made);
        if (!error && Exists(to)) {
            error = MakeFolders(FolderOf(old));
            if (!error && !MoveFileExW(to.c_str(), old.c_str(), 0)) error = GetLastError();
            if (!error) setAside.push_back(name);
        }
        if (!error && !MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
            error = GetLastError();
        if (error) {
            *failure =
                L"The file " + to + L" cannot be put in place: " + SystemMessage(error) + L".";
            ok = false;
            break;
        }
        placed.push_back(name);
    }
    if (!ok) {
        // Back as it was: the new files out, the old ones in, the folders made removed.
        for (const std::wstring& name : placed)
            MoveFileExW((target + L"\\" + name).c_str(), (staging + L"\\" + name).c_str(), 0);
        for (const std::wstring& name : setAside)
            MoveFileExW((aside + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), 0);
        for (auto folder = made.rbegin(); folder != made.rend(); ++folder)
            RemoveDirectoryW(folder->c_str());
    }
    // A set-aside folder that cannot be removed (a file in use) stays, marked: the next
    // installation removes it, and it never stands in that one's way.
    RemoveOwnFolder(aside);
    return ok;
}
