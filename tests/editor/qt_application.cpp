// One QApplication for the whole test program, created before the first test and kept until
// the end: Qt allows only one, and widgets need it. Settings and application data go to a
// temporary home, never to the user's own folders.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        home_ = std::make_unique<QTemporaryDir>();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            qputenv(name, home_->path().toLocal8Bit());
        }
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "editor_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        QApplication::setOrganizationName(QStringLiteral("Vantor"));
        QApplication::setApplicationName(QStringLiteral("Brickwright"));
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    QApplication* app_ = nullptr;
    std::unique_ptr<QTemporaryDir> home_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
