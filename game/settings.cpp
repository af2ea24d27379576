#include "game/settings.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace game {

namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The name of a "name = value" line, or nothing for any other line.
std::optional<std::string_view> NameOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line).starts_with('#')) {
        return std::nullopt;
    }
    return Trim(line.substr(0, equals));
}

std::vector<std::string> Lines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::filesystem::path SettingsPath(const char* xdgConfigHome, const char* home) {
    std::filesystem::path folder;
    if (xdgConfigHome != nullptr && std::filesystem::path(xdgConfigHome).is_absolute()) {
        folder = xdgConfigHome;
    } else if (home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return folder / "vantor" / "vantor.conf";
}

std::optional<std::string> ReadSetting(const std::filesystem::path& file, std::string_view name) {
    std::optional<std::string> value;
    for (const std::string& line : Lines(file)) {
        if (NameOf(line) == name) {
            value = std::string(Trim(std::string_view(line).substr(line.find('=') + 1)));
        }
    }
    return value;
}

void WriteSetting(const std::filesystem::path& file, std::string_view name,
                  std::string_view value) {
    std::ostringstream text;
    bool written = false;
    for (const std::string& line : Lines(file)) {
        if (NameOf(line) != name) {
            text << line << '\n';
        } else if (!written) {
            text << name << " = " << value << '\n';
            written = true;
        }
    }
    if (!written) {
        text << name << " = " << value << '\n';
    }
    const auto fail = [&file](const std::string& reason) {
        throw std::runtime_error(file.string() + ": cannot save the settings: " + reason);
    };
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        fail(error.message());
    }
    std::filesystem::path temporary = file;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            const std::string reason = std::strerror(errno);
            out.close();
            std::filesystem::remove(temporary, error);
            fail(reason);
        }
    }
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        fail(error.message());
    }
}

}  // namespace game
