#include "editor/dialogs.h"

#include <string>

#include <gtest/gtest.h>

#include "editor/file_filters.h"

namespace editor {
namespace {

TEST(ToQtFilter, ShowsEachEntryAsDescriptionWithItsPatterns) {
    EXPECT_EQ(ToQtFilter("Bitmaps (*.bmp)|*.bmp"), "Bitmaps (*.bmp)");
    EXPECT_EQ(ToQtFilter("Vantor Boards (*.brd)|*.brd"), "Vantor Boards (*.brd)");
    EXPECT_EQ(ToQtFilter("Pictures|*.bmp;*.png|All files|*.*"),
              "Pictures (*.bmp *.png);;All files (*.*)");
    EXPECT_EQ(ToQtFilter("Bitmaps (*.bmp)|*.bmp|Boards|*.brd"), "Bitmaps (*.bmp);;Boards (*.brd)");
}

TEST(FileFilters, KeepTheClassicEntryFirstAndAddPicturesAndAllFiles) {
    EXPECT_EQ(ToQtFilter(kBoardFileFilter), "Vantor Boards (*.brd);;All files (*)");
    const std::string sheets = ToQtFilter(BrickSheetFilter());
    EXPECT_TRUE(sheets.starts_with("Bitmaps (*.bmp);;All pictures (*.bmp ")) << sheets;
    EXPECT_NE(sheets.find(" *.png"), std::string::npos) << sheets;
    EXPECT_TRUE(sheets.ends_with(");;All files (*)")) << sheets;
}

}  // namespace
}  // namespace editor
