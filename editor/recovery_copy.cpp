#include "editor/recovery_copy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "shared/board_file.h"

namespace editor {

RecoveryCopy::RecoveryCopy() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    path_ = QFile::encodeName(QDir(folder).filePath(QStringLiteral("recovery.brd"))).toStdString();
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { WriteNow(); });

    // A lock beside the copy says which running Brickwright keeps it. A lock whose process is
    // gone (a crash, kill -9) is taken over; a lock is never stale by its age alone.
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    lock_ = std::make_unique<QLockFile>(QFile::decodeName(QByteArray::fromStdString(path_)) +
                                        QStringLiteral(".lock"));
    lock_->setStaleLockTime(0);
    locked_ = lock_->tryLock(0);
}

RecoveryCopy::~RecoveryCopy() = default;

bool RecoveryCopy::Exists() const {
    if (!locked_) {
        return false;
    }
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path_, error));
}

void RecoveryCopy::Schedule(const core::Board& board) {
    board_ = &board;
    owned_ = true;
    if (!timer_.isActive()) {
        timer_.start(delay_);
    }
}

bool RecoveryCopy::WriteNow() {
    timer_.stop();
    if (board_ == nullptr) {
        return false;
    }
    if (!locked_) {
        if (!reported_) {
            std::cerr << "Brickwright: another Brickwright keeps the recovery copy; this one "
                         "keeps none.\n";
            reported_ = true;
        }
        return false;
    }
    try {
        const std::filesystem::path path(path_);
        std::filesystem::create_directories(path.parent_path());
        // A copy: the board's own header is what its file holds, not what the copy holds.
        core::Board copy = *board_;
        core::SaveBoard(path, copy);
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
    timer_.stop();
    board_ = nullptr;
    if (owned_) {
        Discard();
    }
}

void RecoveryCopy::Discard() {
    owned_ = false;
    if (!locked_) {
        return;
    }
    std::error_code error;
    std::filesystem::remove(path_, error);
}

std::string RecoveryCopy::SetAside() {
    const std::string stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    std::string aside = path_ + ".damaged-" + stamp;
    std::error_code error;
    std::filesystem::rename(path_, aside, error);
    if (error) {
        std::filesystem::remove(path_, error);
    }
    return aside;
}

}  // namespace editor
