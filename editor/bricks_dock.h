#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QDockWidget>

#include "editor/board_document.h"

class QListWidget;

namespace editor {

// The "Bricks" panel beside the client area: every brick of the table as its picture, with its
// name, its flags and how many cells use it; the selected brick is highlighted, and choosing one
// selects it as the palette does.
class BricksDock : public QDockWidget {
  public:
    explicit BricksDock(QWidget* parent = nullptr);

    // Called with the brick the user chose.
    void SetSelectHandler(std::function<void(int)> handler) { onSelect_ = std::move(handler); }
    // Shows the document's table; only what changed since the last call is redone.
    void Show(const BoardDocument& document);

  private:
    // What one item's text says.
    struct Shown {
        int Cells = -1;
        core::VbBool Explosive = 0;
        core::VbBool Unbreakable = 0;
        bool operator==(const Shown&) const = default;
    };

    QListWidget* list_;
    std::uint64_t table_ = 0;
    bool filled_ = false;
    std::vector<Shown> shown_;
    std::function<void(int)> onSelect_;
};

}  // namespace editor
