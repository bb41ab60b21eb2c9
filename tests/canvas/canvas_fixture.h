// A canvas hosted the way the view window hosts it, for the canvas and tool window tests:
// a parent window at the screen's top left with the canvas as its bordered child.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

#define COLOR_BLACK RGB(0, 0, 0)
#define COLOR_WHITE RGB(255, 255, 255)
#define COLOR_RED RGB(255, 0, 0)  // index 9 of the standard 16-colour table
#define COLOR_BLUE RGB(0, 0, 255) // index 12
#define COLOR_MESH RGB(0x80, 0x80, 0x80)
#define COLOR_CANVAS_BACKGROUND RGB(0x48, 0x48, 0x48)
#define COLOR_MONITOR_BACKGROUND RGB(0x80, 0x80, 0x80)

// Makes a parent of the given client size and a canvas for a width x height image at the
// given scale inside it, from the editor's start state; the image is new and white. Returns
// the canvas.
HWND OpenCanvas(int width, int height, int scale, int parentWidth = 700, int parentHeight = 700);
// Closes the monitors, the canvas and its parent; leaves the image store for the next test.
void CloseCanvas();
HWND CanvasParent();
// Switches the Opaque/Transparency mode on with a fresh, all-opaque mask of the image's size.
void UseFreshMask();
// Opens the full-size (1) or half-size (2) monitor as the main window would, at (x, y).
HWND OpenMonitor(int divisor, int x, int y);
// Repaints a window whole, erasing first, as a full paint does.
void FullRepaint(HWND window);
// Sets image pixel (x, y) to a colour through the graphics interface.
void PaintImagePixel(int x, int y, COLORREF color);
// Image and mask pixels as stored (after pending drawing has reached the bits).
int ImageIndex(int x, int y);
int MaskIndex(int x, int y);
// Colour of the screen cell of image pixel (x, y), sampled away from the mesh lines.
COLORREF CellColor(HWND canvas, int x, int y);
// Rows y0..y1-1 of the image (or the mask) from x0 to x1-1, one hex digit per pixel.
std::string Picture(int x0, int y0, int x1, int y1, bool mask = false);
// Centre of image cell `cell` in client coordinates at scale 10.
inline int At(int cell) {
    return cell * 10 + 5;
}
// A drag from cell (x0, y0) to cell (x1, y1) at scale 10, and a tap, each followed by the
// full paint the release asks for.
void DragCells(HWND canvas, int x0, int y0, int x1, int y1, int steps = 8);
void TapCell(HWND canvas, int x, int y);

// A fixture whose tests each start on a new white Width x Height canvas at scale 10.
template <int Width, int Height> class CanvasTest : public testing::Test {
  protected:
    HWND canvas = nullptr;
    void SetUp() override { canvas = OpenCanvas(Width, Height, 10); }
    void TearDown() override { CloseCanvas(); }
};
