// The live repaint of a stroke redraws only the cells each move changed, yet the user sees
// exactly what the whole repaint showed: after every move, the release and the full paint
// after it, the canvas and both monitors read back pixel for pixel the same as with
// `WholeLiveRepaint` set. Every tool, plain and masked (the masked view keeps what a cell
// showed when it turns transparent), with nothing over the picture, a selection frame or a
// floating block, with the mesh: at 32 x 32 (there also without the mesh, with a wide pen and
// with strokes making cells opaque), on a 1024 x 1024 image scrolled inside a small view, and
// at an odd size at scale 7.
#include "canvas/canvas.h"
#include "canvas_fixture.h"
#include "base/editor_state.h"
#include "test_support.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Size {
    const char* name;
    int width, height, scale;
    int viewWidth, viewHeight;
    int scroll; // screen pixels the view is scrolled by, both ways
    bool all;   // every view; else the plain view and the masked one that makes cells
                // transparent
};

const Size Sizes[] = {{"32x32", 32, 32, 10, 330, 330, 0, true},
                      {"1024x1024 scrolled", 1024, 1024, 10, 240, 200, 4000, false},
                      {"odd 21x15", 21, 15, 7, 200, 200, 0, false}};

enum View { PLAIN, PLAIN_WIDE_PEN, MASK_TRANSPARENT, MASK_OPAQUE, VIEW_COUNT };
const char* const ViewNames[] = {"plain", "plain, line width 3", "masked, transparent",
                                 "masked, opaque"};
enum Overlay { NOTHING, FRAME, BLOCK, OVERLAY_COUNT };
const char* const OverlayNames[] = {"nothing over it", "a selection frame", "a floating block"};

struct Stylus {
    UINT message;
    int x, y; // in cells from the view's top left cell, plus `dx`, `dy` screen pixels
    int dx, dy;
};

// Moves inside the cell before, long segments, a figure growing by a cell or two, a stretch
// outside the window (clamped to the image's top left, which the monitors show), past the
// image's right edge, back over what was drawn; and a second stroke whose first move draws a
// large figure, which starts outside the floating block.
const Stylus Script[] = {
    {WM_LBUTTONDOWN, 3, 4, 5, 5},   {WM_MOUSEMOVE, 3, 4, 8, 2},   {WM_MOUSEMOVE, 6, 4, 1, 1},
    {WM_MOUSEMOVE, 6, 9, 1, 1},     {WM_MOUSEMOVE, 12, 9, 4, 4},  {WM_MOUSEMOVE, 12, 9, 6, 8},
    {WM_MOUSEMOVE, 20, 18, 0, 0},   {WM_MOUSEMOVE, 21, 20, 0, 0}, {WM_MOUSEMOVE, 2, 14, 0, 0},
    {WM_MOUSEMOVE, -99, -99, 0, 0}, {WM_MOUSEMOVE, 40, 6, 0, 0},  {WM_MOUSEMOVE, 5, 5, 5, 5},
    {WM_MOUSEMOVE, 5, 5, 5, 5},     {WM_LBUTTONUP, 8, 3, 5, 5},   {WM_LBUTTONDOWN, 9, 1, 5, 5},
    {WM_MOUSEMOVE, 1, 8, 5, 5},     {WM_MOUSEMOVE, 1, 1, 5, 5},   {WM_LBUTTONUP, 1, 1, 5, 5}};

// Drags of the floating block (pasted at cell (2, 3), 6 x 5 cells; the column right of it and
// the row below it count as inside): the press, then each point the stylus reports, the
// release at the last. Each runs with one move a point and again with a move every cell
// between, and must look and end the same.
struct BlockDrag {
    const char* name;
    int count;
    POINT points[5]; // cells from the view's top left; -99 outside the window
};
const BlockDrag BlockDrags[] = {
    {"from inside it, off the view, outside the window and back",
     5,
     {{3, 4}, {40, 33}, {41, 33}, {-99, -99}, {12, 10}}},
    {"pressed beside it, away and back across it", 4, {{8, 5}, {14, 5}, {1, 5}, {1, 5}}},
    {"pressed outside it, then across it", 3, {{13, 12}, {20, 5}, {0, 5}}}};

