// The real dialogs, answered from a timer while they run modally.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
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
// loop.
class ModalAnswer {
  public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }
    ~ModalAnswer() { EXPECT_TRUE(answered_) << "no modal dialog opened"; }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

  private:
    void Poll() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer_.stop();
            answered_ = true;
            answer_(modal);
        }
    }

    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    bool answered_ = false;
};

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
        fileDialog->selectFile(QString::fromStdString(Path("sheet.bmp")));
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
        fileDialog->selectFile(QString::fromStdString(Path("plain")));
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
