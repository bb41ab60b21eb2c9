// The pixel image, its header builder and the undo store.
#include "canvas/canvas.h"
#include <gtest/gtest.h>

TEST(ImageStore, NoHistoryAtStart) {
    EXPECT_EQ(0, UndoAvailable);
    EXPECT_EQ(0, RedoAvailable);
}
