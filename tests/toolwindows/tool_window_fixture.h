// Tool windows under test: each is made a child of a plain parent window at the top left of
// the screen, at the size the main window's layout gives it, and destroyed after the test.
#pragma once
#include "base/editor_state.h"
#include "toolwindows/toolwindows.h"
#include <gtest/gtest.h>
#include <vector>

class ToolWindowTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // A visible, bordered child of the test parent with the given client size, painted.
    HWND MakeChild(const wchar_t* className, int clientWidth, int clientHeight,
                   DWORD extraStyle = 0, HWND parent = nullptr);
    // Resizes a window until its client area has the given size (scroll bars that come and
    // go change the client area on the way).
    void SetClientSize(HWND window, int width, int height);
    // A plain child standing in for the canvas, of the view or else of the test parent.
    HWND MakeStandInCanvas(HWND view);
    std::vector<HWND> made;
};

// The window's position in its parent's client coordinates.
POINT PositionInParent(HWND window);
bool HasUpdateRegion(HWND window);
