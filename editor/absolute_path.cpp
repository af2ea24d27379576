#include "editor/absolute_path.h"

#include <filesystem>
#include <system_error>

namespace editor {

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) {
        return path;
    }
    std::filesystem::path result;
    for (const std::filesystem::path& step : absolute) {
        if (step != ".") {
            result /= step;
        }
    }
    return result.string();
}

}  // namespace editor
