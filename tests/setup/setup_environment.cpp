// Makes a test program look like setup to the code under test: its instance is setup's
// instance (the resources are linked in) and setup's window classes exist.
#include "setup.h"
#include <gtest/gtest.h>

namespace {
class SetupEnvironment : public testing::Environment {
    void SetUp() override {
        SetupInstance = GetModuleHandleW(nullptr);
        SetupLanguage = 0x0409;
        RegisterSetupClasses(SetupInstance);
    }
};
const auto* Registered = testing::AddGlobalTestEnvironment(new SetupEnvironment);
} // namespace
