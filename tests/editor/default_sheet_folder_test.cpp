// The folder of the first Load Bricks dialog: the installed sheet's, else the build's.

#include "editor/default_sheet_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace editor {
namespace {

TEST(DefaultSheetFolder, TheInstalledSheetThenTheBuildsThenNone) {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() /
        ("brickwright-sheet-folder-" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "bin");
    EXPECT_EQ(DefaultSheetFolderFor(root / "bin"), "");

    std::filesystem::create_directories(root / "assets/bricks.bmp");  // a folder is no sheet
    EXPECT_EQ(DefaultSheetFolderFor(root / "bin"), "");
    std::filesystem::remove(root / "assets/bricks.bmp");
    std::ofstream(root / "assets/bricks.bmp") << "BM";
    EXPECT_EQ(DefaultSheetFolderFor(root / "bin"), (root / "assets").string());

    std::filesystem::create_directories(root / "share/vantor");
    std::ofstream(root / "share/vantor/bricks.bmp") << "BM";
    EXPECT_EQ(DefaultSheetFolderFor(root / "bin"), (root / "share/vantor").string());
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace editor
