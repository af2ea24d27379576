#include "editor/recovery_copy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "shared/board_file.h"

namespace editor {

namespace {

constexpr const char* kCopyEnding = ".brd";

// Beside every copy: its lock, and the record of the board's own file.
std::string LockOf(const std::string& copy) {
    return copy + ".lock";
}
std::string RecordOf(const std::string& copy) {
    return copy + ".file";
}

QString ToQt(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string DataFolder() {
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .toStdString();
}

// Where Brickwright kept its one copy before the copies moved to the game's data folder.
std::string LegacyCopy() {
    return DataFolder() + "/Vantor/Brickwright/recovery.brd";
}

std::unique_ptr<QLockFile> MakeLock(const std::string& copy) {
    auto lock = std::make_unique<QLockFile>(ToQt(LockOf(copy)));
    // A lock whose process is gone (a crash, kill -9) is stale and taken over; a lock is never
    // stale by its age alone.
    lock->setStaleLockTime(0);
    return lock;
}

std::string ReadRecord(const std::string& copy) {
    std::ifstream in(RecordOf(copy), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void RemoveCopy(const std::string& copy) {
    std::error_code error;
    std::filesystem::remove(copy, error);
    std::filesystem::remove(RecordOf(copy), error);
}

std::string Stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
}

}  // namespace

std::string RecoveryCopy::StandardFolder() {
    return DataFolder() + "/vantor/recovery";
}

RecoveryCopy::RecoveryCopy() {
    const std::string folder = StandardFolder();
    const std::string cannot = "Brickwright cannot keep recovery copies of unsaved work: ";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        problem_ = cannot + "the folder " + folder + " cannot be made (" + error.message() + ").";
        return;
    }
    // The start time, the process and a count name the copy: several windows of one process
    // (as in tests) each keep their own, and no name of an earlier run comes back.
    static std::atomic<int> windows{0};
    path_ = folder + "/" + Stamp() + "-" + std::to_string(QCoreApplication::applicationPid()) +
            "-" + std::to_string(windows++) + kCopyEnding;
    lock_ = MakeLock(path_);
    if (!lock_->tryLock(0)) {
        problem_ = cannot + "no file can be made in the folder " + folder +
                   (lock_->error() == QLockFile::PermissionError ? " (Permission denied)." : ".");
        lock_.reset();
    }
}

RecoveryCopy::~RecoveryCopy() = default;

bool RecoveryCopy::Exists() const {
    std::error_code error;
    return !path_.empty() && std::filesystem::exists(std::filesystem::symlink_status(path_, error));
}

bool RecoveryCopy::WriteNow() {
    if (board_ == nullptr || !lock_) {
        return false;
    }
    try {
        // The folder may have been removed since the start.
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
        // A copy: the board's own header is what its file holds, not what the copy holds.
        core::Board copy = *board_;
        core::SaveBoard(path_, copy);
        if (boardFile_.empty()) {
            std::filesystem::remove(RecordOf(path_));
        } else {
            QSaveFile record(ToQt(RecordOf(path_)));
            const QByteArray bytes = QByteArray::fromStdString(boardFile_);
            if (!record.open(QIODevice::WriteOnly) || record.write(bytes) != bytes.size() ||
                !record.commit()) {
                throw std::runtime_error(RecordOf(path_) + ": " +
                                         record.errorString().toStdString());
            }
        }
        return true;
    } catch (const std::exception& e) {
        if (!reported_) {
            std::cerr << "Brickwright: cannot write the recovery copy: " << e.what() << '\n';
            reported_ = true;
        }
        return false;
    }
}

void RecoveryCopy::Remove() {
    board_ = nullptr;
    if (lock_) {
        RemoveCopy(path_);
    }
}

std::vector<RecoveryCopy::Orphan> RecoveryCopy::FindOrphans() const {
    std::vector<std::pair<std::filesystem::file_time_type, Orphan>> found;
    const auto consider = [&](const std::string& copy) {
        std::error_code error;
        if (copy == path_ || !std::filesystem::is_regular_file(copy, error)) {
            return;
        }
        std::shared_ptr<QLockFile> lock = MakeLock(copy);
        if (!lock->tryLock(0)) {
            return;  // a running Brickwright keeps it
        }
        found.emplace_back(std::filesystem::last_write_time(copy, error),
                           Orphan{copy, ReadRecord(copy), std::move(lock)});
    };
    std::error_code error;
    for (std::filesystem::directory_iterator entry(StandardFolder(), error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (entry->path().extension() == kCopyEnding) {
            consider(entry->path().string());
        }
    }
    consider(LegacyCopy());

    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Orphan> orphans;
    for (auto& [time, orphan] : found) {
        orphans.push_back(std::move(orphan));
    }
    return orphans;
}

void RecoveryCopy::Adopt(const Orphan& orphan) {
    if (WriteNow()) {
        Discard(orphan);
    }
}

void RecoveryCopy::Discard(const Orphan& orphan) {
    RemoveCopy(orphan.Path);
    orphan.Lock->unlock();
}

std::string RecoveryCopy::SetAside(const Orphan& orphan) {
    std::string aside = orphan.Path + ".damaged-" + Stamp();
    std::error_code error;
    std::filesystem::rename(orphan.Path, aside, error);
    if (error) {
        aside.clear();
    }
    Discard(orphan);
    return aside;
}

}  // namespace editor
