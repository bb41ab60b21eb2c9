// The built Pixmora.exe started as its own process and driven from outside, as automation
// tools and the desktop drive it: its command line, a second start, a file dropped through
// the shell's drop path, taps right after a box, the frame's smallest sizes and the save
// prompt at Exit. Each scenario is a row of steps; what is checked is what the user sees of
// the windows and what the files on disk then hold.
#include "file_builders.h"
#include "program_driver.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

const DWORD Patience = 10000; // a step of a busy machine's program, many times over

enum Act {
    Start,       // the program, with file `text` of the test folder named (none: no file)
    Command,     // WM_COMMAND a, as the soft-key menus send it
    NewCreate,   // New Create, choosing a x a in the Canvas Size dialog
    TapCell,     // a tap on image cell (a, b) at scale 10
    CloseBox,    // the box that shows text: Yes/No/Cancel/OK as the button a, or by a key (VK_)
    ClickBox,    // the box that shows text, closed by a click on its button a
    TapAtClick,  // a tap on the canvas where that click landed (it must lie on the canvas)
    SaveDialog,  // the Save As dialog, answered with file `text`
    SecondStart, // the program started again naming file `text`; it must end with 0
    Drop,        // file `text` dropped on the view
    Canvas,      // the canvas shows a x a image pixels (at scale 10)
    ClientSize,  // the frame dragged to client area a x b, as far as the frame lets it
    Layout,      // the children's rectangles at client area a x b, as the layout rule gives
    Squeeze,     // a window manager that heeds no limits makes the window a x b: it takes that
    Maximize,    // the window maximised: on the work area with its bar, the bar still attached
    Ended,       // the program has ended with 0
    BmpPixel,    // bitmap file `text` holds colour index c at (a, b)
    IconPixel,   // icon file `text` holds colour index c at (a, b) of its first image
    ClickedCell, // bitmap file `text` holds colour index c at the cell TapAtClick tapped
    NoFile,      // file `text` was not written
};

struct Step {
    Act act;
    int a = 0, b = 0, c = 0;
    const wchar_t* text = nullptr;
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};
void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

#define BLACK_INDEX 0  // the pen's start colour
#define WHITE_INDEX 15 // a new picture's
#define BY_KEY(key) (0x10000 | (key))

// A 16 x 16 bitmap all black: a second start or a drop that opens it shows a 160-pixel canvas.
const wchar_t* const Small = L"small.bmp";
const wchar_t* const UndoBox = L"There's No undo item!";
const wchar_t* const UntitledPrompt = L"Save current changes in (untitled)?";
const wchar_t* const SmallPrompt = L"Save current changes in small.bmp?";

// A second start naming the small bitmap while the first start holds a changed new picture:
// the prompt answered, then the steps after it, and Exit.
Scenario SecondStartAfterChanges(const char* name, int answer, std::vector<Step> after) {
    std::vector<Step> steps = {{Start},
                               {NewCreate, 32},
                               {TapCell, 3, 4},
                               {SecondStart, 0, 0, 0, Small},
                               {CloseBox, answer, 0, 0, UntitledPrompt}};
    steps.insert(steps.end(), after.begin(), after.end());
    steps.insert(steps.end(), {{Command, CMD_EXIT}, {Ended}});
    return {name, steps};
}

// The "There's No undo item!" box over a new picture, closed as close says, then the tap;
// what the saved bitmap holds where check looks.
Scenario TapAfterBox(const char* name, Step close, Step tap, Step check) {
    return {name,
            {{Start},
             {NewCreate, 32},
             {Command, CMD_UNDO},
             close,
             tap,
             {Command, CMD_SAVE_BITMAP},
             {SaveDialog, 0, 0, 0, L"tap.bmp"},
             check,
             {Command, CMD_EXIT},
             {Ended}}};
}

const Step TappedCellDrawn = {BmpPixel, 5, 6, BLACK_INDEX, L"tap.bmp"};

