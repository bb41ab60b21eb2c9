// Makes a test program look like the editor to the code under test: its instance is the
// editor's instance (the resources are linked in) and the editor's window classes exist.
#include "base/editor_state.h"
#include "shell/shell.h"
#include <gtest/gtest.h>

namespace {
class EditorEnvironment : public testing::Environment {
    void SetUp() override {
        AppInstance = GetModuleHandleW(nullptr);
        RegisterEditorClasses(AppInstance);
        InitPalette();
    }
};
const auto* Registered = testing::AddGlobalTestEnvironment(new EditorEnvironment);
} // namespace
