// Stand-in for the handheld's cabinet installer: installs the files of the cabinet named on
// its command line and says in a message box whether that worked and where they went.
// The install folder is %PIXMORA_INSTALL_DIR% when set, else <Program Files>\Pixmora. The
// files are unpacked into a folder of the installer's own beside it and moved into place only
// once all of them arrived whole, so a failed installation leaves the install folder as it
// was. Files and links there that the cabinet does not bring are never touched.
#include <windows.h>
#include <setupapi.h>
#include <shellapi.h>
#include <shlobj.h>
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

// The same file to the file system: names that differ only in case or separators.
bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        WCHAR x = a[i] == L'/' ? L'\\' : a[i], y = b[i] == L'/' ? L'\\' : b[i];
        if (CharUpperW((LPWSTR)(ULONG_PTR)x) != CharUpperW((LPWSTR)(ULONG_PTR)y)) return false;
    }
    return true;
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

UINT OnFileInCabinet(Unpacking* unpacking, FILE_IN_CABINET_INFO_W* info) {
    std::wstring name = info->NameInCabinet;
    if (!IsSafeName(name)) {
        unpacking->failure = L"The cabinet holds a file named \"" + name +
                             L"\", which would land outside the install folder.";
        return FILEOP_ABORT;
    }
    if (!IsAllowedName(name)) {
        unpacking->failure = L"The cabinet holds a file named \"" + name +
                             L"\", which is not allowed as a file name.";
        return FILEOP_ABORT;
    }
    for (const Installed& earlier : unpacking->files) {
        if (SameName(earlier.name, name) || SameName(name, LogName)) {
            unpacking->failure = L"The cabinet holds two files named \"" + name + L"\".";
            return FILEOP_ABORT;
        }
    }
    if (info->FileSize >= FreeSpace(unpacking->folder)) {
        unpacking->failure = L"The disk is full: " + name + L" (" +
                             std::to_wstring(info->FileSize) + L" bytes) does not fit in " +
                             unpacking->folder + L".";
        return FILEOP_ABORT;
    }
    std::wstring target = unpacking->folder + L"\\" + name;
    if (target.size() >= MAX_PATH) {
        unpacking->failure = L"The path for " + name + L" is too long.";
        return FILEOP_ABORT;
    }
    std::wstring folder = target.substr(0, target.find_last_of(L"\\/"));
    if (DWORD error = MakeFolders(folder)) {
        unpacking->failure =
            L"The folder " + folder + L" cannot be made: " + SystemMessage(error) + L".";
        return FILEOP_ABORT;
    }
    lstrcpynW(info->FullTargetName, target.c_str(), MAX_PATH);
    unpacking->files.push_back({name, info->FileSize});
    return FILEOP_DOIT;
}

// A damaged cabinet can end a file early without the unpacker noticing: each file must
// arrive with the size the cabinet gives it.
UINT OnFileExtracted(Unpacking* unpacking, const FILEPATHS_W* paths) {
    if (paths->Win32Error != NO_ERROR) {
        unpacking->failure = std::wstring(paths->Target) + L" cannot be written: " +
                             SystemMessage(paths->Win32Error) + L".";
        return paths->Win32Error;
    }
    if (!unpacking->files.empty() && FileSize(paths->Target) != unpacking->files.back().bytes) {
        // The unpacker does not tell a write that failed for want of room.
        ULONGLONG got = FileSize(paths->Target), wanted = unpacking->files.back().bytes;
        if (got < wanted && FreeSpace(unpacking->folder) < wanted - got) {
            unpacking->failure = L"The disk is full: " + unpacking->files.back().name +
                                 L" does not fit in " + unpacking->folder + L".";
            return ERROR_DISK_FULL;
        }
        unpacking->failure =
            L"The cabinet is damaged: " + unpacking->files.back().name + L" arrived incomplete.";
        return ERROR_INVALID_DATA;
    }
    return NO_ERROR;
}

UINT CALLBACK OnCabinetEvent(PVOID context, UINT event, UINT_PTR param1, UINT_PTR) {
    Unpacking* unpacking = (Unpacking*)context;
    switch (event) {
    case SPFILENOTIFY_FILEINCABINET:
        return OnFileInCabinet(unpacking, (FILE_IN_CABINET_INFO_W*)param1);
    case SPFILENOTIFY_FILEEXTRACTED: return OnFileExtracted(unpacking, (const FILEPATHS_W*)param1);
    case SPFILENOTIFY_NEEDNEWCABINET:
        unpacking->failure = L"The cabinet continues in another cabinet, which is not there.";
        return ERROR_FILE_NOT_FOUND;
    default: return NO_ERROR;
    }
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
    BOOL ok = SetupIterateCabinetW(cabinet.c_str(), 0, OnCabinetEvent, unpacking);
    if (!unpacking->failure.empty()) return false;
    if (!ok || unpacking->files.empty()) {
        unpacking->failure = L"The cabinet " + cabinet + L" is damaged or is no cabinet.";
        return false;
    }
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
