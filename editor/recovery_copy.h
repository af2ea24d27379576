#pragma once

#include <memory>
#include <string>
#include <vector>

class QLockFile;

#include "shared/board_model.h"

namespace editor {

// The copies of unsaved boards that let Brickwright give the work back after a crash. Every
// running Brickwright keeps a copy of its own in the recovery folder of the game's data folder
// (`$XDG_DATA_HOME/vantor/recovery/`): an ordinary board file, written (atomically, like every
// save) a short while after the board changed and removed once nothing is unsaved any more,
// with a lock beside it that names the running process and a record of the board's own file.
// When to write is the document's to say (RecoverySchedule); this is where and how.
// A copy whose lock no running process holds was left by a run that did not end cleanly; the
// next start finds it and offers it, whichever Brickwright left it.
class RecoveryCopy {
  public:
    // A copy that a run which did not end cleanly left behind. While this object lives, its lock
    // is held, so no other Brickwright offers the same copy.
    struct Orphan {
        std::string Path;       // the copy, as the bytes the system uses
        std::string BoardFile;  // the file the board belongs to; empty for an untitled one
        std::shared_ptr<QLockFile> Lock;
    };

    RecoveryCopy();
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // Where the copies live: `recovery` in the data folder the game reads its board from.
    static std::string StandardFolder();

    // Why this run keeps no copy (its folder cannot be made), for the user; empty when it does.
    const std::string& Problem() const { return problem_; }
    // This run's copy, as the bytes the system uses.
    const std::string& Path() const { return path_; }
    // Whether this run's copy is on disk.
    bool Exists() const;

    // The board the next write puts in the copy, with `boardFile` (the board's own file, empty
    // for none) in its record.
    void Keep(const core::Board& board, const std::string& boardFile) {
        board_ = &board;
        boardFile_ = boardFile;
    }
    // Writes the kept board now. A folder that cannot be written is reported once on stderr and
    // never stops the editor. Returns whether the copy was written.
    bool WriteNow();
    // No unsaved work any more: this run's copy goes.
    void Remove();

    // The copies no running Brickwright keeps, newest first: those in the recovery folder, and
    // the one an older Brickwright kept in its own data folder.
    std::vector<Orphan> FindOrphans() const;
    // The user restored `orphan`: once this run's copy holds the board (kept when it was
    // restored), the orphan goes. Should this run's copy fail, the orphan stays for a later start.
    void Adopt(const Orphan& orphan);
    // The user discarded `orphan`.
    void Discard(const Orphan& orphan);
    // Moves a damaged orphan out of the way; returns its new path (empty: it could not be moved
    // and was removed).
    std::string SetAside(const Orphan& orphan);

  private:
    std::string path_;
    std::string boardFile_;
    std::string problem_;
    const core::Board* board_ = nullptr;
    bool reported_ = false;  // a failure is reported once a run
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace editor
