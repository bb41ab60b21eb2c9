// Shared by the installer's window tests: a main window made as setup makes it, closed
// again after each test.
#pragma once
#include "setup.h"
#include "test_support.h"
#include <gtest/gtest.h>

class SetupWindowTest : public testing::Test {
  protected:
    HWND main = nullptr;
    void SetUp() override {
        SetupStep = 0;
        CabinetPath[0] = 0;
        main = CreateWindowW(L"Setup", L"Setup", WS_VISIBLE | WS_MINIMIZEBOX, 0, 0, 400, 400,
                             nullptr, nullptr, SetupInstance, nullptr);
        ASSERT_NE(main, nullptr);
        PumpMessages();
    }
    void TearDown() override {
        if (IsWindow(main)) DestroyWindow(main);
        PumpMessages();
        SetupLanguage = 0x0409;
    }
    // Sizes the main window's client area as a turn of the device would.
    void Resize(int width, int height) {
        SendMessageW(main, WM_SIZE, 0, MAKELPARAM(width, height));
    }
    // Place and size of a child in its parent's client coordinates.
    static RECT ChildRect(HWND child) {
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, GetParent(child), (POINT*)&rect, 2);
        return rect;
    }
    // The welcome dialog's "&OK", as the user would press it.
    void ShowAgreement() {
        HandleNextDialog([](HWND dialog) { PressDialogButton(dialog, IDOK); });
        SendMessageW(main, WM_COMMAND, IDC_NEXT, 0);
        PumpMessages();
    }
};
