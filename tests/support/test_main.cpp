// Entry point of every test program: installs the box answerer, parks the cursor and runs
// the tests.
#include "test_support.h"
#include <gtest/gtest.h>

void InstallBoxAnswerer();

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    InstallBoxAnswerer();
    ParkCursor();
    return RUN_ALL_TESTS();
}
