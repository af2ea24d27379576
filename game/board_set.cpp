#include "game/board_set.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <utility>

#include "game/start_board.h"
#include "shared/board_codec.h"
#include "shared/board_file.h"

namespace game {

namespace {

bool IsBoardFileName(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".brd";
}

std::vector<std::filesystem::path> BoardFilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (IsBoardFileName(it->path()) && !it->is_directory()) {
            files.push_back(it->path());
        }
    }
    if (error) {
        throw core::BoardError(folder.string() + ": cannot read the folder: " + error.message());
    }
    if (files.empty()) {
        throw core::BoardError(folder.string() + ": this folder holds no .brd board file");
    }
    std::sort(files.begin(), files.end(),
              [](const std::filesystem::path& a, const std::filesystem::path& b) {
                  return a.filename().native() < b.filename().native();
              });
    return files;
}

}  // namespace

std::vector<std::filesystem::path> BoardFiles(std::span<const std::filesystem::path> named) {
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& path : named) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            const std::vector<std::filesystem::path> inside = BoardFilesIn(path);
            files.insert(files.end(), inside.begin(), inside.end());
        } else {
            files.push_back(path);
        }
    }
    return files;
}

std::vector<core::Board> LoadStartBoards(std::span<const std::filesystem::path> named,
                                         std::span<const std::filesystem::path> searchPath,
                                         std::span<const std::byte> builtIn, std::ostream& notes,
                                         std::vector<std::string>& skipped) {
    std::error_code error;
    if (named.empty() || (named.size() == 1 && !std::filesystem::is_directory(named[0], error))) {
        const std::optional<std::filesystem::path> one =
            named.empty() ? std::nullopt : std::optional(named[0]);
        std::vector<core::Board> boards(1);
        LoadStartBoard(one, searchPath, builtIn, boards[0], notes);
        return boards;
    }
    std::vector<core::Board> boards;
    std::string reasons;
    std::string played;
    for (const std::filesystem::path& path : BoardFiles(named)) {
        try {
            core::Board board;
            core::LoadBoard(path, board);
            boards.push_back(std::move(board));
            played += (played.empty() ? "" : ", ") + path.string();
        } catch (const core::BoardError& e) {
            notes << "Vantor: " << e.what() << "; skipped\n";
            skipped.emplace_back(e.what());
            reasons += std::string(reasons.empty() ? "" : "; ") + e.what();
        }
    }
    if (boards.empty()) {
        throw core::BoardError("no board of the set can be played: " + reasons);
    }
    notes << "Vantor: playing " << played << (boards.size() > 1 ? " in turn\n" : "\n");
    return boards;
}

}  // namespace game
