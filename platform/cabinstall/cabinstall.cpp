// Stand-in for the handheld's cabinet installer: unpacks the cabinet named on the command
// line into the install folder and writes install.log there, listing each file installed.
// The install folder is %PIXMORA_INSTALL_DIR% when set, else <Program Files>\Pixmora.
#include <windows.h>
#include <setupapi.h>
#include <shlobj.h>
#include <string>
#include <vector>

namespace {

struct Installed {
    std::wstring name;
    ULONGLONG bytes;
};

struct Unpacking {
    std::wstring folder;
    std::vector<Installed> files;
    std::wstring failure;
};

std::wstring InstallFolder() {
    WCHAR path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return path;
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path))) return L"";
    return std::wstring(path) + L"\\Pixmora";
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

bool MakeFolders(const std::wstring& path) {
    int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

UINT CALLBACK OnCabinetEvent(PVOID context, UINT event, UINT_PTR param1, UINT_PTR) {
    Unpacking* unpacking = (Unpacking*)context;
    switch (event) {
    case SPFILENOTIFY_FILEINCABINET: {
        FILE_IN_CABINET_INFO_W* info = (FILE_IN_CABINET_INFO_W*)param1;
        std::wstring name = info->NameInCabinet;
        if (!IsSafeName(name)) {
            unpacking->failure = L"refused the file name " + name;
            return FILEOP_ABORT;
        }
        std::wstring target = unpacking->folder + L"\\" + name;
        size_t slash = target.find_last_of(L"\\/");
        if (target.size() >= MAX_PATH || !MakeFolders(target.substr(0, slash))) {
            unpacking->failure = L"cannot make a place for " + name;
            return FILEOP_ABORT;
        }
        lstrcpynW(info->FullTargetName, target.c_str(), MAX_PATH);
        unpacking->files.push_back({name, info->FileSize});
        return FILEOP_DOIT;
    }
    case SPFILENOTIFY_FILEEXTRACTED: {
        const FILEPATHS_W* paths = (const FILEPATHS_W*)param1;
        if (paths->Win32Error != NO_ERROR) {
            unpacking->failure = std::wstring(L"could not write ") + paths->Target;
            return paths->Win32Error;
        }
        return NO_ERROR;
    }
    case SPFILENOTIFY_NEEDNEWCABINET:
        unpacking->failure = L"the cabinet continues in another cabinet";
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

// The log appears whole or not at all, so a watcher never reads half of it.
bool WriteLog(const std::wstring& folder, const std::string& text) {
    std::wstring temporary = folder + L"\\install.log.new";
    std::wstring final = folder + L"\\install.log";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) &&
              written == text.size();
    ok = CloseHandle(file) && ok;
    if (!ok) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return MoveFileExW(temporary.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: cabinstall CABINET\n");
        return 2;
    }
    Unpacking unpacking;
    unpacking.folder = InstallFolder();
    if (unpacking.folder.empty() || !MakeFolders(unpacking.folder)) {
        fwprintf(stderr, L"cabinstall: no install folder\n");
        return 1;
    }
    BOOL ok = SetupIterateCabinetW(argv[1], 0, OnCabinetEvent, &unpacking);
    if (!ok && unpacking.failure.empty())
        unpacking.failure =
            L"could not read the cabinet (error " + std::to_wstring(GetLastError()) + L")";
    std::string log = "cabinet " + Utf8(argv[1]) + "\r\n";
    for (const Installed& file : unpacking.files)
        log += "installed " + Utf8(file.name) + " " + std::to_string(file.bytes) + "\r\n";
    bool success = ok && unpacking.failure.empty();
    log += success ? "done " + std::to_string(unpacking.files.size()) + " files\r\n"
                   : "failed: " + Utf8(unpacking.failure) + "\r\n";
    if (!WriteLog(unpacking.folder, log)) {
        fwprintf(stderr, L"cabinstall: could not write install.log\n");
        return 1;
    }
    return success ? 0 : 1;
}
