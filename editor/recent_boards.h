#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace editor {

// The last boards saved or loaded, newest first, kept in the user's settings. Paths are the
// bytes the system uses, so names that are not valid UTF-8 survive. Every change starts from the
// list as stored, so two running Brickwrights keep each other's entries.
class RecentBoards {
  public:
    static constexpr std::size_t kMaxBoards = 8;

    RecentBoards();  // reads the list from the settings

    const std::vector<std::string>& Boards() const { return boards_; }
    // Reads the list as stored now.
    void Load();
    void Add(const std::string& path);
    void Remove(const std::string& path);

  private:
    void Store() const;
    std::vector<std::string> boards_;
};

}  // namespace editor