const Scenario Scenarios[] = {
    {"CommandLineOpensItsFile",
     {{Start, 0, 0, 0, Small}, {Canvas, 16}, {Command, CMD_EXIT}, {Ended}}},
    {"SecondStartHandsItsFileOverToAnUnchangedEditor",
     {{Start}, {SecondStart, 0, 0, 0, Small}, {Canvas, 16}, {Command, CMD_EXIT}, {Ended}}},
    SecondStartAfterChanges("SecondStartAfterChangesYesSavesFirst", IDYES,
                            {{SaveDialog, 0, 0, 0, L"first.bmp"},
                             {Canvas, 16},
                             {BmpPixel, 3, 4, BLACK_INDEX, L"first.bmp"}}),
    SecondStartAfterChanges("SecondStartAfterChangesNoOpensWithoutSaving", IDNO,
                            {{Canvas, 16}, {NoFile, 0, 0, 0, L"first.bmp"}}),
    SecondStartAfterChanges("SecondStartAfterChangesCancelKeepsThePicture", IDCANCEL,
                            {{Command, CMD_SAVE_BITMAP},
                             {SaveDialog, 0, 0, 0, L"kept.bmp"},
                             {Canvas, 32},
                             {BmpPixel, 3, 4, BLACK_INDEX, L"kept.bmp"}}),
    {"DroppedFileOpensThroughTheShellsDropPath",
     {{Start}, {Drop, 0, 0, 0, Small}, {Canvas, 16}, {Command, CMD_EXIT}, {Ended}}},
    {"PromptsOfADropASecondStartAndExitNameTheOpenedFile",
     {{Start, 0, 0, 0, Small},
      {Canvas, 16},
      {TapCell, 3, 4},
      {Drop, 0, 0, 0, Small},
      {CloseBox, IDCANCEL, 0, 0, SmallPrompt},
      {SecondStart, 0, 0, 0, Small},
      {CloseBox, IDCANCEL, 0, 0, SmallPrompt},
      {Command, CMD_EXIT},
      {CloseBox, IDNO, 0, 0, SmallPrompt},
      {Ended}}},
    TapAfterBox("TapRightAfterABoxClosedByAKeyIsDrawn",
                {CloseBox, BY_KEY(VK_RETURN), 0, 0, UndoBox}, {TapCell, 5, 6}, TappedCellDrawn),
    TapAfterBox("TapRightAfterABoxClosedByAPostedOkIsDrawn", {CloseBox, IDOK, 0, 0, UndoBox},
                {TapCell, 5, 6}, TappedCellDrawn),
    TapAfterBox("TapAfterABoxClosedByAClickElsewhereIsDrawn", {ClickBox, IDOK, 0, 0, UndoBox},
                {TapCell, 5, 6}, TappedCellDrawn),
    TapAfterBox("TapWhereTheClickThatClosedABoxLandedIsItsEcho", {ClickBox, IDOK, 0, 0, UndoBox},
                {TapAtClick}, {ClickedCell, 0, 0, WHITE_INDEX, L"tap.bmp"}),
    {"FrameTakesTheSmallestHandheldsScreenBothWays",
     {{Start},
      {NewCreate, 32},
      {ClientSize, 240, 268},
      {Layout, 240, 268},
      {ClientSize, 320, 188},
      {Layout, 320, 188},
      {ClientSize, 100, 100},
      {Layout, 240, 188},
      {Squeeze, 200, 150},
      {Maximize},
      {Command, CMD_EXIT},
      {Ended}}},
    {"ExitPromptSavesANewPictureInTheIconFormItWasSavedIn",
     {{Start},
      {NewCreate, 32},
      {Command, CMD_SAVE_ICON},
      {SaveDialog, 0, 0, 0, L"new.ico"},
      {TapCell, 7, 8},
      {Command, CMD_EXIT},
      {CloseBox, IDYES, 0, 0, L"Save current changes in new.ico?"},
      {Ended},
      {IconPixel, 7, 8, BLACK_INDEX, L"new.ico"},
      {IconPixel, 8, 8, WHITE_INDEX, L"new.ico"}}},
};

std::wstring ProgramPath() {
    return WindowsPath(PIXMORA_EXE);
}

