// One window program per data folder, in one process for the test: the first start listens, a later
// start on the same folder (however its path is spelled) is answered and asks the first to raise its
// frame, and a start on another folder listens on a socket of its own.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/single_instance.h"
#include "qt_environment.h"

namespace tarvelo::test {
namespace {

TEST(SingleInstance, aSecondStartOnTheFolderRaisesTheFirstAndAnotherFolderRunsAlone) {
    const std::string folder = freshFolder("single-instance");
    const std::string other = freshFolder("single-instance-other");
    app::SingleInstance first(folder);
    ASSERT_FALSE(first.handedToAnother());
    int raised = 0;
    first.setRaiseHandler([&raised] { ++raised; });

    app::SingleInstance second(folder + "/../" + std::filesystem::path(folder).filename().string());
    EXPECT_TRUE(second.handedToAnother());
    QElapsedTimer waited;
    waited.start();
    while (raised == 0 && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(raised, 1);

    app::SingleInstance elsewhere(other);
    EXPECT_FALSE(elsewhere.handedToAnother());
    EXPECT_NE(app::instanceName(folder), app::instanceName(other));
}

}  // namespace
}  // namespace tarvelo::test
