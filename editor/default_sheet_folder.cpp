#include "editor/default_sheet_folder.h"

#include <QCoreApplication>
#include <system_error>

namespace editor {

std::string DefaultSheetFolderFor(const std::filesystem::path& programDirectory) {
    for (const char* relative : {"../share/vantor", "../assets"}) {
        const std::filesystem::path folder = (programDirectory / relative).lexically_normal();
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / "bricks.bmp", error)) {
            return folder.string();
        }
    }
    return {};
}

std::string DefaultSheetFolder() {
    return DefaultSheetFolderFor(
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
}

}  // namespace editor