// Where the layout rule puts the tool bar, line bar, palette and view at a
// client size: the handheld's own numbers, written out here apart from the program's rule.
struct Placed {
    const wchar_t* className;
    RECT rect;
};
std::vector<Placed> RuleLayout(int w, int h) {
    const int p = ((h - 8) / 17) * 3 + 1;
    const bool wide = w >= p + 411;
    auto at = [](int x, int y, int cx, int cy) { return RECT{x, y, x + cx, y + cy}; };
    return {{L"ToolBar", at(p + 8, h - (wide ? 38 : 72), 187, 32)},
            {L"LineBar", at(wide ? p + 203 : p + 8, h - 38, 81, 32)},
            {L"Palette", at(4, 4, p, h - 8)},
            {L"View Window", at(p + 8, 4, w - p - 12, h - (wide ? 40 : 80))}};
}

class RealProgram : public testing::TestWithParam<Scenario> {
  protected:
    void SetUp() override {
        Folder = MakeTestFolder(L"real-program");
        ASSERT_TRUE(WriteWholeFile(PathOf(Small), MakeBmpFile(BmpForm{}, 16, 16, StandardTable16(),
                                                              [](int, int) { return 0u; })));
    }
    void TearDown() override {
        EndProgram(&Process);
        RemoveTestFolder(Folder);
    }

    std::wstring PathOf(const wchar_t* name) const { return Folder + L"\\" + name; }
    std::wstring Quoted(const wchar_t* name) const { return L"\"" + PathOf(name) + L"\""; }

    HWND Child(HWND parent, const wchar_t* className) const {
        return parent ? FindWindowExW(parent, nullptr, className, nullptr) : nullptr;
    }
    HWND CanvasWindow() const { return Child(Child(Main, L"View Window"), L"Canvas"); }
    HWND Bar() const {
        HWND bar = nullptr;
        while ((bar = FindWindowExW(nullptr, bar, L"menu_worker", nullptr)))
            if (GetWindow(bar, GW_OWNER) == Main) return bar;
        return nullptr;
    }

    // The box or dialog the program shows now, waiting for one.
    HWND Box(bool fileDialog = false) const {
        HWND box = nullptr;
        WaitUntil(
            [&]() {
                box = WaitForProcessWindow(Process.dwProcessId, L"#32770", nullptr, 0);
                return box && (!fileDialog || GetDlgItem(box, 0x47C));
            },
            Patience);
        return box;
    }
    // Waits for the box to be gone, its modal loop ended.
    static void Gone(HWND box) {
        EXPECT_TRUE(WaitUntil([&]() { return !IsWindow(box); }, Patience)) << "the box stayed";
    }

    void StartStep(const Step& step) {
        ASSERT_TRUE(StartProgram(ProgramPath(), &Process, step.text ? Quoted(step.text) : L""));
        Main = WaitForProcessWindow(Process.dwProcessId, L"Mosaro", L"Pixmora", Patience);
        ASSERT_NE(nullptr, Main);
        // Start-up is done once the window has been shortened to end above its bar.
        ASSERT_TRUE(WaitUntil(
            [&]() {
                RECT main, bar;
                return Bar() && GetWindowRect(Main, &main) && GetWindowRect(Bar(), &bar) &&
                       main.bottom == bar.top;
            },
            Patience));
        // And the program waits for input, its start-up done.
        ASSERT_EQ(0u, WaitForInputIdle(Process.hProcess, Patience));
    }

    void CloseBoxStep(const Step& step, bool click) {
        HWND box = Box();
        ASSERT_NE(nullptr, box) << "no box came";
        EXPECT_EQ(std::wstring(step.text), ReadBox(box).text);
        if (click) {
            HWND button = GetDlgItem(box, step.a);
            RECT r;
            GetClientRect(button, &r);
            Clicked = POINT{r.right / 2, r.bottom / 2};
            PostTap(button, Clicked.x, Clicked.y);
            ClientToScreen(button, &Clicked);
        } else if (step.a & 0x10000) {
            HWND focus = GetDlgItem(box, IDOK) ? GetDlgItem(box, IDOK) : box;
            PostKey(focus, step.a & 0xFFFF);
        } else {
            PressButton(box, step.a);
        }
        Gone(box);
    }

