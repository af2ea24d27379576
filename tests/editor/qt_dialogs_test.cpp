// The real dialogs, answered from a timer while they run modally.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "editor/dialogs.h"

namespace editor {
namespace {

// While alive, runs `answer` once on the first modal widget that opens, from inside its event
// loop, and keeps watching it: one still open long after its answer fails the test and is
// closed, so the test ends with a message instead of waiting for CTest's time limit.
class ModalAnswer {
  public:
    static constexpr int kPatienceMilliseconds = 30000;

    explicit ModalAnswer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }
    ~ModalAnswer() { EXPECT_TRUE(answered_) << "no modal dialog opened"; }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

  private:
    void Poll() {
        if (!answered_) {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                answered_ = true;
                modal_ = modal;
                since_.start();
                answer_(modal);
            }
        } else if (modal_ && modal_->isVisible() && since_.hasExpired(kPatienceMilliseconds)) {
            ADD_FAILURE() << "the dialog was still open " << kPatienceMilliseconds
                          << " ms after its answer";
            timer_.stop();
            if (auto* dialog = qobject_cast<QDialog*>(modal_.data())) {
                dialog->reject();
            }
        }
    }

    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    bool answered_ = false;
    QPointer<QWidget> modal_;
    QElapsedTimer since_;
};

// Types the path into the dialog's name field, as the user does. (selectFile leaves that field
// alone once it has the keyboard focus, which it may already have when the answer runs.)
void TypeName(QFileDialog* dialog, const std::string& path) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));
}

class QtDialogsTest : public ::testing::Test {
  protected:
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

    QTemporaryDir dir_;
    QtDialogs dialogs_;
};

TEST_F(QtDialogsTest, OpenShowsTitleAndFilterAndReturnsTheChosenPath) {
    std::ofstream(Path("sheet.bmp")) << "x";
    // It opens in InitDir, which serves this one dialog only.
    CommonDialog dialog{"Load Bricks", "", "Bitmaps (*.bmp)|*.bmp", &dialogs_,
                        dir_.path().toStdString()};
    const ModalAnswer answer([this](QWidget* modal) {
        auto* fileDialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(fileDialog, nullptr);
        EXPECT_EQ(fileDialog->windowTitle(), "Load Bricks");
        EXPECT_EQ(fileDialog->directory().absolutePath(), dir_.path());
        EXPECT_EQ(fileDialog->nameFilters(), QStringList{"Bitmaps (*.bmp)"});
        EXPECT_EQ(fileDialog->fileMode(), QFileDialog::ExistingFile);
        TypeName(fileDialog, Path("sheet.bmp"));
        static_cast<QDialog*>(fileDialog)->accept();  // QFileDialog::accept, checks and all
    });
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, Path("sheet.bmp"));
    EXPECT_EQ(dialog.InitDir, "");
}

TEST_F(QtDialogsTest, ACancelledDialogLeavesTheFileNameAsItWas) {
    CommonDialog dialog{"Load Board", "", "Vantor Boards (*.brd)|*.brd", &dialogs_, {}};
    const ModalAnswer answer([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, "");
}

TEST_F(QtDialogsTest, SaveAddsNoExtensionAndAsksNothingBeforeReplacing) {
    std::ofstream(Path("plain")) << "old";
    CommonDialog dialog{"Save Board", "", "Vantor Boards (*.brd)|*.brd", &dialogs_, {}};
    const ModalAnswer answer([this](QWidget* modal) {
        auto* fileDialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(fileDialog, nullptr);
        EXPECT_EQ(fileDialog->windowTitle(), "Save Board");
        EXPECT_EQ(fileDialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(fileDialog->nameFilters(), QStringList{"Vantor Boards (*.brd)"});
        EXPECT_TRUE(fileDialog->defaultSuffix().isEmpty());
        // Had the dialog asked before replacing the file, its question would be open while
        // accept() runs: answer it and fail.
        QTimer::singleShot(300, fileDialog, [fileDialog] {
            if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "asked: " << question->text().toStdString();
                question->reject();
                QTimer::singleShot(0, fileDialog, &QFileDialog::reject);
            }
        });
        TypeName(fileDialog, Path("plain"));
        static_cast<QDialog*>(fileDialog)->accept();  // QFileDialog::accept, checks and all
    });
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName, Path("plain"));
}

TEST_F(QtDialogsTest, MessageBoxHasTheCaptionTextAndOnlyAnOkButton) {
    const ModalAnswer answer([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Brickwright");
        EXPECT_EQ(box->text(), "Invalid file size. Must be n*30 width and 15 height");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    dialogs_.MessageBox("Invalid file size. Must be n*30 width and 15 height", "Brickwright");
}

TEST_F(QtDialogsTest, AQuestionIsAnsweredByReturnAndEscapeAsTold) {
    const Question question{"The board has unsaved changes. Save them?",
                            "Brickwright",
                            {"Save", "Discard", "Cancel"},
                            0,
                            2};
    for (const auto& [key, expected] : {std::pair{Qt::Key_Return, 0}, {Qt::Key_Escape, 2}}) {
        const Qt::Key pressed = key;
        const ModalAnswer answer([pressed](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "Brickwright");
            EXPECT_EQ(box->buttons().size(), 3);
            QTest::keyClick(box, pressed);
        });
        EXPECT_EQ(dialogs_.Ask(question), expected);
    }
}

}  // namespace
}  // namespace editor
