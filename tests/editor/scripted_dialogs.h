#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/dialogs.h"

namespace editor::testing {

// Answers the window's dialogs from a script and records what was asked.
class ScriptedDialogs final : public Dialogs {
  public:
    struct Shown {
        std::string Kind;  // "open" or "save"
        std::string Title;
        std::string FileName;
        std::string Filter;
    };
    struct Message {
        std::string Text;
        std::string Caption;
    };

    // The next file dialog returns path; Cancel() makes it return as the user's cancel does.
    void Choose(std::string path) { answers_.emplace_back(std::move(path)); }
    void Cancel() { answers_.emplace_back(std::nullopt); }

    void ShowOpen(CommonDialog& dialog) override { Answer("open", dialog); }
    void ShowSave(CommonDialog& dialog) override { Answer("save", dialog); }
    void MessageBox(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
    }

    bool Exhausted() const { return answers_.empty(); }

    std::vector<Shown> shown;
    std::vector<Message> messages;

  private:
    void Answer(const char* kind, CommonDialog& dialog) {
        shown.push_back({kind, dialog.DialogTitle, dialog.FileName, dialog.Filter});
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected " << kind << " dialog \"" << dialog.DialogTitle << "\"";
            return;
        }
        std::optional<std::string> answer = std::move(answers_.front());
        answers_.pop_front();
        if (answer) {
            dialog.FileName = std::move(*answer);
        }
    }

    std::deque<std::optional<std::string>> answers_;
};

}  // namespace editor::testing
