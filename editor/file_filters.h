#pragma once

// The filters of the editor's file dialogs, written as "Description|patterns" pairs for
// CommonDialog. Each keeps the classic entry first, so it stays the default, and adds the
// entries that let users find what the README promises: any picture Qt reads for a brick sheet,
// and a board saved without the .brd extension.

#include <string>

#include "qt_picture/picture_files.h"

namespace editor {

inline constexpr const char* kBoardFileFilter = "Vantor Boards (*.brd)|*.brd|All files (*)|*";

// "Bitmaps (*.bmp)|*.bmp|All pictures|*.bmp;*.png;...|All files (*)|*", the pictures being
// every format the picture reader supports on this machine (plug-ins included).
inline std::string BrickSheetFilter() {
    std::string pictures;
    for (const std::string& format : qt_picture::ReadableFormats()) {
        if (!pictures.empty()) {
            pictures += ';';
        }
        pictures += "*." + format;
    }
    std::string filter = "Bitmaps (*.bmp)|*.bmp";
    if (!pictures.empty()) {
        filter += "|All pictures|" + pictures;
    }
    return filter + "|All files (*)|*";
}

}  // namespace editor
