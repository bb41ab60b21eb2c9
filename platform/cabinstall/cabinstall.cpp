// Stand-in for the handheld's cabinet installer: installs the files of the cabinet named on
// its command line and says in a message box whether that worked and where they went.
// The install folder is %PIXMORA_INSTALL_DIR% when set, else <Program Files>\Pixmora. The
// files are unpacked into a folder of the installer's own beside it and moved into place only
// once all of them arrived whole, so a failed installation leaves the install folder as it
// was. Files and links there that the cabinet does not bring are never touched.
#include <windows.h>
#include <fcntl.h>
#include <fdi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <climits>
#include <string>
#include <vector>
#include "install_folder.h"

namespace {

const WCHAR ProgramName[] = L"Pixmora";
const WCHAR LogName[] = L"install.log";
// Held while an installer unpacks and moves files: two at once would share the staging
// folder and take each other's files away.
const WCHAR BusyName[] = L"Pixmora.CabinetInstaller";

struct Installed {
    std::wstring name;
    ULONGLONG bytes;
};

struct Unpacking {
    std::wstring folder; // where the files are unpacked: the staging folder
    std::vector<Installed> files;
    std::wstring failure;
};

std::wstring InstallFolder() {
    WCHAR path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        // "D:\Apps\Pixmora\" names the folder "D:\Apps\Pixmora": with the separator kept the
        // staging folder would be made inside it and it could never be replaced. A drive's
        // root keeps its separator.
        while (length > 1 && (path[length - 1] == L'\\' || path[length - 1] == L'/') &&
               path[length - 2] != L':')
            path[--length] = 0;
        return path;
    }
    // A folder named but too long for a path is no reason to install somewhere else.
    if (length >= MAX_PATH) return L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path))) return L"";
    return std::wstring(path) + L"\\" + ProgramName;
}

// Names from the cabinet stay inside the install folder: no drive, no root, no "..".
bool IsSafeName(const std::wstring& name) {
    if (name.empty() || name[0] == L'\\' || name[0] == L'/' || name.find(L':') != name.npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"\\/", start);
        if (end == name.npos) end = name.size();
        if (name.compare(start, end - start, L"..") == 0) return false;
        start = end + 1;
    }
    return true;
}

bool IsDeviceName(const std::wstring& part) {
    std::wstring base = part.substr(0, part.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (const WCHAR* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (lstrcmpiW(base.c_str(), device) == 0) return true;
    return base.size() == 4 &&
           (_wcsnicmp(base.c_str(), L"COM", 3) == 0 || _wcsnicmp(base.c_str(), L"LPT", 3) == 0) &&
           base[3] >= L'0' && base[3] <= L'9';
}

// A name the file system takes as it is: no device's name, no character a file name cannot
// hold, no part empty or ending in a dot or a blank (which the system would drop).
bool IsAllowedName(const std::wstring& name) {
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"\\/", start);
        if (end == name.npos) end = name.size();
        std::wstring part = name.substr(start, end - start);
        if (part.empty() || part.back() == L'.' || part.back() == L' ' || IsDeviceName(part))
            return false;
        for (WCHAR c : part)
            if (c < 32 || wcschr(L"<>:\"|?*", c)) return false;
        start = end + 1;
    }
    return true;
}

// The same file to the file system: names that differ only in case (of any letter, as the
// file system folds it) or separators.
bool SameName(std::wstring a, std::wstring b) {
    for (std::wstring* name : {&a, &b})
        for (WCHAR& c : *name)
            if (c == L'/') c = L'\\';
    return CompareStringOrdinal(a.c_str(), (int)a.size(), b.c_str(), (int)b.size(), TRUE) ==
           CSTR_EQUAL;
}

// A member's name as the cabinet means it: UTF-8 where its attributes say so, else in the
// system's code page. False when the bytes are no text in that encoding; the name then holds
// them with the undecodable ones replaced, enough for the user to tell which member it is.
bool DecodeMemberName(const char* bytes, USHORT attributes, std::wstring* name) {
    UINT codePage = (attributes & _A_NAME_IS_UTF) ? CP_UTF8 : CP_ACP;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int size = MultiByteToWideChar(codePage, flags, bytes, -1, nullptr, 0);
    if (size <= 0) {
        flags = 0;
        size = MultiByteToWideChar(codePage, flags, bytes, -1, nullptr, 0);
    }
    name->clear();
    if (size <= 0) return false;
    name->resize(size);
    if (MultiByteToWideChar(codePage, flags, bytes, -1, name->data(), size) != size) {
        name->clear();
        return false;
    }
    name->pop_back(); // the closing NUL
    return flags != 0;
}