    void SecondStartStep(const Step& step) {
        PROCESS_INFORMATION second = {};
        ASSERT_TRUE(StartProgram(ProgramPath(), &second, Quoted(step.text)));
        DWORD code = 99;
        EXPECT_TRUE(WaitForProgramEnd(second, Patience, &code)) << "the second start still runs";
        EXPECT_EQ(0u, code);
        EndProgram(&second);
    }

    void CanvasStep(const Step& step) {
        RECT client = {};
        EXPECT_TRUE(WaitUntil(
            [&]() {
                return GetClientRect(CanvasWindow(), &client) && client.right == step.a * 10 &&
                       client.bottom == step.a * 10;
            },
            Patience))
            << "canvas " << client.right << " x " << client.bottom;
    }

    // As a window manager does while the frame is dragged: it asks the window for its limits
    // and gives it the size asked for, or the smallest it takes.
    void ClientSizeStep(const Step& step) {
        MINMAXINFO limits = {};
        SendMessageW(Main, WM_GETMINMAXINFO, 0, (LPARAM)&limits);
        RECT frame = {0, 0, step.a, step.b};
        AdjustWindowRectEx(&frame, GetWindowLongW(Main, GWL_STYLE), FALSE,
                           GetWindowLongW(Main, GWL_EXSTYLE));
        const int cx = std::max<int>(frame.right - frame.left, limits.ptMinTrackSize.x);
        const int cy = std::max<int>(frame.bottom - frame.top, limits.ptMinTrackSize.y);
        SetWindowPos(Main, nullptr, 40, 30, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void LayoutStep(const Step& step) {
        RECT client = {};
        EXPECT_TRUE(WaitUntil(
            [&]() {
                return GetClientRect(Main, &client) && client.right == step.a &&
                       client.bottom == step.b;
            },
            Patience))
            << "client area " << client.right << " x " << client.bottom;
        for (const Placed& placed : RuleLayout(step.a, step.b)) {
            RECT r = {};
            HWND child = Child(Main, placed.className);
            WaitUntil(
                [&]() {
                    GetWindowRect(child, &r);
                    MapWindowPoints(nullptr, Main, (POINT*)&r, 2);
                    return EqualRect(&r, &placed.rect) != FALSE;
                },
                2000);
            EXPECT_TRUE(EqualRect(&r, &placed.rect))
                << testing::PrintToString(std::wstring(placed.className)) << " at " << r.left << ","
                << r.top << " " << r.right - r.left << " x " << r.bottom - r.top;
        }
        // The soft-key bar stays along the window's bottom edge at every size.
        ExpectBarAttached();
    }

    void ExpectBarAttached() const {
        RECT main, bar;
        GetWindowRect(Main, &main);
        GetWindowRect(Bar(), &bar);
        EXPECT_EQ(main.bottom, bar.top) << "the bar left its window";
        EXPECT_EQ(main.left, bar.left);
        EXPECT_EQ(main.right, bar.right);
    }

    void SqueezeStep(const Step& step) {
        SetWindowPos(Main, nullptr, 40, 30, step.a, step.b, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT main = {};
        EXPECT_TRUE(WaitUntil(
            [&]() {
                return GetWindowRect(Main, &main) && main.right - main.left == step.a &&
                       main.bottom - main.top == step.b;
            },
            2000))
            << "the window says it is " << main.right - main.left << " x " << main.bottom - main.top
            << ", larger than the screen shows it";
        ExpectBarAttached();
    }

    void MaximizeStep() {
        ShowWindowAsync(Main, SW_MAXIMIZE);
        ASSERT_TRUE(WaitUntil([&]() { return IsZoomed(Main) != FALSE; }, Patience));
        MONITORINFO monitor = {sizeof monitor};
        GetMonitorInfoW(MonitorFromWindow(Main, MONITOR_DEFAULTTOPRIMARY), &monitor);
        RECT bar = {};
        EXPECT_TRUE(WaitUntil(
            [&]() { return GetWindowRect(Bar(), &bar) && bar.bottom == monitor.rcWork.bottom; },
            2000))
            << "the bar ends at " << bar.bottom << ", the work area at " << monitor.rcWork.bottom;
        ExpectBarAttached();
    }

    void FileStep(const Step& step) {
        Bytes file;
        WaitUntil(
            [&]() {
                file = ReadWholeFile(PathOf(step.text));
                return !file.empty();
            },
            Patience);
        int index = step.act == BmpPixel ? BmpFileIndex(file, step.a, step.b)
                                         : IconFileIndex(file, step.a, step.b);
        EXPECT_EQ(step.c, index) << "pixel " << step.a << "," << step.b << " of "
                                 << testing::PrintToString(std::wstring(step.text));
    }

    void Run(const Step& step) {
        switch (step.act) {
        case Start: StartStep(step); break;
        case Command: PostMessageW(Main, WM_COMMAND, step.a, 0); break;
        case NewCreate: {
            PostMessageW(Main, WM_COMMAND, CMD_NEW_CREATE, 0);
            HWND dialog = Box();
            ASSERT_NE(nullptr, dialog) << "no Canvas Size dialog";
            PressButton(dialog, step.a == 16 ? 101 : 102); // a size's button chooses and closes
            Gone(dialog);
            CanvasStep(step);
            break;
        }
        case TapCell: PostTap(CanvasWindow(), step.a * 10 + 5, step.b * 10 + 5); break;
        case TapAtClick: {
            POINT at = Clicked;
            RECT canvas = {};
            ScreenToClient(CanvasWindow(), &at);
            GetClientRect(CanvasWindow(), &canvas);
            ASSERT_TRUE(PtInRect(&canvas, at)) << "the box's button lies off the canvas";
            TappedCell = POINT{at.x / 10, at.y / 10};
            PostTap(CanvasWindow(), at.x, at.y);
            break;
        }
        case CloseBox: CloseBoxStep(step, false); break;
        case ClickBox: CloseBoxStep(step, true); break;
        case SaveDialog: {
            HWND dialog = Box(true);
            ASSERT_NE(nullptr, dialog) << "no Save As dialog";
            AnswerFileDialog(dialog, PathOf(step.text));
            Gone(dialog);
            break;
        }
        case SecondStart: SecondStartStep(step); break;
        case Drop: {
            HWND view = Child(Main, L"View Window");
            ASSERT_TRUE(DropFile(Process, view, POINT{20, 20}, PathOf(step.text)))
                << "the window takes no dropped files";
            break;
        }
        case Canvas: CanvasStep(step); break;
        case ClientSize: ClientSizeStep(step); break;
        case Layout: LayoutStep(step); break;
        case Squeeze: SqueezeStep(step); break;
        case Maximize: MaximizeStep(); break;
        case Ended: {
            DWORD code = 99;
            EXPECT_TRUE(WaitForProgramEnd(Process, Patience, &code)) << "the program still runs";
            EXPECT_EQ(0u, code);
            break;
        }
        case BmpPixel:
        case IconPixel: FileStep(step); break;
        case ClickedCell:
            FileStep(Step{BmpPixel, TappedCell.x, TappedCell.y, step.c, step.text});
            break;
        case NoFile:
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(PathOf(step.text).c_str()));
            break;
        }
    }

    std::wstring Folder;
    PROCESS_INFORMATION Process = {};
    HWND Main = nullptr;
    POINT Clicked = {};    // where the click on a box's button landed, on the screen
    POINT TappedCell = {}; // the image cell under it
};

TEST_P(RealProgram, Scenario) {
    const std::vector<Step>& steps = GetParam().steps;
    for (size_t i = 0; i < steps.size() && !HasFatalFailure(); i++) {
        SCOPED_TRACE(testing::Message() << "step " << i + 1);
        Run(steps[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RealProgram, testing::ValuesIn(Scenarios),
                         [](const testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
