#include "editor/dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <vector>

namespace editor {

void CommonDialog::ShowOpen() {
    if (Host != nullptr) {
        Host->ShowOpen(*this);
    }
    InitDir.clear();
}

void CommonDialog::ShowSave() {
    if (Host != nullptr) {
        Host->ShowSave(*this);
    }
    InitDir.clear();
}

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace

std::string ToQtFilter(std::string_view filter) {
    if (filter.empty()) {
        return {};
    }
    const std::vector<std::string_view> parts = Split(filter, '|');
    std::string result;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        const std::string_view description = Trim(parts[i]);
        std::string patterns;
        if (i + 1 < parts.size()) {
            for (const std::string_view pattern : Split(parts[i + 1], ';')) {
                const std::string_view p = Trim(pattern);
                if (p.empty()) {
                    continue;
                }
                if (!patterns.empty()) {
                    patterns += ' ';
                }
                patterns += p;
            }
        }
        if (!result.empty()) {
            result += ";;";
        }
        if (patterns.empty()) {
            result += description;
            continue;
        }
        const std::string suffix = "(" + patterns + ")";
        if (description.ends_with(suffix)) {
            result += description;
        } else if (description.empty()) {
            result += suffix;
        } else {
            result += std::string(description) + " " + suffix;
        }
    }
    return result;
}

void QtDialogs::ShowOpen(CommonDialog& dialog) {
    const std::string& initial = dialog.FileName.empty() ? dialog.InitDir : dialog.FileName;
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QString::fromStdString(dialog.DialogTitle),
                                     QFile::decodeName(QByteArray::fromStdString(initial)),
                                     QString::fromStdString(ToQtFilter(dialog.Filter)));
    if (!chosen.isEmpty()) {
        dialog.FileName = QFile::encodeName(chosen).toStdString();
    }
}

void QtDialogs::ShowSave(CommonDialog& dialog) {
    // No default suffix, and no question before an existing file is replaced: the name is used
    // exactly as the user typed it.
    const QString chosen =
        QFileDialog::getSaveFileName(parent_, QString::fromStdString(dialog.DialogTitle),
                                     QFile::decodeName(QByteArray::fromStdString(dialog.FileName)),
                                     QString::fromStdString(ToQtFilter(dialog.Filter)), nullptr,
                                     QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty()) {
        dialog.FileName = QFile::encodeName(chosen).toStdString();
    }
}

void QtDialogs::MessageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}

int QtDialogs::Ask(const Question& question) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(question.Caption),
                    QString::fromStdString(question.Text), QMessageBox::NoButton, parent_);
    std::vector<QPushButton*> buttons;
    for (std::size_t i = 0; i < question.Buttons.size(); ++i) {
        const int index = static_cast<int>(i);
        // Roles only order the buttons the desktop's way; the answer is the button itself.
        const QMessageBox::ButtonRole role =
            index == question.DefaultButton  ? QMessageBox::AcceptRole
            : index == question.EscapeButton ? QMessageBox::RejectRole
                                             : QMessageBox::DestructiveRole;
        buttons.push_back(box.addButton(QString::fromStdString(question.Buttons[i]), role));
    }
    if (question.DefaultButton >= 0 && question.DefaultButton < static_cast<int>(buttons.size())) {
        box.setDefaultButton(buttons[static_cast<std::size_t>(question.DefaultButton)]);
    }
    if (question.EscapeButton >= 0 && question.EscapeButton < static_cast<int>(buttons.size())) {
        box.setEscapeButton(buttons[static_cast<std::size_t>(question.EscapeButton)]);
    }
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return static_cast<int>(i);
        }
    }
    // Closed without a button (only possible where Escape has an answer).
    return question.EscapeButton;
}

}  // namespace editor
