#pragma once

#include <deque>
#include <functional>
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

    // The next question is answered with the button of this caption.
    void Answer(std::string button) { buttonAnswers_.push_back(std::move(button)); }
    int Ask(const Question& question) override {
        questions.push_back(question);
        if (whileAsking) {
            whileAsking();
        }
        if (buttonAnswers_.empty()) {
            ADD_FAILURE() << "unexpected question \"" << question.Text << "\"";
            return question.EscapeButton >= 0 ? question.EscapeButton : question.DefaultButton;
        }
        const std::string button = std::move(buttonAnswers_.front());
        buttonAnswers_.pop_front();
        for (std::size_t i = 0; i < question.Buttons.size(); ++i) {
            if (question.Buttons[i] == button) {
                return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << "no button \"" << button << "\" in \"" << question.Text << "\"";
        return question.DefaultButton;
    }

    bool Exhausted() const { return answers_.empty() && buttonAnswers_.empty(); }

    std::vector<Shown> shown;
    std::vector<Message> messages;
    std::vector<Question> questions;
    // Runs while each question is open, as the window system's events do.
    std::function<void()> whileAsking;

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
    std::deque<std::string> buttonAnswers_;
};

}  // namespace editor::testing
