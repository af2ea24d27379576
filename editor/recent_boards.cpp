#include "editor/recent_boards.h"

#include <QByteArray>
#include <QSettings>
#include <algorithm>

namespace editor {

namespace {
const QString kGroup = QStringLiteral("recentBoards");
const QString kKey = QStringLiteral("path");
}  // namespace

RecentBoards::RecentBoards() {
    Load();
}

void RecentBoards::Load() {
    QSettings settings;
    settings.sync();  // what another running Brickwright stored meanwhile
    boards_.clear();
    const int count = settings.beginReadArray(kGroup);
    for (int i = 0; i < count && boards_.size() < kMaxBoards; ++i) {
        settings.setArrayIndex(i);
        const QByteArray path = settings.value(kKey).toByteArray();
        if (!path.isEmpty()) {
            boards_.push_back(path.toStdString());
        }
    }
    settings.endArray();
}

void RecentBoards::Add(const std::string& path) {
    Load();
    // The path moves to the front; built anew rather than inserted, which GCC 12 warns falsely
    // about (-Wnull-dereference) once it is inlined in an optimised build.
    std::vector<std::string> boards{path};
    for (std::string& board : boards_) {
        if (board != path && boards.size() < kMaxBoards) {
            boards.push_back(std::move(board));
        }
    }
    boards_ = std::move(boards);
    Store();
}

void RecentBoards::Remove(const std::string& path) {
    Load();
    std::erase(boards_, path);
    Store();
}

void RecentBoards::Store() const {
    QSettings settings;
    settings.remove(kGroup);
    settings.beginWriteArray(kGroup, static_cast<int>(boards_.size()));
    for (std::size_t i = 0; i < boards_.size(); ++i) {
        settings.setArrayIndex(static_cast<int>(i));
        // A byte array, not a string: the name is kept byte for byte.
        settings.setValue(kKey, QByteArray::fromStdString(boards_[i]));
    }
    settings.endArray();
}

}  // namespace editor
