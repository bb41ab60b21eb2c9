// Stand-in for the handheld's cabinet installer: installs the files of the cabinet named on
// its command line and says in a message box whether that worked and where they went.
// The install folder is %PIXMORA_INSTALL_DIR% when set, else <Program Files>\Pixmora. The
// files are unpacked into a folder beside it and moved into place only once all of them
// arrived whole, so a failed installation leaves the install folder as it was. Files there
// that the cabinet does not bring are kept.
#include <windows.h>
#include <setupapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <string>
#include <vector>
#include "install_folder.h"

namespace {

const WCHAR ProgramName[] = L"Pixmora";
const WCHAR StagingSuffix[] = L".installing";
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
    std::wstring path = folder + L"\\install.log";
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
    Unpacking unpacking;
    unpacking.folder = target + StagingSuffix;
    RemoveTree(unpacking.folder); // left by an installation that was cut off
    if (!CreateDirectoryW(unpacking.folder.c_str(), nullptr)) {
        *report = L"The folder " + unpacking.folder + L" cannot be made: " +
                  SystemMessage(GetLastError()) + L".";
        return false;
    }
    bool ok = Unpack(cabinet, &unpacking) &&
              KeepOtherFiles(target, unpacking.folder, &unpacking.failure) &&
              MoveIntoPlace(unpacking.folder, target, &unpacking.failure);
    if (!ok) {
        RemoveTree(unpacking.folder);
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