ULONGLONG FreeSpace(const std::wstring& folder) {
    ULARGE_INTEGER room = {};
    return GetDiskFreeSpaceExW(folder.c_str(), &room, nullptr, nullptr) ? room.QuadPart : ~0ull;
}

ULONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return ~0ull;
    return ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// The unpacker's file work. It opens nothing but the cabinet being installed (one that
// continues in another is refused): it asks for it by the name Unpack hands it and gets it
// opened by its wide path, which no ANSI string could always hold. The members are opened by
// OnFileInCabinet. Handles are Win32 file handles.
const char CabinetAlias[] = "cabinet";
struct UnpackerFiles {
    std::wstring cabinet;
    HANDLE member = INVALID_HANDLE_VALUE; // the member being written
    DWORD writeError = NO_ERROR;          // why writing it failed
};
UnpackerFiles unpackerFiles;

void* DIAMONDAPI UnpackerAlloc(ULONG bytes) {
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void DIAMONDAPI UnpackerFree(void* block) {
    HeapFree(GetProcessHeap(), 0, block);
}

INT_PTR DIAMONDAPI UnpackerOpen(char* name, int flags, int) {
    if (lstrcmpA(name, CabinetAlias) != 0 || (flags & (_O_WRONLY | _O_RDWR))) return -1;
    HANDLE file = CreateFileW(unpackerFiles.cabinet.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? -1 : (INT_PTR)file;
}

UINT DIAMONDAPI UnpackerRead(INT_PTR file, void* buffer, UINT bytes) {
    DWORD got = 0;
    return ReadFile((HANDLE)file, buffer, bytes, &got, nullptr) ? got : (UINT)-1;
}

UINT DIAMONDAPI UnpackerWrite(INT_PTR file, void* buffer, UINT bytes) {
    DWORD put = 0;
    BOOL written = WriteFile((HANDLE)file, buffer, bytes, &put, nullptr);
    if (written && put == bytes) return put;
    // A write cut short without an error has met the end of the disk's room.
    unpackerFiles.writeError = written ? ERROR_DISK_FULL : GetLastError();
    return (UINT)-1;
}

int DIAMONDAPI UnpackerClose(INT_PTR file) {
    if ((HANDLE)file == unpackerFiles.member) unpackerFiles.member = INVALID_HANDLE_VALUE;
    return CloseHandle((HANDLE)file) ? 0 : -1;
}

LONG DIAMONDAPI UnpackerSeek(INT_PTR file, LONG distance, int origin) {
    LARGE_INTEGER move, at;
    move.QuadPart = distance;
    // The unpacker's origins are FILE_BEGIN, FILE_CURRENT and FILE_END.
    if (!SetFilePointerEx((HANDLE)file, move, &at, origin) || at.QuadPart > LONG_MAX) return -1;
    return (LONG)at.QuadPart;
}

INT_PTR OnFileInCabinet(Unpacking* unpacking, const FDINOTIFICATION* info) {
    std::wstring name;
    bool decoded = DecodeMemberName(info->psz1, info->attribs, &name);
    if (!IsSafeName(name)) {
        unpacking->failure = L"The cabinet holds a file named \"" + name +
                             L"\", which would land outside the install folder.";
        return -1;
    }
    if (!decoded || !IsAllowedName(name)) {
        unpacking->failure = L"The cabinet holds a file named \"" + name +
                             L"\", which is not allowed as a file name.";
        return -1;
    }
    for (const Installed& earlier : unpacking->files) {
        if (SameName(earlier.name, name) || SameName(name, LogName)) {
            unpacking->failure = L"The cabinet holds two files named \"" + name + L"\".";
            return -1;
        }
    }
    ULONGLONG bytes = (ULONG)info->cb;
    if (bytes >= FreeSpace(unpacking->folder)) {
        unpacking->failure = L"The disk is full: " + name + L" (" + std::to_wstring(bytes) +
                             L" bytes) does not fit in " + unpacking->folder + L".";
        return -1;
    }
    std::wstring target = unpacking->folder + L"\\" + name;
    if (target.size() >= MAX_PATH) {
        unpacking->failure = L"The path for " + name + L" is too long.";
        return -1;
    }
    std::wstring folder = target.substr(0, target.find_last_of(L"\\/"));
    if (DWORD error = MakeFolders(folder)) {
        unpacking->failure =
            L"The folder " + folder + L" cannot be made: " + SystemMessage(error) + L".";
        return -1;
    }
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        unpacking->failure =
            target + L" cannot be written: " + SystemMessage(GetLastError()) + L".";
        return -1;
    }
    unpackerFiles.member = file;
    unpacking->files.push_back({name, bytes});
    return (INT_PTR)file;
}

// A damaged cabinet can end a file early without the unpacker noticing: each file must
// arrive with the size the cabinet gives it.
INT_PTR OnFileExtracted(Unpacking* unpacking, const FDINOTIFICATION* info) {
    const Installed& file = unpacking->files.back();
    std::wstring path = unpacking->folder + L"\\" + file.name;
    if (UnpackerClose(info->hf) != 0) {
        unpacking->failure = path + L" cannot be written: " + SystemMessage(GetLastError()) + L".";
        return FALSE;
    }
    if (FileSize(path) != file.bytes) {
        unpacking->failure = L"The cabinet is damaged: " + file.name + L" arrived incomplete.";
        return FALSE;
    }
    return TRUE;
}

INT_PTR DIAMONDAPI OnCabinetNotice(FDINOTIFICATIONTYPE notice, PFDINOTIFICATION info) {
    Unpacking* unpacking = (Unpacking*)info->pv;
    switch (notice) {
    case fdintCOPY_FILE: return OnFileInCabinet(unpacking, info);
    case fdintCLOSE_FILE_INFO: return OnFileExtracted(unpacking, info);
    case fdintNEXT_CABINET:
        unpacking->failure = L"The cabinet continues in another cabinet, which is not there.";
        return -1;
    default: return 0; // a member begun in an earlier cabinet is not there to take
    }
}

// Unpacks every member into the staging folder; false with the failure told.
bool UnpackMembers(const std::wstring& cabinet, Unpacking* unpacking) {
    unpackerFiles = {cabinet};
    ERF error = {};
    HFDI unpacker = FDICreate(UnpackerAlloc, UnpackerFree, UnpackerOpen, UnpackerRead,
                              UnpackerWrite, UnpackerClose, UnpackerSeek, cpuUNKNOWN, &error);
    if (!unpacker) {
        unpacking->failure =
            L"The cabinet cannot be unpacked: " + SystemMessage(ERROR_NOT_ENOUGH_MEMORY) + L".";
        return false;
    }
    char alias[sizeof CabinetAlias], folder[] = "";
    lstrcpynA(alias, CabinetAlias, sizeof alias);
    bool ok = FDICopy(unpacker, alias, folder, 0, OnCabinetNotice, nullptr, unpacking);
    FDIDestroy(unpacker);
    // Stopped while writing a member: the unpacker may leave it open.
    if (unpackerFiles.member != INVALID_HANDLE_VALUE) UnpackerClose((INT_PTR)unpackerFiles.member);
    if (!unpacking->failure.empty()) return false;
    if (unpackerFiles.writeError != NO_ERROR && !unpacking->files.empty()) {
        const std::wstring& name = unpacking->files.back().name;
        DWORD written = unpackerFiles.writeError;
        unpacking->failure =
            written == ERROR_DISK_FULL || written == ERROR_HANDLE_DISK_FULL
                ? L"The disk is full: " + name + L" does not fit in " + unpacking->folder + L"."
                : unpacking->folder + L"\\" + name + L" cannot be written: " +
                      SystemMessage(written) + L".";
        return false;
    }
    if (!ok || unpacking->files.empty()) {
        unpacking->failure = L"The cabinet " + cabinet + L" is damaged or is no cabinet.";
        return false;
    }
    return true;
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return "";
    std::string out(size - 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

bool WriteLog(const std::wstring& folder, const std::string& text) {
    std::wstring path = folder + L"\\" + LogName;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) &&
              written == text.size();
    return CloseHandle(file) && ok;
}

// Unpacks the whole cabinet into the staging folder, with install.log listing its files.
bool Unpack(const std::wstring& cabinet, Unpacking* unpacking) {
    if (GetFileAttributesW(cabinet.c_str()) == INVALID_FILE_ATTRIBUTES) {
        unpacking->failure = L"The cabinet " + cabinet + L" cannot be opened: " +
                             SystemMessage(GetLastError()) + L".";
        return false;
    }
    if (!UnpackMembers(cabinet, unpacking)) return false;
    std::string log = "cabinet " + Utf8(cabinet) + "\r\n";
    for (const Installed& file : unpacking->files)
        log += "installed " + Utf8(file.name) + " " + std::to_string(file.bytes) + "\r\n";
    log += "done " + std::to_string(unpacking->files.size()) + " files\r\n";
    if (!WriteLog(unpacking->folder, log)) {
        unpacking->failure =
            L"install.log cannot be written: " + SystemMessage(GetLastError()) + L".";
        return false;
    }
    return true;
}

// Installs the cabinet; the text to show the user, and whether it worked.
bool Install(const std::wstring& cabinet, std::wstring* report) {
    std::wstring target = InstallFolder();
    if (target.empty()) {
        *report = L"There is no folder to install into.";
        return false;
    }
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *report = L"The install folder " + target + L" is a file.";
        return false;
    }
    // A drive's root cannot be set aside, and the staging folder would lie inside it.
    if (target.back() == L'\\' || target.back() == L'/') {
        *report = L"The install folder " + target + L" is a drive's root.";
        return false;
    }
    std::wstring parent = target.substr(0, target.find_last_of(L"\\/"));
    if (DWORD error = parent.size() < target.size() ? MakeFolders(parent) : 0) {
        *report = L"The folder " + parent + L" cannot be made: " + SystemMessage(error) + L".";
        return false;
    }
    // Only this installer runs (it holds the lock): whatever of its own lies beside the
    // install folder was left by one that was cut off.
    RemoveLeftovers(target);
    Unpacking unpacking;
    if (DWORD error = MakeOwnFolder(target, L"installing", &unpacking.folder)) {
        *report = L"No folder to unpack into can be made beside " + target + L": " +
                  SystemMessage(error) + L".";
        return false;
    }
    std::vector<std::wstring> made;
    bool ok = Unpack(cabinet, &unpacking);
    if (ok) {
        if (DWORD error = MakeFolders(target, &made)) {
            unpacking.failure =
                L"The folder " + target + L" cannot be made: " + SystemMessage(error) + L".";
            ok = false;
        }
    }
    if (ok) {
        std::vector<std::wstring> names;
        for (const Installed& file : unpacking.files)
            names.push_back(file.name);
        names.push_back(LogName);
        ok = MoveIntoPlace(unpacking.folder, names, target, &unpacking.failure);
    }
    RemoveOwnFolder(unpacking.folder);
    if (!ok) {
        for (auto folder = made.rbegin(); folder != made.rend(); ++folder)
            RemoveDirectoryW(folder->c_str());
        *report = unpacking.failure;
        return false;
    }
    *report = target;
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        MessageBoxW(nullptr, L"Usage: cabinstall CABINET", ProgramName, MB_OK | MB_ICONERROR);
        if (argv) LocalFree(argv);
        return 2;
    }
    std::wstring report;
    bool ok = false;
    HANDLE busy = CreateMutexW(nullptr, FALSE, BusyName);
    if (!busy)
        report = L"The installation cannot start: " + SystemMessage(GetLastError()) + L".";
    else if (GetLastError() == ERROR_ALREADY_EXISTS)
        report = L"Another installation of Pixmora is under way.";
    else
        ok = Install(argv[1], &report);
    if (busy) CloseHandle(busy); // the next installer may start while this one reports
    LocalFree(argv);
    std::wstring text = ok ? std::wstring(ProgramName) + L" was installed in:\n" + report
                           : std::wstring(ProgramName) + L" could not be installed.\n" + report +
                                 L"\nNothing was installed.";
    MessageBoxW(nullptr, text.c_str(), ProgramName,
                MB_OK | MB_SETFOREGROUND | (ok ? MB_ICONINFORMATION : MB_ICONERROR));
    return ok ? 0 : 1;
}
