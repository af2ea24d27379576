#pragma once

#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace editor {

class Dialogs;

// File names are kept as the bytes the system uses (QFile::encodeName), so a name that is not
// valid UTF-8 still reaches the file; only what is shown to the user is decoded.
//
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

// A question with buttons of its own, e.g. Save, Discard, Cancel. Return answers DefaultButton
// and Escape answers EscapeButton (-1: Escape does nothing, the user must choose).
struct Question {
    std::string Text;
    std::string Caption;
    std::vector<std::string> Buttons;
    int DefaultButton = 0;
    int EscapeButton = -1;
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
    // Returns the index of the button chosen.
    virtual int Ask(const Question& question) = 0;
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
    int Ask(const Question& question) override;

  private:
    QWidget* parent_;
};

}  // namespace editor
