// The file dialogs as the user meets them: the platform's save dialog answered by typing a
// name, the open dialog through the handheld's library (a stand-in built for the tests)
// or the platform's own; and the canvas's two Save As commands built on them.
#include "canvas/canvas.h"
#include "files/files.h"
#include "files_test_support.h"
#include "base/editor_state.h"
#include "test_support.h"

namespace {

#define FILE_NAME_EDIT 0x47C

// Types a name into the platform's file dialog and presses OK.
void TypeNameAndOk(const std::wstring& name) {
    HandleNextDialog([name](HWND dialog) {
        SetDlgItemTextW(dialog, FILE_NAME_EDIT, name.c_str());
        PressDialogButton(dialog, IDOK);
    });
}

void CancelDialog() {
    HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDCANCEL); });
}

std::wstring Environment(const wchar_t* name) {
    WCHAR value[600] = {};
    GetEnvironmentVariableW(name, value, 600);
    return value;
}

class Dialogs : public FileTest {
  protected:
    void SetUp() override {
        FileTest::SetUp();
        SetEnvironmentVariableW(L"PIXMORA_OPEN_FILE", nullptr);
        SetEnvironmentVariableW(L"PIXMORA_OPEN_ASKED", nullptr);
        Canvas = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
        SetCanvasImage(16, 16, 4, StandardTable16(), [](int x, int y) { return (x ^ y) % 16u; });
        Modified = 1;
    }
    void TearDown() override {
        DestroyWindow(Canvas);
        FileTest::TearDown();
    }
    HWND Canvas = nullptr;
};

TEST_F(Dialogs, TheSharedRecordIsPreparedForEachKind) {
    WCHAR path[PATH_CHARS] = L"", directory[PATH_CHARS] = L"C:\\pics";
    PrepareBitmapDialog(Canvas, path, directory);
    const OPENFILENAMEW& r = FileDialogRecord;
    EXPECT_EQ(sizeof(OPENFILENAMEW), r.lStructSize);
    EXPECT_EQ(Canvas, r.hwndOwner);
    EXPECT_EQ(0, memcmp(r.lpstrFilter, L"Bitmap Files (*.BMP)\0*.bmp\0", 28 * sizeof(WCHAR)));
    EXPECT_STREQ(L"bmp", r.lpstrDefExt);
    EXPECT_EQ(nullptr, r.lpstrFile); // an empty path: no initial folder either
    EXPECT_EQ(nullptr, r.lpstrInitialDir);
    EXPECT_EQ(260u, r.nMaxFile);
    EXPECT_EQ(512u, r.nMaxFileTitle);
    EXPECT_EQ(0x2000u, r.Flags);
    lstrcpyW(path, L"C:\\pics\\a.ico");
    PrepareIconDialog(Canvas, path, directory);
    EXPECT_EQ(0, memcmp(r.lpstrFilter, L"Icon Files (*.ICO)\0*.ico\0", 26 * sizeof(WCHAR)));
    EXPECT_STREQ(L"ico", r.lpstrDefExt);
    EXPECT_EQ(path, r.lpstrFile);
    EXPECT_EQ(directory, r.lpstrInitialDir);
}

