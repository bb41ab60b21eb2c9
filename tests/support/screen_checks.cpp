// Checks of where a dialog lies on the screen, and a work area set for one test.
#include "test_support.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace {

std::string Text(const RECT& r) {
    char text[64];
    snprintf(text, sizeof text, "(%ld, %ld)-(%ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

void ExpectDialogOnWorkArea(HWND dialog, const RECT& work, const std::string& what) {
    RECT outer = {}, client = {};
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, (POINT*)&client, 2);
    EXPECT_TRUE(Inside(outer, work))
        << what << ": the dialog at " << Text(outer) << ", the work area " << Text(work);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT control = {};
        GetWindowRect(c, &control);
        EXPECT_TRUE(Inside(control, client))
            << what << ": control " << GetDlgCtrlID(c) << " at " << Text(control)
            << ", the client area " << Text(client);
    }
}

WorkAreaForTest::WorkAreaForTest(const RECT& work) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0);
    RECT area = work;
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0);
}

WorkAreaForTest::~WorkAreaForTest() {
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
}
