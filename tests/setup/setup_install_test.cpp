// End-to-end tests of the installation: setup.exe runs as its own process, the shell opens
// Pixmora.CAB with the stand-in cabinet installer registered for .CAB files in this Wine
// prefix, the editor arrives in the install folder and the installer says so in a box.
#include "setup_driver.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <shellapi.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <string>

namespace {

const DWORD Patience = 30000;

bool SetDefaultValue(const wchar_t* key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExW(handle, nullptr, 0, REG_SZ, (const BYTE*)value.c_str(),
                                 (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

// The association a device's own cabinet installer has, pointing at the stand-in.
bool RegisterCabinetInstaller() {
    std::wstring command = L"\"" + WindowsPath(CABINSTALL_EXE) + L"\" \"%1\"";
    return SetDefaultValue(L".cab", L"Pixmora.Cabinet") &&
           SetDefaultValue(L"Pixmora.Cabinet\\shell\\open\\command", command);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RunLinuxCommandFor(const std::string& command, const std::wstring& path, bool made);

void RemoveFolder(const std::wstring& folder) {
    std::wstring from = folder + L'\0'; // the list ends with a second NUL
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
    // A symbolic link whose file is gone is out of Wine's reach.
    if (Exists(folder)) RunLinuxCommandFor("rm -rf '" + LinuxPath(folder) + "'", folder, false);
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// What one run of the cabinet installer showed, and how it ended.
struct InstallerRun {
    bool ran = false;
    std::vector<ShownBox> boxes;
    DWORD exitCode = 0;
};

std::wstring BuiltCabinetPath() {
    return WindowsPath(SETUP_EXE).substr(0, WindowsPath(SETUP_EXE).rfind(L'\\')) + L"\\Pixmora.CAB";
}
std::vector<BYTE> BuiltCabinet() {
    return ReadWholeFile(BuiltCabinetPath());
}

// Damages a copy of the real cabinet as a broken download or a hostile file would.
std::vector<BYTE> Truncated(std::vector<BYTE> cabinet) {
    cabinet.resize(cabinet.size() / 2);
    return cabinet;
}
std::vector<BYTE> MemberRenamed(std::vector<BYTE> cabinet) {
    // The member's name is stored once, NUL-ended, in the cabinet's file table.
    const char name[] = "Pixmora.exe";
    auto at = std::search(cabinet.begin(), cabinet.end(), name, name + sizeof name);
    if (at == cabinet.end()) return {};
    const char hostile[sizeof name] = "..\\x.exe";
    std::copy(hostile, hostile + sizeof hostile, at);
    return cabinet;
}

// A cabinet of uncompressed members, as a hostile or careless packer could make it.
std::vector<BYTE> MakeCabinet(const std::vector<std::pair<std::string, std::string>>& members) {
    auto put16 = [](std::vector<BYTE>& b, size_t v) {
        b.push_back((BYTE)v);
        b.push_back((BYTE)(v >> 8));
    };
    auto put32 = [&](std::vector<BYTE>& b, size_t v) {
        put16(b, v & 0xFFFF);
        put16(b, v >> 16);
    };
    std::vector<BYTE> files, data;
    std::string stream;
    for (const auto& member : members) {
        put32(files, member.second.size());
        put32(files, stream.size());
        put16(files, 0);
        put16(files, 0x5A21); // 2025-01-01
        put16(files, 0);
        put16(files, 0x20);
        files.insert(files.end(), member.first.begin(), member.first.end());
        files.push_back(0);
        stream += member.second;
    }
    int blocks = 0;
    for (size_t at = 0; at < stream.size() || blocks == 0; at += 32768, blocks++) {
        size_t n = std::min<size_t>(32768, stream.size() - at);
        put32(data, 0);
        put16(data, n);
        put16(data, n);
        data.insert(data.end(), stream.begin() + at, stream.begin() + at + n);
    }
    std::vector<BYTE> cabinet = {'M', 'S', 'C', 'F'};
    size_t filesAt = 36 + 8, dataAt = filesAt + files.size();
    put32(cabinet, 0);
    put32(cabinet, dataAt + data.size());
    put32(cabinet, 0);
    put32(cabinet, filesAt);
    put32(cabinet, 0);
    cabinet.push_back(3);
    cabinet.push_back(1);
    put16(cabinet, 1);
    put16(cabinet, members.size());
    put16(cabinet, 0);
    put16(cabinet, 0);
    put16(cabinet, 0);
    put32(cabinet, dataAt);
    put16(cabinet, blocks);
    put16(cabinet, 0);
    cabinet.insert(cabinet.end(), files.begin(), files.end());
    cabinet.insert(cabinet.end(), data.begin(), data.end());
    return cabinet;
}

// The bytes as a printf format: every byte but letters and digits an octal escape, so a
// name that is no UTF-8 passes a command line whole.
std::string PrintfFormat(const std::string& bytes) {
    std::string format;
    for (unsigned char c : bytes) {
        char escape[8];
        snprintf(escape, sizeof escape, isalnum(c) && c < 128 ? "%c" : "\\%03o", c);
        format += escape;
    }
    return format;
}

// A shell command on the Linux side, until the path it makes or removes is there or gone
// (Wine starts Linux programs, but gives no process to wait for).
bool RunLinuxCommandFor(const std::string& command, const std::wstring& path, bool made) {
    std::string line = "/bin/sh -c \"" + command + "\"";
    std::wstring wide(line.begin(), line.end());
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", &wide[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 500 && Exists(path) != made; i++)
        Sleep(10);
    return Exists(path) == made;
}

// A symbolic link, and its removal as a link (removed from Windows, under Wine the file it
// leads to would go).
bool MakeLink(const std::wstring& link, const std::wstring& target) {
    return RunLinuxCommandFor("ln -s '" + LinuxPath(target) + "' '" + LinuxPath(link) + "'", link,
                              true);
}
bool RemoveLink(const std::wstring& link) {
    return RunLinuxCommandFor("rm '" + LinuxPath(link) + "'", link, false);
}

// The folders of the installer's own beside the install folder.
std::vector<std::wstring> OwnFoldersBeside(const std::wstring& installFolder) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((installFolder + L".~pixmora-*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        found.push_back(entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

class InstallTest : public testing::Test {
  protected:
    std::wstring testFolder, installFolder;
    PROCESS_INFORMATION process = {};
    void SetUp() override {
        ASSERT_TRUE(RegisterCabinetInstaller());
        testFolder = MakeTestFolder(L"install");
        RemoveFolder(testFolder);
        ASSERT_TRUE(CreateDirectoryW(testFolder.c_str(), nullptr));
        installFolder = testFolder + L"\\Pixmora";
        SetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", installFolder.c_str());
    }
    void TearDown() override {
        EndProcess(&process);
        while (DWORD left = WaitForProcessNamed(L"cabinstall.exe", 0)) {
            ADD_FAILURE() << "a cabinet installer was still running";
            HANDLE installer = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, left);
            if (!installer) break;
            TerminateProcess(installer, 99);
            WaitForSingleObject(installer, Patience);
            CloseHandle(installer);
        }
        RemoveFolder(testFolder);
    }
    static void EndProcess(PROCESS_INFORMATION* run) {
        if (!run->hProcess) return;
        if (WaitForSingleObject(run->hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(run->hProcess, 99);
        CloseHandle(run->hProcess);
        CloseHandle(run->hThread);
        *run = {};
    }
    std::wstring LogPath() const { return installFolder + L"\\install.log"; }
    // A folder holding a copy of setup.exe and the given cabinet beside it, as a user
    // would have after unpacking a download.
    std::wstring SetupBeside(const std::vector<BYTE>& cabinet) {
        std::wstring folder = testFolder + L"\\download";
        CreateDirectoryW(folder.c_str(), nullptr);
        std::wstring program = folder + L"\\setup.exe";
        EXPECT_TRUE(CopyFileW(WindowsPath(SETUP_EXE).c_str(), program.c_str(), FALSE));
        if (!cabinet.empty()) {
            EXPECT_TRUE(WriteWholeFile(folder + L"\\Pixmora.CAB", cabinet));
        }
        return program;
    }
    // Runs setup through the welcome dialog to the agreement and presses a button there;
    // returns once setup has ended.
    void RunSetupAndPress(const std::wstring& program, int button) {
        ASSERT_TRUE(StartProgram(program, &process));
        HWND main = nullptr;
        HWND agreement = DriveToAgreement(process, &main);
        ASSERT_NE(agreement, nullptr) << "setup did not reach the agreement";
        wchar_t text[32] = {};
        GetWindowTextW(GetDlgItem(main, 200), text, 32);
        EXPECT_STREQ(text, L"I Agree");
        PressButton(main, button);
        ASSERT_EQ(WaitForSingleObject(process.hProcess, Patience), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 0u);
    }
    // Lets the cabinet installer that setup started run to its end, pressing OK on each
    // box it shows. setup hands the cabinet over before it ends, so an installer that is
    // not running once setup has ended was never started.
    InstallerRun FinishInstaller() {
        InstallerRun run;
        DWORD id = WaitForProcessNamed(L"cabinstall.exe", 0);
        if (!id) return run;
        run.ran = true;
        HANDLE installer = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (!installer) return run;
        while (WaitForSingleObject(installer, 0) == WAIT_TIMEOUT) {
            HWND box = WaitForProcessWindow(id, L"#32770", nullptr, Patience);
            if (!box) break;
            run.boxes.push_back(ReadBox(box));
            PressButton(box, IDOK);
            WaitForSingleObject(installer, 2000);
        }
        EXPECT_EQ(WaitForSingleObject(installer, Patience), WAIT_OBJECT_0);
        GetExitCodeProcess(installer, &run.exitCode);
        CloseHandle(installer);
        return run;
    }
    // A cabinet of the members (names as bytes) at path, made by gcab, which marks names that
    // are not ASCII as UTF-8 and compresses, or else as MakeCabinet makes one.
    bool WriteCabinet(const std::wstring& path,
                      const std::vector<std::pair<std::string, std::string>>& members,
                      bool byGcab) {
        if (!byGcab) return WriteWholeFile(path, MakeCabinet(members));
        DeleteFileW(path.c_str());
        std::string command = std::string("sh ") + MAKE_CABINET + " '" + LinuxPath(path) + "'";
        for (const auto& member : members)
            command +=
                " '" + PrintfFormat(member.first) + "' '" + PrintfFormat(member.second) + "'";
        return RunLinuxCommandFor(command, path, true);
    }
    // Runs the cabinet installer on a file, as the shell would.
    InstallerRun RunInstallerOn(const std::wstring& cabinet) {
        STARTUPINFOW startup = {sizeof(startup)};
        std::wstring command = L"\"" + WindowsPath(CABINSTALL_EXE) + L"\" \"" + cabinet + L"\"";
        PROCESS_INFORMATION installer = {};
        EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &installer));
        InstallerRun run = FinishInstaller();
        EndProcess(&installer);
        return run;
    }
    void ExpectFailureShown(const InstallerRun& run, const std::wstring& reason) {
        ASSERT_TRUE(run.ran);
        EXPECT_EQ(run.exitCode, 1u);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].caption, L"Pixmora");
        const std::wstring& text = run.boxes[0].text;
        EXPECT_EQ(text.rfind(L"Pixmora could not be installed.", 0), 0u) << Narrow(text);
        EXPECT_NE(text.find(reason), std::wstring::npos) << Narrow(text);
    }
    // Nothing of a failed or skipped installation is left, beside the folder or in it.
    void ExpectNothingInstalled() {
        EXPECT_FALSE(Exists(installFolder + L"\\Pixmora.exe"));
        EXPECT_FALSE(Exists(LogPath()));
        EXPECT_FALSE(Exists(installFolder + L".installing"));
        EXPECT_FALSE(Exists(testFolder + L"\\x.exe"));
        EXPECT_TRUE(OwnFoldersBeside(installFolder).empty());
    }
    // Folders beside the install folder: the user's own (named as the installer once named
    // its folders, or as it names them now but without its mark), each with a file in it, and
    // one a cut-off installation of the installer's own left behind.
    std::vector<std::wstring> UsersFolders() {
        return {installFolder + L".installing", installFolder + L".old",
                installFolder + L".~pixmora-installing-1234-0"};
    }
    std::wstring LeftOver() const { return installFolder + L".~pixmora-installing-99-0"; }
    void MakeNeighbours() {
        for (const std::wstring& folder : UsersFolders()) {
            ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
            ASSERT_TRUE(WriteWholeFile(folder + L"\\mine.txt", {'m'}));
        }
        ASSERT_TRUE(CreateDirectoryW(LeftOver().c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(LeftOver() + L"\\~pixmora-installer-folder", {'i'}));
        ASSERT_TRUE(CreateDirectoryW((LeftOver() + L"\\sub").c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(LeftOver() + L"\\sub\\Pixmora.exe", {'c', 'u', 't'}));
    }
    void ExpectNeighboursKept() {
        for (const std::wstring& folder : UsersFolders())
            EXPECT_TRUE(ReadWholeFile(folder + L"\\mine.txt") == std::vector<BYTE>{'m'})
                << Narrow(folder);
    }
};

TEST_F(InstallTest, IAgreeInstallsTheEditorAndSaysWhere) {
    // An earlier installation's files are replaced; what the user keeps beside them stays,
    // and so do the user's folders beside the install folder, whatever their names; what a
    // cut-off installation left goes.
    MakeNeighbours();
    ASSERT_TRUE(CreateDirectoryW(installFolder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(installFolder + L"\\Pixmora.exe", {'o', 'l', 'd'}));
    ASSERT_TRUE(CreateDirectoryW((installFolder + L"\\icons").c_str(), nullptr));
    const std::vector<BYTE> mine = {'m', 'i', 'n', 'e'};
    ASSERT_TRUE(WriteWholeFile(installFolder + L"\\icons\\mine.ico", mine));
    // A link the user keeps there, to a file elsewhere, stays a link.
    std::wstring elsewhere = testFolder + L"\\elsewhere.ico", link = installFolder + L"\\link.ico";
    ASSERT_TRUE(WriteWholeFile(elsewhere, mine));
    ASSERT_TRUE(MakeLink(link, elsewhere));
    RunSetupAndPress(WindowsPath(SETUP_EXE), 200);
    InstallerRun run = FinishInstaller();
    ASSERT_TRUE(run.ran) << "setup started no cabinet installer";
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, L"Pixmora");
    EXPECT_EQ(run.boxes[0].text, L"Pixmora was installed in:\n" + installFolder);

    std::vector<BYTE> installed = ReadWholeFile(installFolder + L"\\Pixmora.exe");
    std::vector<BYTE> built = ReadWholeFile(WindowsPath(PIXMORA_EXE));
    ASSERT_FALSE(built.empty());
    EXPECT_TRUE(installed == built) << "the installed editor differs from the built one";
    std::vector<BYTE> bytes = ReadWholeFile(LogPath());
    std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(log.find("installed Pixmora.exe " + std::to_string(built.size())), std::string::npos)
        << log;
    EXPECT_NE(log.find("done 1 files"), std::string::npos) << log;
    EXPECT_TRUE(ReadWholeFile(installFolder + L"\\icons\\mine.ico") == mine);
    ExpectNeighboursKept();
    EXPECT_FALSE(Exists(LeftOver()));
    EXPECT_TRUE(ReadWholeFile(link) == mine);
    ASSERT_TRUE(WriteWholeFile(elsewhere, {'n'}));
    EXPECT_TRUE(ReadWholeFile(link) == std::vector<BYTE>{'n'}) << "a copy, no longer the link";
    EXPECT_TRUE(RemoveLink(link));
    EXPECT_TRUE(Exists(elsewhere));
    EXPECT_EQ(std::vector<std::wstring>{L"Pixmora.~pixmora-installing-1234-0"},
              OwnFoldersBeside(installFolder));

    // Once more, with the folder named by a closing separator: the same folder, replaced.
    SetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", (installFolder + L"\\").c_str());
    run = RunInstallerOn(BuiltCabinetPath());
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, L"Pixmora was installed in:\n" + installFolder);
    EXPECT_TRUE(ReadWholeFile(installFolder + L"\\Pixmora.exe") == built);
    EXPECT_FALSE(Exists(installFolder + L"\\.installing"));
    ExpectNeighboursKept();
}

TEST_F(InstallTest, ADamagedCabinetIsReportedAndInstallsNothing) {
    struct Case {
        const char* name;
        std::function<std::vector<BYTE>(std::vector<BYTE>)> damage;
        const wchar_t* reason;
        bool earlierCopy;
    };
    const Case cases[] = {
        {"cut in half", Truncated, L"damaged", false},
        {"cut in half, over an earlier copy", Truncated, L"damaged", true},
        {"a member named ..\\x.exe", MemberRenamed, L"\"..\\x.exe\"", false},
    };
    MakeNeighbours();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> cabinet = c.damage(BuiltCabinet());
        ASSERT_FALSE(cabinet.empty());
        const std::vector<BYTE> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
        if (c.earlierCopy) {
            ASSERT_TRUE(CreateDirectoryW(installFolder.c_str(), nullptr));
            ASSERT_TRUE(WriteWholeFile(installFolder + L"\\Pixmora.exe", earlier));
        }
        RunSetupAndPress(SetupBeside(cabinet), 200);
        ExpectFailureShown(FinishInstaller(), c.reason);
        ExpectNeighboursKept();
        EXPECT_FALSE(Exists(LeftOver()));
        EXPECT_FALSE(Exists(testFolder + L"\\x.exe"));
        if (c.earlierCopy) {
            EXPECT_TRUE(ReadWholeFile(installFolder + L"\\Pixmora.exe") == earlier);
            RemoveFolder(installFolder);
        } else {
            EXPECT_FALSE(Exists(installFolder + L"\\Pixmora.exe"));
            EXPECT_FALSE(Exists(LogPath()));
        }
        EndProcess(&process);
    }
}

// Members the file system cannot hold as named are each told as what they are, and nothing
// is installed.
TEST_F(InstallTest, MembersOfOneNameAndNamesNotAllowedAreTold) {
    const std::vector<BYTE> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    ASSERT_TRUE(CreateDirectoryW(installFolder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(installFolder + L"\\Pixmora.exe", earlier));
    const struct {
        std::vector<std::pair<std::string, std::string>> members;
        const wchar_t* reason;
        bool byGcab = false;
    } cases[] = {
        {{{"Pixmora.exe", "one"}, {"Pixmora.exe", "two"}}, L"two files named \"Pixmora.exe\""},
        {{{"Pixmora.exe", "one"}, {"PIXMORA.EXE", "two"}}, L"two files named \"PIXMORA.EXE\""},
        {{{"Pixmora.exe", "one"}, {"install.log", "two"}}, L"two files named \"install.log\""},
        {{{"Pixmora.exe", "one"}, {"CON.txt", "two"}}, L"\"CON.txt\", which is not allowed"},
        {{{"lib\\com1", "one"}}, L"\"lib\\com1\", which is not allowed"},
        {{{"what?.exe", "one"}}, L"\"what?.exe\", which is not allowed"},
        {{{"trailing.", "one"}}, L"\"trailing.\", which is not allowed"},
        // Names in UTF-8: letters other than ASCII fold as the file system folds them, and
        // bytes that are no UTF-8 (an overlong "/" among them) make no name.
        {{{"L\xC3\xA4smig.txt", "one"}, {"L\xC3\x84SMIG.TXT", "two"}},
         L"two files named \"L\u00C4SMIG.TXT\"",
         true},
        {{{"bad\xFF\xFE.txt", "one"}}, L"\"bad\uFFFD\uFFFD.txt\", which is not allowed", true},
        {{{"..\xC0\xAFx.exe", "one"}}, L"x.exe\", which is not allowed", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.reason));
        std::wstring cabinet = testFolder + L"\\crafted.cab";
        ASSERT_TRUE(WriteCabinet(cabinet, c.members, c.byGcab));
        ExpectFailureShown(RunInstallerOn(cabinet), c.reason);
        EXPECT_TRUE(ReadWholeFile(installFolder + L"\\Pixmora.exe") == earlier);
        EXPECT_FALSE(Exists(LogPath()));
        EXPECT_TRUE(OwnFoldersBeside(installFolder).empty());
    }
    // The same cabinet with sound names installs.
    std::wstring cabinet = testFolder + L"\\crafted.cab";
    ASSERT_TRUE(
        WriteWholeFile(cabinet, MakeCabinet({{"Pixmora.exe", "new"}, {"lib\\a.txt", "a"}})));
    InstallerRun run = RunInstallerOn(cabinet);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(ReadWholeFile(installFolder + L"\\Pixmora.exe") ==
                std::vector<BYTE>({'n', 'e', 'w'}));
    EXPECT_TRUE(ReadWholeFile(installFolder + L"\\lib\\a.txt") == std::vector<BYTE>{'a'});
    // Names in UTF-8 arrive as named, whatever the system's code page.
    ASSERT_TRUE(WriteCabinet(
        cabinet, {{"L\xC3\xA4smig.txt", "hej"}, {"\xE5\x9B\xBE\xE6\xA0\x87.ico", "ico"}}, true));
    run = RunInstallerOn(cabinet);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(ReadWholeFile(installFolder + L"\\L\u00E4smig.txt") ==
                std::vector<BYTE>({'h', 'e', 'j'}));
    EXPECT_TRUE(ReadWholeFile(installFolder + L"\\\u56FE\u6807.ico") ==
                std::vector<BYTE>({'i', 'c', 'o'}));
    std::vector<BYTE> bytes = ReadWholeFile(LogPath());
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("installed L\xC3\xA4smig.txt 3"),
              std::string::npos);
}

TEST_F(InstallTest, ExitDuringTheAgreementInstallsNothingAndShowsNothing) {
    RunSetupAndPress(WindowsPath(SETUP_EXE), 210);
    InstallerRun run = FinishInstaller();
    EXPECT_FALSE(run.ran) << "Exit started the cabinet installer";
    ExpectNothingInstalled();
}

TEST_F(InstallTest, WithoutACabinetSetupEndsQuietly) {
    // setup alone in a folder: the shell cannot open the cabinet, and setup still ends.
    RunSetupAndPress(SetupBeside({}), 200);
    InstallerRun run = FinishInstaller();
    EXPECT_FALSE(run.ran);
    ExpectNothingInstalled();
}

TEST_F(InstallTest, CabinetInstallerReportsWhatFailed) {
    std::wstring bogus = testFolder + L"\\bogus.cab";
    ASSERT_TRUE(WriteWholeFile(bogus, std::vector<BYTE>(64, 'x')));
    ExpectFailureShown(RunInstallerOn(bogus), L"is damaged or is no cabinet");
    ExpectNothingInstalled();

    ExpectFailureShown(RunInstallerOn(testFolder + L"\\missing.cab"), L"cannot be opened");
    ExpectNothingInstalled();

    // Another installer at work: this one keeps out of its way.
    HANDLE other = CreateMutexW(nullptr, FALSE, L"Pixmora.CabinetInstaller");
    ASSERT_NE(other, nullptr);
    ExpectFailureShown(RunInstallerOn(BuiltCabinetPath()), L"Another installation");
    CloseHandle(other);
    ExpectNothingInstalled();

    // A folder it cannot write: the install folder would be inside a file.
    std::wstring blocker = testFolder + L"\\file";
    ASSERT_TRUE(WriteWholeFile(blocker, {'x'}));
    installFolder = blocker + L"\\Pixmora";
    SetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", installFolder.c_str());
    std::wstring cabinet = testFolder + L"\\Pixmora.CAB";
    ASSERT_TRUE(WriteWholeFile(cabinet, BuiltCabinet()));
    ExpectFailureShown(RunInstallerOn(cabinet), L"cannot be made");
    EXPECT_TRUE(ReadWholeFile(blocker) == std::vector<BYTE>{'x'});
    // The install folder named is a file or a drive: neither is ever replaced.
    SetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", blocker.c_str());
    ExpectFailureShown(RunInstallerOn(cabinet), L"is a file");
    EXPECT_TRUE(ReadWholeFile(blocker) == std::vector<BYTE>{'x'});
    SetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", L"C:\\");
    ExpectFailureShown(RunInstallerOn(cabinet), L"is a drive's root");
    EXPECT_FALSE(Exists(L"C:\\.installing"));
    // A folder named too long for a path: nothing goes to the default folder instead.
    std::wstring tooLong = testFolder + L"\\" + std::wstring(MAX_PATH, L'a');
    SetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", tooLong.c_str());
    const std::wstring fallback = L"C:\\Program Files\\Pixmora\\Pixmora.exe";
    bool fallbackThere = Exists(fallback);
    ExpectFailureShown(RunInstallerOn(cabinet), L"no folder to install into");
    EXPECT_EQ(fallbackThere, Exists(fallback));
}

} // namespace
