// The editor as a user meets it, for the end-to-end tests: the real main window started as
// the program starts it, its soft-key menus, taps on the tool windows, strokes on the
// canvas, the file dialogs answered, and what the screen and the disk then hold.
#pragma once
#include "canvas/canvas.h"
#include "editor_session.h"
#include "file_builders.h"
#include "files/files.h"
#include "resources/resource_ids.h"
#include "base/editor_state.h"
#include "soft_keys.h"
#include "test_support.h"
#include "toolwindows/toolwindows.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

#define RED RGB(255, 0, 0)
#define BLUE RGB(0, 0, 255)
#define BLACK RGB(0, 0, 0)
#define WHITE RGB(255, 255, 255)
#define GREY RGB(128, 128, 128)

// Palette rows of the start palette that show as these colours on the screen (the stored
// values have red and blue exchanged).
#define ROW_BLACK 0
#define ROW_SHOWS_BLUE 9 // stored 0xFF0000; paints image index 12
#define ROW_SHOWS_RED 12 // paints image index 9
#define ROW_WHITE 15

class Editor : public testing::Test {
  public:
    void SetUp() override;
    void TearDown() override;

    // ---- Menus ---------------------------------------------------------------------------
    // Chooses File, item (texts as in the menu), or Menu, sub-menu, item.
    static void File(const wchar_t* item);
    static void MenuItem(const wchar_t* sub, const wchar_t* item);
    // The File item carrying this command (the two "S&ave As").
    static void FileCommand(UINT command);
    static bool Checked(const wchar_t* sub, const wchar_t* item);

    // ---- Dialogs and files ----------------------------------------------------------------
    std::wstring PathOf(const wchar_t* name) const { return Folder + L"\\" + name; }
    std::wstring Write(const wchar_t* name, const Bytes& bytes) const;
    // The file the next open dialog chooses; none cancels it.
    static void ChooseFile(const std::wstring& path);
    // Queues the save dialog's answer: the name typed and OK, or Cancel.
    static void TypeSaveName(const std::wstring& path);
    static void CancelSaveDialog();
    // Chooses the File menu's save of that kind, names the file in its dialog and returns
    // the bytes the file then holds.
    static Bytes SaveAs(UINT command, const std::wstring& path);
    // New Create through the menu, choosing 16 x 16 or 32 x 32 in the dialog.
    static void NewCreate(int size);
    // The scale typed into the Scale dialog.
    static void ChooseScale(const wchar_t* typed);

    // ---- Tool windows and canvas ----------------------------------------------------------
    static void TapTool(int tool);
    // Taps the colour's cell after pointing the palette at the line or the fill colour.
    static void TapLineColor(int row);
    static void TapFillColor(int row);
    static void TapLineWidth(int width); // at scale 10
    static void TapOpacity(int choice);  // 0 opaque, 1 transparent
    static HWND Canvas() { return ImageWindows[0]; }
    // Strokes between image cells, in the canvas's client coordinates at the current scale.
    static void Drag(int x0, int y0, int x1, int y1);
    static void Tap(int x, int y);
    // A press with these keys held (MK_CONTROL: a pick), as Windows reports them in it.
    static void TapWithKeys(int x, int y, WPARAM keys);
    // "Custom Colour..." of the "Paint" menu, the colour dialog answered with this colour.
    static void CustomColour(COLORREF color);
    // What the user sees of image pixel (x, y) on the canvas, away from the mesh.
    static COLORREF Cell(int x, int y);
    // The image and mask as held, one character per pixel: a hex index, or for the mask
    // '.' opaque and 'T' transparent.
    static std::string ImageRow(int y, int x0, int x1);
    static std::string MaskRow(int y, int x0, int x1);

    std::wstring Folder;
};

// ---- The Icon Images dialog ------------------------------------------------------------------
// Opens it through "Menu", "&Canvas", "Icon Images"; the steps must end it. The boxes it shows
// on the way are answered with the buttons given.
void IconImages(std::function<void(HWND)> steps, std::vector<int> answers = {});
// Taps as a stylus does: a control in its middle, a row of the list (twice: the double tap
// that edits the image).
void TapControl(HWND dialog, int id);
void TapRow(HWND dialog, int row, bool twice = false);
std::vector<std::wstring> Rows(HWND dialog);
// Opens it, taps the row (none: -1) and then the control, and closes it with Cancel: the rows
// the list showed after the control's tap, none when that tap closed the dialog.
std::vector<std::wstring> TapInIconImages(int row, int id, std::vector<int> answers = {});
// Types the size into the size box as a user does, then chooses the form (-1: the one the
// dialog suggests for the size).
void ChooseSizeAndForm(HWND dialog, const wchar_t* size, int form = -1);
// Image n's bytes as an icon file holds them.
Bytes IconFileBlock(const Bytes& file, int n);

// No message box told of a failure (dialogs and questions may have been shown).
void ExpectNoFailureShown();
