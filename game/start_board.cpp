#include "game/start_board.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "shared/board_file.h"

namespace game {

namespace {

constexpr const char* kDataFolderName = "vantor";
// The installation's data folder, seen from the folder of the installed program.
constexpr const char* kInstalledDataFolder = "../share/vantor";
constexpr const char* kDefaultDataDirs = "/usr/local/share:/usr/share";

bool IsSet(const char* value) {
    return value != nullptr && *value != '\0';
}

void AddDataFolder(const std::filesystem::path& base, std::vector<std::filesystem::path>& out) {
    if (base.is_absolute()) {
        out.push_back(base / kDataFolderName / kBoardFileName);
    }
}

}  // namespace

std::filesystem::path BoardPathIn(const std::filesystem::path& programDirectory) {
    return programDirectory / kBoardFileName;
}

DataEnvironment ProcessDataEnvironment() {
    return {std::getenv("XDG_DATA_HOME"), std::getenv("XDG_DATA_DIRS"), std::getenv("HOME")};
}

std::vector<std::filesystem::path> BoardSearchPath(const std::filesystem::path& programDirectory,
                                                   const DataEnvironment& environment) {
    std::vector<std::filesystem::path> paths{BoardPathIn(programDirectory)};
    if (IsSet(environment.xdgDataHome)) {
        AddDataFolder(environment.xdgDataHome, paths);
    } else if (IsSet(environment.home)) {
        AddDataFolder(std::filesystem::path(environment.home) / ".local" / "share", paths);
    }
    const std::string_view dirs =
        IsSet(environment.xdgDataDirs) ? environment.xdgDataDirs : kDefaultDataDirs;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string_view::npos) {
            end = dirs.size();
        }
        if (end > start) {
            AddDataFolder(std::filesystem::path(dirs.substr(start, end - start)), paths);
        }
        start = end + 1;
    }
    paths.push_back(
        (programDirectory / kInstalledDataFolder / kInstalledBoardFileName).lexically_normal());
    return paths;
}

void NotePlaying(const std::filesystem::path& path, std::ostream& notes) {
    notes << "Vantor: playing " << path.string() << "\n";
}

void LoadStartBoard(const std::optional<std::filesystem::path>& named,
                    std::span<const std::filesystem::path> searchPath,
                    std::span<const std::byte> builtIn, core::Board& board, std::ostream& notes) {
    if (named) {
        core::LoadBoard(*named, board);
        NotePlaying(*named, notes);
        return;
    }
    for (const std::filesystem::path& path : searchPath) {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
        // Only a path that is plainly not there is passed over; anything else that cannot be
        // read (a folder, a dangling link, no permission) is an error the player should see,
        // not a reason to play some other board.
        if (status.type() != std::filesystem::file_type::not_found) {
            try {
                core::LoadBoard(path, board);
            } catch (const core::BoardError& e) {
                // The reason alone leaves a player stuck; say what gets the game going again.
                throw core::BoardError(std::string(e.what()) + kDamagedBoardAdvice);
            }
            NotePlaying(path, notes);
            return;
        }
    }
    std::string looked;
    for (const std::filesystem::path& path : searchPath) {
        looked += (looked.empty() ? "" : ", ") + path.string();
    }
    if (builtIn.empty()) {
        throw core::BoardError("no board found (looked for " + looked +
                               "), and this build has no built-in board");
    }
    board = core::DecodeBoard(builtIn, "the built-in board");
    notes << "Vantor: no board found (looked for " << looked << "); playing the built-in board\n";
}

}  // namespace game
