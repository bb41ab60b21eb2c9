// The tool windows: tool bar, line bar, palette bar, opaque/transparent tool and the view
// window that scrolls the canvas. They change editor state and repaint themselves.
#pragma once
#include <windows.h>

LRESULT CALLBACK ToolBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LineBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PaletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransparentToolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Tool bar.
extern int PreviousTool;

// Palette bar.
extern int PaletteCell;
extern int PaletteTarget; // 1: a primary tap sets LineColor, 0: FillColor

// Marks the chosen cell of the tool bar and of the opaque/transparent tool.
void DrawChoiceMark(HDC dc, const RECT* rect);