// The view: a plain child that clips the canvas to itself.
HWND MakeView(HWND host, int width, int height) {
    WNDCLASSW wc = {};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), L"LiveRepaintView", &wc)) {
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
        wc.lpszClassName = L"LiveRepaintView";
        RegisterClassW(&wc);
    }
    return CreateWindowW(L"LiveRepaintView", L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, host,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The picture every run starts from (every colour) and the mask of the masked views (some
// cells transparent), made once per size.
struct Pattern {
    std::vector<BYTE> image, mask;
};

Pattern MakePattern(int width, int height) {
    Pattern p;
    size_t imageStride = (width * 4 + 31) / 32 * 4, maskStride = (width + 31) / 32 * 4;
    p.image.assign(imageStride * height, 0);
    p.mask.assign(maskStride * height, 0);
    for (int y = 0; y < height; y++) {
        BYTE* row = &p.image[(size_t)(height - 1 - y) * imageStride];
        BYTE* maskRow = &p.mask[(size_t)(height - 1 - y) * maskStride];
        for (int x = 0; x < width; x++) {
            row[x / 2] |= (BYTE)(((x * 3 + y * 5) % 16) << (x % 2 ? 0 : 4));
            if ((x + 2 * y) % 5 == 0) maskRow[x / 8] |= (BYTE)(0x80 >> (x % 8));
        }
    }
    return p;
}

class Screen {
  public:
    explicit Screen(HWND host) : Host(host) {
        RECT r;
        GetClientRect(host, &r);
        Width = r.right;
        Height = r.bottom;
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        Window = GetDC(host);
        Memory = CreateCompatibleDC(Window);
        Bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, (void**)&Bits, nullptr, 0);
        Previous = SelectObject(Memory, Bitmap);
    }
    ~Screen() {
        SelectObject(Memory, Previous);
        DeleteObject(Bitmap);
        DeleteDC(Memory);
        ReleaseDC(Host, Window);
    }
    const DWORD* Read() {
        BitBlt(Memory, 0, 0, Width, Height, Window, 0, 0, SRCCOPY);
        GdiFlush();
        return Bits;
    }
    size_t Pixels() const { return (size_t)Width * Height; }
    // Where two readings first differ, or "" when they are the same.
    std::string Difference(const DWORD* want, const DWORD* got, size_t step) const {
        if (!memcmp(want, got, Pixels() * 4)) return "";
        size_t i = 0;
        while (want[i] == got[i])
            i++;
        char text[128];
        wsprintfA(text, "after step %d, host pixel (%d, %d): %06X expected, %06X shown", (int)step,
                  (int)(i % Width), (int)(i / Width), want[i] & 0xFFFFFF, got[i] & 0xFFFFFF);
        return text;
    }

  private:
    HWND Host;
    HDC Window, Memory;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
    DWORD* Bits = nullptr;
    int Width, Height;
};

class LiveRepaint : public testing::Test {
  protected:
    void TearDown() override {
        Close();
        WholeLiveRepaint = 0;
    }

    // The windows as the editor lays them out: the canvas scrolled inside a view, the two
    // monitors beside the view.
    void Open(const Size& size) {
        ResetEditorState();
        ResetCanvasState();
        Scale = size.scale;
        CanvasWidth = size.width;
        CanvasHeight = size.height;
        SizeChosen = 1;
        Host = MakeTestWindow(L"LiveRepaintHost", WS_POPUP | WS_VISIBLE, size.viewWidth + 60,
                              size.viewHeight + 10, nullptr, (HBRUSH)GetStockObject(GRAY_BRUSH));
        HWND view = MakeView(Host, size.viewWidth, size.viewHeight);
        Canvas = CreateWindowW(L"Canvas", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, -1 - size.scroll,
                               -1 - size.scroll, size.width * size.scale + 2,
                               size.height * size.scale + 2, view, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ImageWindows[0] = Canvas;
        NoCanvas = 0;
        for (int d = 1; d <= 2; d++)
            ImageWindows[d] = CreateWindowW(L"Monitor", L"", WS_CHILD | WS_VISIBLE | WS_BORDER,
                                            size.viewWidth + 4, d == 1 ? 10 : 60, d == 1 ? 36 : 20,
                                            d == 1 ? 36 : 20, Host, nullptr,
                                            GetModuleHandleW(nullptr), (LPVOID)(INT_PTR)d);
    }

    // The fixture closes the monitors and puts the state back; the canvas and host are ours.
    void Close() {
        CloseCanvas();
        if (Canvas) SendMessageW(Canvas, WM_CLOSE, 0, 0);
        if (Host) DestroyWindow(Host);
        Host = Canvas = nullptr;
    }

    // The canvas point of a point of the script, its cells counted from the view's top left.
    static POINT ScriptPoint(const Size& size, int cellX, int cellY, int dx, int dy) {
        POINT p = {size.scroll + cellX * size.scale + dx, size.scroll + cellY * size.scale + dy};
        if (cellX < 0) p.x = p.y = -40; // outside the window: the stroke clamps it to (0, 0)
        return p;
    }
    void SendAt(UINT message, POINT p) {
        SendMessageW(Canvas, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM((short)p.x, (short)p.y));
    }
    void Send(const Size& size, UINT message, int cellX, int cellY, int dx, int dy) {
        SendAt(message, ScriptPoint(size, cellX, cellY, dx, dy));
    }

    // A fresh picture of every colour and, in the masked views, a mask with transparent
    // cells; the overlay made with the copy tool; everything painted afresh.
    void Prepare(const Size& size, View view, int mesh, Overlay overlay, int tool) {
        ResetCanvasState();
        TransparencyMode = 0;
        ASSERT_TRUE(CreateImage(Canvas));
        ASSERT_EQ(4, ImageInfo->bmiHeader.biBitCount);
        MeshOn = mesh;
        memcpy(ImageBits, Start.image.data(), Start.image.size());
        if (view == MASK_TRANSPARENT || view == MASK_OPAQUE) {
            ASSERT_TRUE(CreateMask(Canvas, 0));
            TransparencyMode = 1;
            OpacityTool = view == MASK_TRANSPARENT ? 1 : 0;
            memcpy(MaskBits, Start.mask.data(), Start.mask.size());
        }
        LineWidth = view == PLAIN_WIDE_PEN ? 3 : 1;
        LineColor = COLOR_RED;
        FillColor = COLOR_BLUE;
        RedrawWindow(Host, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        CurrentTool = TOOL_COPYRECT;
        if (overlay != NOTHING) {
            Send(size, WM_LBUTTONDOWN, 10, 8, 5, 5);
            Send(size, WM_MOUSEMOVE, 16, 13, 5, 5);
            Send(size, WM_LBUTTONUP, 16, 13, 5, 5);
        }
        if (overlay == BLOCK) {
            CopyCommand(Canvas);
            Send(size, WM_LBUTTONDOWN, 2, 3, 5, 5); // a tap: the block will be pasted there
            Send(size, WM_LBUTTONUP, 2, 3, 5, 5);
            PasteCommand(Canvas);
        }
        PumpMessages();
        CurrentTool = tool;
    }

    // Runs the script from a fresh start, reading the screen after each message and after
    // each release's full paint: the whole repaint's readings are kept in `Want`, the cut
    // repaint's compared with them. "" when all were the same.
    std::string Run(Screen& screen, const Size& size, View view, int mesh, Overlay overlay,
                    int tool, int whole) {
        Prepare(size, view, mesh, overlay, tool);
        WholeLiveRepaint = whole;
        if (whole) Want.clear();
        size_t step = 0;
        std::string difference;
        auto read = [&]() {
            const DWORD* pixels = screen.Read();
            if (whole)
                Want.insert(Want.end(), pixels, pixels + screen.Pixels());
            else if (difference.empty())
                difference = screen.Difference(&Want[step * screen.Pixels()], pixels, step);
            step++;
        };
        for (const Stylus& s : Script) {
            Send(size, s.message, s.x, s.y, s.dx, s.dy);
            read();
            if (s.message == WM_LBUTTONUP) {
                PumpMessages();
                read();
            }
        }
        WholeLiveRepaint = 0;
        return difference;
    }

    // Drags the floating block through `drag`'s points, reaching each in one move or in moves
    // a cell apart: the screen after each point and after the release's full paint, then the
    // image as the release left it and after Undo.
    struct Dragged {
        std::vector<DWORD> screens;
        std::vector<BYTE> placed, undone;
    };
    Dragged DragBlock(Screen& screen, const Size& size, const BlockDrag& drag, bool stepwise) {
        Dragged seen;
        Prepare(size, PLAIN, 1, BLOCK, TOOL_COPYRECT);
        auto read = [&]() {
            const DWORD* pixels = screen.Read();
            seen.screens.insert(seen.screens.end(), pixels, pixels + screen.Pixels());
        };
        auto image = [&]() {
            GdiFlush();
            return std::vector<BYTE>(ImageBits, ImageBits + Start.image.size());
        };
        POINT from = ScriptPoint(size, drag.points[0].x, drag.points[0].y, 5, 5);
        SendAt(WM_LBUTTONDOWN, from);
        for (int i = 1; i < drag.count; i++) {
            POINT to = ScriptPoint(size, drag.points[i].x, drag.points[i].y, 5, 5);
            int steps =
                stepwise ? std::max(abs(to.x - from.x), abs(to.y - from.y)) / size.scale + 1 : 1;
            for (int s = 1; s <= steps; s++)
                SendAt(WM_MOUSEMOVE, POINT{from.x + (to.x - from.x) * s / steps,
                                           from.y + (to.y - from.y) * s / steps});
            read();
            from = to;
        }
        SendAt(WM_LBUTTONUP, from);
        PumpMessages();
        read();
        seen.placed = image();
        UndoCommand();
        seen.undone = image();
        return seen;
    }

    // Runs `body` on each size's windows, with its start picture and a reader of its screen.
    template <typename Body> void ForEachSize(Body body) {
        ParkCursor();
        for (const Size& size : Sizes) {
            Open(size);
            Start = MakePattern(size.width, size.height);
            Screen screen(Host);
            body(size, screen);
            Close();
        }
    }

    HWND Host = nullptr;
    HWND Canvas = nullptr;
    Pattern Start;
    std::vector<DWORD> Want;
};

TEST_F(LiveRepaint, ShowsWhatTheWholeRepaintShowedAfterEveryMove) {
    ForEachSize([&](const Size& size, Screen& screen) {
        for (int view = 0; view < VIEW_COUNT; view++) {
            bool mainView = view == PLAIN || view == MASK_TRANSPARENT;
            if (!size.all && !mainView) continue;
            // The line width is nothing to the copy tool.
            int lastTool = view == PLAIN_WIDE_PEN ? TOOL_FILLELLIPSE : TOOL_COPYRECT;
            // Without the mesh: the plain and masked views at 32 x 32.
            for (int mesh = size.all && mainView ? 0 : 1; mesh <= 1; mesh++)
                for (int overlay = 0; overlay < OVERLAY_COUNT; overlay++)
                    for (int tool = TOOL_PEN; tool <= lastTool; tool++) {
                        SCOPED_TRACE(std::string(size.name) + ", " + ViewNames[view] +
                                     (mesh ? ", mesh" : ", no mesh") + ", " +
                                     OverlayNames[overlay] + ", tool " + std::to_string(tool));
                        Run(screen, size, (View)view, mesh, (Overlay)overlay, tool, 1);
                        ASSERT_EQ("",
                                  Run(screen, size, (View)view, mesh, (Overlay)overlay, tool, 0));
                    }
        }
    });
}

// However far the stylus goes between two reports, the floating block is dragged as by a
// stylus reported at every cell on the way: the canvas and the monitors show the same after
// each report and the release, and the same pixels are placed and undone.
TEST_F(LiveRepaint, ABlockDraggedFarInOneMoveGoesAsInSmallSteps) {
    ForEachSize([&](const Size& size, Screen& screen) {
        for (const BlockDrag& drag : BlockDrags) {
            SCOPED_TRACE(std::string(size.name) + ", " + drag.name);
            Dragged want = DragBlock(screen, size, drag, true);
            Dragged got = DragBlock(screen, size, drag, false);
            for (size_t step = 0; step < (size_t)drag.count; step++)
                ASSERT_EQ("", screen.Difference(&want.screens[step * screen.Pixels()],
                                                &got.screens[step * screen.Pixels()], step + 1));
            EXPECT_FALSE(want.placed == want.undone) << "the drag placed no block";
            EXPECT_TRUE(want.placed == got.placed) << "the block placed elsewhere";
            EXPECT_TRUE(want.undone == got.undone) << "Undo gives another picture";
        }
    });
}

} // namespace
