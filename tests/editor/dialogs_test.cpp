#include "editor/dialogs.h"

#include <gtest/gtest.h>

namespace editor {
namespace {

TEST(ToQtFilter, ShowsEachEntryAsDescriptionWithItsPatterns) {
    EXPECT_EQ(ToQtFilter("Bitmaps (*.bmp)|*.bmp"), "Bitmaps (*.bmp)");
    EXPECT_EQ(ToQtFilter("Vantor Boards (*.brd)|*.brd"), "Vantor Boards (*.brd)");
    EXPECT_EQ(ToQtFilter("Pictures|*.bmp;*.png|All files|*.*"),
              "Pictures (*.bmp *.png);;All files (*.*)");
    EXPECT_EQ(ToQtFilter("Bitmaps (*.bmp)|*.bmp|Boards|*.brd"), "Bitmaps (*.bmp);;Boards (*.brd)");
}

}  // namespace
}  // namespace editor
