#include "editor/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
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
    const QString chosen = QFileDialog::getOpenFileName(
        parent_, QString::fromStdString(dialog.DialogTitle),
        QString::fromStdString(dialog.FileName.empty() ? dialog.InitDir : dialog.FileName),
        QString::fromStdString(ToQtFilter(dialog.Filter)));
    if (!chosen.isEmpty()) {
        dialog.FileName = chosen.toStdString();
    }
}

void QtDialogs::ShowSave(CommonDialog& dialog) {
    // No default suffix, and no question before an existing file is replaced: the name is used
    // exactly as the user typed it.
    const QString chosen = QFileDialog::getSaveFileName(
        parent_, QString::fromStdString(dialog.DialogTitle),
        QString::fromStdString(dialog.FileName), QString::fromStdString(ToQtFilter(dialog.Filter)),
        nullptr, QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty()) {
        dialog.FileName = chosen.toStdString();
    }
}

void QtDialogs::MessageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace editor
