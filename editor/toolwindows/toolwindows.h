// The tool windows: tool bar, line bar, palette bar, opaque/transparent tool and the view
// window that scrolls the canvas and places it. They change editor state and repaint
// themselves.
#pragma once
#include <windows.h>

LRESULT CALLBACK ToolBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LineBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PaletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransparentToolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Tool bar.
extern int PreviousTool;
// The fill becomes the current tool; the bar marks none of its cells.
void ChooseFillTool(HWND toolBar);

// Palette bar.
extern int PaletteCell;
extern int PaletteTarget; // 1: a primary tap sets LineColor, 0: FillColor
// The colour dialog for palette cell `cell`, opened with its colour; OK gives the cell the
// colour chosen (RecolourPaletteCell). False when the dialog was closed without a colour.
bool AskPaletteCellColour(HWND owner, int cell);
// The cell of the colour the palette's primary taps set (the line or the fill colour).
int TargetColorCell();

// Icon rows (tool bar, opaque/transparent tool): each icon owns a cell this wide and is
// drawn at the cell's left edge, so neighbouring 32-pixel icons overlap by one pixel.
#define ICON_CELL 31
#define ICON_SIZE 32

// Marks the chosen cell of the tool bar and of the opaque/transparent tool.
void DrawChoiceMark(HDC dc, const RECT* rect);
// Loads the named 32 x 32 icons into the null entries of icons; false if one is missing.
int LoadIconRow(const WCHAR* const* names, int count, HICON* icons);
// Paints a row of icons on a cleared background and marks the chosen one.
void PaintIconRow(HWND window, const HICON* icons, int count, int chosen);
// Draws a rectangle with a pen of the given style, width and colour and a solid brush of
// fill, making and releasing both around it; false if either could not be made.
int DrawFilledRectangle(HDC dc, int penStyle, int penWidth, COLORREF penColor, COLORREF fill,
                        int left, int top, int right, int bottom);

// View window. The scroll offset of the canvas inside it, in screen pixels.
extern int ViewScrollX;
extern int ViewScrollY;
// Re-ranges the view's scroll bars, clamps the scroll position and re-places the canvas.
// The view does this itself when its size changes; the main window calls it after the
// scale or the image size changed or the canvas was created, since the view's size then
// stays the same and the view hears of nothing.
void UpdateViewScrolling();
// Scrolls the view to these positions, as far as its ranges allow, and places the canvas.
void ScrollViewTo(int x, int y);
// The mouse wheel over the view (a desktop addition): each notch is a line request of the
// scroll bar, vertical, or horizontal with Shift; Ctrl+wheel goes to the main window, which
// owns the scale. Wheel turn short of a notch is kept for the next message.
LRESULT ViewWheel(HWND view, UINT message, WPARAM wParam, LPARAM lParam);
extern int ViewWheelTurnX;
extern int ViewWheelTurnY;

// Puts the tool windows' state back to its start values.
void ResetToolWindowsState();