TEST_F(Dialogs, TheHandheldLibraryChoosesTheFileToOpen) {
    BmpForm form;
    std::wstring path =
        Write(L"a.bmp", MakeBmpFile(form, 16, 16, StandardTable16(), [](int, int) { return 3u; }));
    // Cancelled: nothing is read and nothing is shown.
    EXPECT_FALSE(OpenBitmapIntoSlot(Canvas, 0));
    EXPECT_EQ(nullptr, ImageSlots[0].Dib);
    EXPECT_EQ(L"Bitmap Files (*.BMP)|*.bmp|bmp|2000|", Environment(L"PIXMORA_OPEN_ASKED"));
    SetEnvironmentVariableW(L"PIXMORA_OPEN_FILE", path.c_str());
    EXPECT_TRUE(OpenBitmapIntoSlot(Canvas, 0));
    ASSERT_NE(nullptr, ImageSlots[0].Dib);
    EXPECT_EQ(path, ImageSlots[0].Path);
    EXPECT_STREQ(L"a.bmp", ImageSlots[0].Title);
    // The icon open asks for icons.
    ReleaseSlot(0);
    SetEnvironmentVariableW(L"PIXMORA_OPEN_FILE", nullptr);
    EXPECT_FALSE(OpenIconIntoSlot(Canvas, 0));
    EXPECT_EQ(L"Icon Files (*.ICO)|*.ico;*.cur|ico|2000|", Environment(L"PIXMORA_OPEN_ASKED"));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(Dialogs, WithoutTheLibraryThePlatformsOpenDialogIsShown) {
    WCHAR exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring library = exe;
    library = library.substr(0, library.rfind(L'\\') + 1) + L"gsgetfile.dll";
    std::wstring aside = library + L".aside";
    ASSERT_TRUE(MoveFileW(library.c_str(), aside.c_str()));
    BmpForm form;
    std::wstring path =
        Write(L"b.bmp", MakeBmpFile(form, 16, 16, StandardTable16(), [](int, int) { return 3u; }));
    TypeNameAndOk(path);
    bool opened = OpenBitmapIntoSlot(Canvas, 0);
    MoveFileW(aside.c_str(), library.c_str());
    EXPECT_TRUE(opened);
    EXPECT_NE(nullptr, ImageSlots[0].Dib);
    EXPECT_EQ(path, ImageSlots[0].Path);
    EXPECT_STREQ(L"b.bmp", ImageSlots[0].Title);
}

TEST_F(Dialogs, SaveAsBitmapAndIconAskForANameAndGiveTheirExtension) {
    // Icon first, then bitmap: the names left are the bitmap's.
    const struct {
        int (*save)(HWND);
        const wchar_t* name;
        size_t bytes;
    } saves[] = {{SaveImageAsIcon, L"pic.ico", 318}, {SaveImageAsBitmap, L"pic.bmp", 246}};
    for (const auto& save : saves) {
        Modified = 1;
        TypeNameAndOk(PathOf(L"pic"));
        EXPECT_EQ(1, save.save(Canvas));
        EXPECT_EQ(PathOf(save.name), DocumentPath);
        EXPECT_STREQ(save.name, DocumentTitle);
        EXPECT_EQ(save.bytes, ReadWholeFile(PathOf(save.name)).size());
        EXPECT_EQ(0, Modified);
    }
    EXPECT_EQ(2u, SeenBoxes().size()); // the two dialogs, nothing else
}

TEST_F(Dialogs, ACancelledSaveWritesAndShowsNothing) {
    CancelDialog();
    EXPECT_EQ(0, SaveImageAsBitmap(Canvas));
    CancelDialog();
    EXPECT_EQ(0, SaveImageAsIcon(Canvas));
    EXPECT_EQ(1, Modified);
    EXPECT_EQ(2u, SeenBoxes().size());
    EXPECT_EQ(0, DocumentPath[0]);
}

TEST_F(Dialogs, AFailedSaveShowsBothMessagesAndKeepsTheChanges) {
    Bytes old = {'o', 'l', 'd'};
    std::wstring bmp = Write(L"a.bmp", old), ico = Write(L"a.ico", old);
    HANDLE holds[2] = {
        CreateFileW(bmp.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
        CreateFileW(ico.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                    nullptr)};
    TypeNameAndOk(bmp);
    AnswerNextBox(IDYES); // replace the existing file?
    AnswerOk(2);
    EXPECT_EQ(0, SaveImageAsBitmap(Canvas));
    TypeNameAndOk(ico);
    AnswerNextBox(IDYES);
    AnswerOk(2);
    EXPECT_EQ(0, SaveImageAsIcon(Canvas));
    for (HANDLE h : holds)
        CloseHandle(h);
    const std::vector<SeenBox>& seen = SeenBoxes();
    ASSERT_EQ(8u, seen.size());
    EXPECT_EQ(L"Another program is using the file :" + bmp, seen[2].text);
    EXPECT_EQ(L"WriteDib", seen[2].caption);
    EXPECT_EQ(L"Could not write file a.bmp", seen[3].text);
    EXPECT_EQ(bmp, seen[3].caption);
    EXPECT_EQ(L"Another program is using the file :" + ico, seen[6].text);
    EXPECT_EQ(L"Mosaro", seen[6].caption);
    EXPECT_EQ(L"Could not write file " + ico, seen[7].text);
    EXPECT_EQ(L"Mosaro", seen[7].caption);
    EXPECT_EQ(1, Modified);
    EXPECT_EQ(old, ReadWholeFile(bmp));
    EXPECT_EQ(old, ReadWholeFile(ico));
}

} // namespace
