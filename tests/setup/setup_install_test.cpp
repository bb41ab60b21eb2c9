// End-to-end tests of the installation: setup.exe runs as its own process, the shell opens
// Pixmora.CAB with the stand-in cabinet installer registered for .CAB files in this Wine
// prefix, and the editor arrives in the install folder.
#include "setup_driver.h"
#include "test_support.h"
#include <gtest/gtest.h>
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

class InstallTest : public testing::Test {
  protected:
    std::wstring installFolder;
    PROCESS_INFORMATION process = {};
    void SetUp() override {
        ASSERT_TRUE(RegisterCabinetInstaller());
        installFolder = MakeTestFolder(L"install");
        DeleteFileW(LogPath().c_str());
        DeleteFileW((installFolder + L"\\Pixmora.exe").c_str());
        SetEnvironmentVariableW(L"PIXMORA_INSTALL_DIR", installFolder.c_str());
    }
    void TearDown() override {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
    std::wstring LogPath() const { return installFolder + L"\\install.log"; }
    // Runs setup through the welcome dialog to the agreement and presses a button there.
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
    bool WaitForLog(DWORD timeoutMs) {
        DWORD start = GetTickCount();
        do {
            if (GetFileAttributesW(LogPath().c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            Sleep(100);
        } while (GetTickCount() - start < timeoutMs);
        return false;
    }
    std::string Log() {
        std::vector<BYTE> bytes = ReadWholeFile(LogPath());
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(InstallTest, IAgreeInstallsTheEditorFromTheCabinet) {
    RunSetupAndPress(WindowsPath(SETUP_EXE), 200);
    ASSERT_TRUE(WaitForLog(Patience)) << "the cabinet installer left no log";
    std::string log = Log();
    EXPECT_NE(log.find("installed Pixmora.exe"), std::string::npos) << log;
    EXPECT_NE(log.find("done 1 files"), std::string::npos) << log;
    std::vector<BYTE> installed = ReadWholeFile(installFolder + L"\\Pixmora.exe");
    std::vector<BYTE> built = ReadWholeFile(WindowsPath(PIXMORA_EXE));
    ASSERT_FALSE(built.empty());
    EXPECT_TRUE(installed == built) << "the installed editor differs from the built one";
}

TEST_F(InstallTest, ExitDuringTheAgreementInstallsNothing) {
    RunSetupAndPress(WindowsPath(SETUP_EXE), 210);
    EXPECT_FALSE(WaitForLog(2000));
}

TEST_F(InstallTest, WithoutACabinetSetupEndsQuietly) {
    // setup alone in a folder: the shell cannot open the cabinet, and setup still ends.
    std::wstring folder = MakeTestFolder(L"setup-alone");
    std::wstring program = folder + L"\\setup.exe";
    ASSERT_TRUE(CopyFileW(WindowsPath(SETUP_EXE).c_str(), program.c_str(), FALSE));
    DeleteFileW((folder + L"\\Pixmora.CAB").c_str());
    RunSetupAndPress(program, 200);
    EXPECT_FALSE(WaitForLog(2000));
}

TEST_F(InstallTest, CabinetInstallerReportsAFileThatIsNoCabinet) {
    std::wstring bogus = installFolder + L"\\bogus.cab";
    ASSERT_TRUE(WriteWholeFile(bogus, std::vector<BYTE>(64, 'x')));
    STARTUPINFOW startup = {sizeof(startup)};
    std::wstring command = L"\"" + WindowsPath(CABINSTALL_EXE) + L"\" \"" + bogus + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, Patience), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 1u);
    EXPECT_NE(Log().find("failed:"), std::string::npos) << Log();
}

} // namespace
