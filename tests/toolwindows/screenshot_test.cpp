// Not a check: lays the tool windows out as the editor does and saves a picture of them for
// the eye. Run with --gtest_also_run_disabled_tests; the file goes to PIXMORA_SHOT or the
// temporary folder.
#include "test_support.h"
#include "tool_window_fixture.h"
#include <string>

class Screenshot : public ToolWindowTest {
  protected:
    // Places a child as the layout pass would (outer size given).
    HWND Place(const wchar_t* className, int x, int y, int width, int height, DWORD style = 0) {
        HWND w = MakeChild(className, width - 2, height - 2, style);
        MoveWindow(w, x, y, width, height, TRUE);
        return w;
    }
    static void Save(HWND parent, int width, int height, const wchar_t* name) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
        void* bits = nullptr;
        HBITMAP shot = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC screen = GetDC(parent);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, shot);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(parent, screen);
        int stride = (width * 3 + 3) / 4 * 4;
        BITMAPFILEHEADER file = {0x4D42, (DWORD)(14 + 40 + stride * height), 0, 0, 14 + 40};
        std::vector<BYTE> bytes((BYTE*)&file, (BYTE*)&file + 14);
        bytes.insert(bytes.end(), (BYTE*)&info.bmiHeader, (BYTE*)&info.bmiHeader + 40);
        bytes.insert(bytes.end(), (BYTE*)bits, (BYTE*)bits + stride * height);
        DeleteObject(shot);
        wchar_t folder[MAX_PATH];
        if (!GetEnvironmentVariableW(L"PIXMORA_SHOT", folder, MAX_PATH))
            GetTempPathW(MAX_PATH, folder);
        EXPECT_TRUE(WriteWholeFile(std::wstring(folder) + name, bytes));
    }
};

TEST_F(Screenshot, DISABLED_WideAndNarrowLayouts) {
    CurrentTool = 3;
    LineWidth = 2;
    LineColor = 0x0000FF;
    FillColor = 0x00FFFF;
    PaletteTarget = 1;
    HWND parent = GetParent(MakeChild(L"LineBar", 1, 1));
    const int P = 73, H = 428;
    Place(L"ToolBar", P + 8, H - 38, 187, 32);
    Place(L"LineBar", P + 203, H - 38, 81, 32);
    Place(L"Transparent", P + 286, H - 38, 63, 32);
    Place(L"Palette", 4, 4, P, H - 8);
    Place(L"View Window", P + 8, 4, 640 - P - 12, H - 40, WS_HSCROLL | WS_VSCROLL);
    PumpMessages();
    Save(parent, 640, H, L"pixmora-wide.bmp");
}
