// The editor's state at process start and the start palette.
#include "canvas/canvas.h"
#include "base/editor_state.h"
#include "shell/shell.h"
#include <gtest/gtest.h>

TEST(EditorState, StartValuesAreTheEditorsFreshStart) {
    EXPECT_EQ(24, MenuBarHeight);
    EXPECT_EQ(32, CanvasWidth);
    EXPECT_EQ(32, CanvasHeight);
    EXPECT_EQ(32, PrevCanvasWidth);
    EXPECT_EQ(32, PrevCanvasHeight);
    EXPECT_EQ(10, Scale);
    EXPECT_EQ(10, PrevScale);
    EXPECT_EQ(4, ImageBitCount);
    EXPECT_EQ(1, MeshOn);
    EXPECT_EQ(1, NoCanvas);
    EXPECT_EQ(0u, DocumentKind);
    EXPECT_EQ(0, Modified);
    EXPECT_EQ(0, SizeChosen);
    EXPECT_EQ(0, ImagePending);
    EXPECT_EQ(0, TransparencyMode);
    EXPECT_EQ(0, CurrentTool);
    EXPECT_EQ(0u, LineColor);
    EXPECT_EQ(0u, FillColor);
    EXPECT_EQ(nullptr, MainWindow);
    for (HWND w : ImageWindows)
        EXPECT_EQ(nullptr, w);
}

TEST(EditorState, StartPaletteIsTheStandardTableWordForWord) {
    static const COLORREF expected[PALETTE_SIZE] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
        0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    PaletteColors[3] = 0x123456;
    InitPalette();
    for (int i = 0; i < PALETTE_SIZE; i++)
        EXPECT_EQ(expected[i], PaletteColors[i]) << "entry " << i;
}

TEST(EditorState, DocumentKindHalvesAreFormatAndOrigin) {
    EXPECT_EQ(0x00010001u, (DWORD)DOCUMENT_NEW_BITMAP);
    EXPECT_EQ(0x00020001u, (DWORD)DOCUMENT_BITMAP_FILE);
    EXPECT_EQ(0x00020002u, (DWORD)DOCUMENT_ICON_FILE);
}
