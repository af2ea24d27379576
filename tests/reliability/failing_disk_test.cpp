// Brickwright's "Save Board" on a failing disk: the write fails part-way, the target folder
// vanished, the target is a folder. Each time the message says what failed, the old file is
// byte-for-byte intact, no temporary file is left behind, and nothing in the editor changes.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/editor/editor_fixture.h"

namespace reliability {

using namespace editor::testing;
namespace {

namespace fs = std::filesystem;

// A disk that takes `capacity` bytes in total, then fails every write with `error` (0: the write
// makes no progress at all).
core::WriteFunction FailingAfter(std::size_t capacity, int error) {
    auto written = std::make_shared<std::size_t>(0);
    return [=](int fd, const void* data, std::size_t size) -> long {
        if (*written >= capacity) {
            if (error == 0) {
                return 0;
            }
            errno = error;
            return -1;
        }
        const std::size_t n = std::min(size, capacity - *written);
        const long done = ::write(fd, data, n);
        if (done > 0) {
            *written += static_cast<std::size_t>(done);
        }
        return done;
    };
}

class FailingDisk : public EditorFixture {
  protected:
    // Saves to path; exactly `message` is shown, and the editor and every file below the
    // temporary folder are as they were.
    void ExpectSaveFails(const std::string& path, const std::string& message) {
        const EditorSnapshot before = Take();
        const FolderContents files = Contents(Folder());
        SaveBoardFile(path);
        EXPECT_EQ(TakeMessage(), message) << path;
        EXPECT_TRUE(Take() == before) << path << ": the editor changed";
        EXPECT_EQ(Contents(Folder()), files) << path << ": a file changed or was left behind";
    }
};

TEST_F(FailingDisk, AWriteThatFailsPartWayLeavesTheOldFileAndNoTemporaryFile) {
    MakeBusyEditorFromBoard();
    // The file the editor loaded, which a save replaces.
    const std::string target = Path("work/busy.brd");
    const std::vector<char> old = ReadBytes(target);
    ASSERT_EQ(old.size(), core::BoardFileSize(3));

    form_->SetBoardWriter(FailingAfter(1000, ENOSPC));
    ExpectSaveFails(target, target + ": cannot save: write failed: No space left on device");

    // Failing in the middle of a brick record, with another error.
    form_->SetBoardWriter(FailingAfter(core::kBrickTableOffset + 1358 + 7, EIO));
    ExpectSaveFails(target, target + ": cannot save: write failed: Input/output error");

    // A disk that stops taking bytes without saying why must not make the save spin forever.
    form_->SetBoardWriter(FailingAfter(4000, 0));
    ExpectSaveFails(target, target + ": cannot save: write failed: No space left on device");

    // Failing before the first byte, to a new file: no file appears at all.
    form_->SetBoardWriter(FailingAfter(0, ENOSPC));
    ExpectSaveFails(Path("work/new.brd"),
                    Path("work/new.brd") + ": cannot save: write failed: No space left on device");
    EXPECT_EQ(ReadBytes(target), old);

    // Once the disk works again, the same save succeeds and writes the editor's board.
    form_->SetBoardWriter({});
    SaveBoardFile(target);
    EXPECT_TRUE(dialogs_.messages.empty());
    core::Board reread;
    core::LoadBoard(target, reread);
    EXPECT_EQ(reread.Cells, board_.Cells);
    EXPECT_EQ(reread.Bricks, board_.Bricks);
    EXPECT_EQ(fs::file_size(target), core::BoardFileSize(3));
}

TEST_F(FailingDisk, TheTargetFolderVanishedBeforeTheSave) {
    MakeBusyEditorFromBoard();
    const fs::path gone = Folder() / "gone";
    fs::create_directory(gone);
    const std::string target = (gone / "board.brd").string();
    // The folder was there when the dialog chose it, and is removed before the click reaches
    // the save.
    fs::remove(gone);
    ExpectSaveFails(target, target + ": cannot save: cannot create a file in " + gone.string() +
                                ": No such file or directory");
}

TEST_F(FailingDisk, TheTargetIsAFolder) {
    MakeBusyEditorFromBoard();
    const fs::path folder = Folder() / "level.brd";
    fs::create_directory(folder);
    WriteBytes(folder / "inside.txt", {'k', 'e', 'e', 'p'});
    ExpectSaveFails(folder.string(), folder.string() + ": cannot save: it is a folder");
}

}  // namespace
}  // namespace reliability
