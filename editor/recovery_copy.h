#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <QTimer>

class QLockFile;

#include "shared/board_model.h"

namespace editor {

// The copy of an unsaved board that lets Brickwright give the work back after a crash: an
// ordinary board file in the user's application data folder, written (atomically, like every
// save) a short while after the board changed and removed once nothing is unsaved any more.
class RecoveryCopy {
  public:
    static constexpr std::chrono::milliseconds kDefaultDelay{10000};

    RecoveryCopy();
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // The copy's path, as the bytes the system uses.
    const std::string& Path() const { return path_; }
    // Whether a copy lies there that no running Brickwright keeps: one left by a run that did
    // not end cleanly. While another Brickwright runs, the copy is its own, and this one keeps
    // none (the first one to start holds the copy's lock).
    bool Exists() const;

    // At most `delay` after the first change that is not yet in the copy, `board` is written.
    // Later changes before that moment go into the same write.
    void Schedule(const core::Board& board);
    void SetDelay(std::chrono::milliseconds delay) { delay_ = delay; }
    // Writes now. A folder that cannot be written is reported once on stderr and never stops
    // the editor. Returns whether the copy was written.
    bool WriteNow();
    // No unsaved work any more: the copy this run wrote goes, and so does a pending write. A
    // copy left by an earlier run stays until the user has answered for it.
    void Remove();
    // The user discarded the copy found at start.
    void Discard();
    // Moves a damaged copy out of the way; returns its new path.
    std::string SetAside();

  private:
    std::string path_;
    const core::Board* board_ = nullptr;
    std::chrono::milliseconds delay_ = kDefaultDelay;
    QTimer timer_;
    bool reported_ = false;  // a failure is reported once a run
    bool owned_ = false;     // this run has scheduled or written the copy
    std::unique_ptr<QLockFile> lock_;
    bool locked_ = false;  // this run is the one that keeps the copy
};

}  // namespace editor
