#pragma once

// The folder the first Load Bricks dialog opens in: the one holding the default brick sheet, so
// that a new user finds a sheet at once.

#include <filesystem>
#include <string>

namespace editor {

// For a program in programDirectory: ../share/vantor (an installation, whatever its prefix),
// else ../assets (a build folder, where the build copies the sheet). Empty when neither holds
// bricks.bmp.
std::string DefaultSheetFolderFor(const std::filesystem::path& programDirectory);

// The same for the running program.
std::string DefaultSheetFolder();

}  // namespace editor
