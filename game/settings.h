#pragma once

// The player's settings between games: a small text file of "name = value" lines in the XDG
// config folder, $XDG_CONFIG_HOME/vantor/vantor.conf (by default ~/.config/vantor/vantor.conf).
// Lines the game does not know (a later version's, a comment) are kept as they are.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace game {

// The settings file; empty when neither XDG_CONFIG_HOME (absolute) nor HOME is set.
std::filesystem::path SettingsPath(const char* xdgConfigHome, const char* home);

// The value of name, if the file holds one; nothing when the file or the line is missing.
std::optional<std::string> ReadSetting(const std::filesystem::path& file, std::string_view name);

// Sets name to value, creating the folder and the file as needed, writing a new file beside the
// old one and renaming it over it, so the file is never half-written. Throws
// std::runtime_error naming the file and the system's reason.
void WriteSetting(const std::filesystem::path& file, std::string_view name, std::string_view value);

}  // namespace game
