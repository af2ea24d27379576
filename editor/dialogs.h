#pragma once

#include <string>
#include <string_view>

class QWidget;

namespace editor {

class Dialogs;

// The window's file dialog: every command sets the title, the initial name and the filter anew
// before it shows the dialog, so nothing carries over from a previous use. The filter is written
// as "Description|pattern" pairs joined by "|". On return FileName holds the chosen path, or is
// unchanged when the user cancelled.
struct CommonDialog {
    std::string DialogTitle;
    std::string FileName;
    std::string Filter;
    Dialogs* Host = nullptr;
    // The folder the next dialog opens in when FileName is empty; used by that dialog only.
    std::string InitDir;

    void ShowOpen();
    void ShowSave();
};

// Everything modal the window asks of the user. The Qt implementation shows real dialogs; tests
// script the answers.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual void ShowOpen(CommonDialog& dialog) = 0;
    virtual void ShowSave(CommonDialog& dialog) = 0;
    // A message with an OK button only and no icon; returns once it is dismissed.
    virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
};

// "Bitmaps (*.bmp)|*.bmp" becomes "Bitmaps (*.bmp)": Qt names each entry by its description
// followed by its patterns in parentheses, and separates entries with ";;". A description that
// already ends in its patterns is kept as it is; ";" between patterns becomes a space.
std::string ToQtFilter(std::string_view filter);

class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowOpen(CommonDialog& dialog) override;
    void ShowSave(CommonDialog& dialog) override;
    void MessageBox(const std::string& text, const std::string& caption) override;

  private:
    QWidget* parent_;
};

}  // namespace editor
