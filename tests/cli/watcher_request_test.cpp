// The watcher's command line, as a starter writes it: every word --name=value, an empty value kept as
// one, and a broken line refused before anything is started or stored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "data/data_files.h"
#include "fakes/case_names.h"
#include "fakes/data_fixture.h"
#include "fakes/temp_folder.h"
#include "runlog/run_log.h"

namespace tarvelo::test {
namespace {

// Runs the watcher with words (after --data=FOLDER) and no report descriptor; its exit code.
int runWatcher(const std::string& folder, std::vector<std::string> words) {
    words.insert(words.begin(), {TARVELO_WATCHER, "--data=" + folder});
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        for (const int fd : {1, 2, 3}) ::dup2(null, fd);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct RequestCase {
    const char* name;
    std::vector<std::string> words;
    int exitCode;
    std::size_t entries;
};

const RequestCase kRequests[] = {
    {"EmptyDescriptionAndStartInAreValues", {"--task=4", "--command=true", "--description=", "--start-in="}, 0, 1},
    {"MissingCommand", {"--task=4"}, 2, 0},
    {"TaskNotANumber", {"--task=4x", "--command=true"}, 2, 0},
    {"UnknownWord", {"--task=4", "--command=true", "--verbose"}, 2, 0},
    {"WordWithoutValue", {"--task=4", "--command"}, 2, 0},
};

class WatcherRequestTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(WatcherRequestTest, GivenACommandLineThenTheWatcherRunsOrRefusesIt) {
    const TempFolder folder;
    EXPECT_EQ(runWatcher(folder.path(), GetParam().words), GetParam().exitCode);
    FolderFiles data(folder.path());
    TableUse use(data.files, TableId::runLog);
    auto log = data.files.runLog();
    std::size_t entries = 0;
    if (log.setToStart(RunLogKey::keyStart).ok())
        for (RunEntry e; log.next(e).ok();) ++entries;
    EXPECT_EQ(entries, GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(Requests, WatcherRequestTest, ::testing::ValuesIn(kRequests), NamedBy<&RequestCase::name>{});

}  // namespace
}  // namespace tarvelo::test
