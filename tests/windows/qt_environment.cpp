#include "qt_environment.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <unistd.h>

#include "widgets/mnemonic.h"

namespace tarvelo::test {

namespace fs = std::filesystem;

namespace {

fs::path& root() {
    static fs::path path;
    return path;
}

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        root() = fs::temp_directory_path() / ("tarvelo-ui-tests-" + std::to_string(::getpid()));
        fs::remove_all(root());
        fs::create_directories(root() / "config");
        ::setenv("XDG_CONFIG_HOME", (root() / "config").c_str(), 1);
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "windows_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));
        widgets::completeEntriesBeforeButtons(*m_app);  // as the program does
    }
    void TearDown() override {
        m_app.reset();
        std::error_code ignored;
        fs::remove_all(root(), ignored);
    }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

std::string iniFolder() { return (root() / "config" / "tarvelo96").string(); }

std::string freshFolder(const std::string& name) {
    const fs::path folder = root() / "work" / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

void clickThroughWindow(QWidget& control) {
    QWidget* window = control.window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, control.mapTo(window, control.rect().center()));
}

void clearIniFiles() {
    std::error_code ignored;
    fs::remove_all(iniFolder(), ignored);
}

}  // namespace tarvelo::test
