#pragma once

#include <string>

namespace editor {

// The path from the root of the file system: a relative one is taken from the current folder, as
// the system takes it now, so that it still names the same file when the editor (or the next
// one, started elsewhere) reads it again. "." steps are left out; ".." steps stay, since a link
// before one may lead elsewhere than the name suggests. The bytes are kept as they are; an empty
// path stays empty.
std::string AbsolutePath(const std::string& path);

}  // namespace editor
