// `run` on a private session bus (dbus-run-session): a due message goes to the notification service
// when there is one (summary the description, body the message, the action "Add to To Do List", the
// program's icon), is printed as a "notification" event instead of its message window, and the action
// chosen on the desktop adds the to-do item; with nobody on the bus to show it, it is printed as before.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fakes/case_names.h"
#include "fakes/json_lines.h"
#include "fakes/processes.h"

namespace tarvelo::test {
namespace {

using namespace std::chrono_literals;

struct BusCase {
    const char* name;
    bool service;  // a notification service on the bus
};

void PrintTo(const BusCase& c, std::ostream* out) { *out << c.name; }

// `tarvelo96-cli run` in a session of its own (its process group too, so that the bus and the service
// end with it), after the fake service (when wanted) has taken its name.
class BusSession {
public:
    BusSession(const SchedulerFolders& folders, bool service, const std::string& record, const std::string& out) {
        const std::string script = service ? R"("$1" "$2" "Add to To Do List" & )"
                                             R"(until [ -e "$2.ready" ]; do sleep 0.05; done; shift 2; exec "$@")"
                                           : R"(shift 2; exec "$@")";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setpgid(0, 0);
            if (!std::freopen("/dev/null", "rb", stdin) || !std::freopen(out.c_str(), "wb", stdout) ||
                ::chdir(folders.data().c_str()) != 0)
                ::_exit(126);
            ::setenv("XDG_CONFIG_HOME", folders.config().c_str(), 1);
            const char* cli = std::getenv("TARVELO_CLI");
            ::execlp("dbus-run-session", "dbus-run-session", "--", "sh", "-c", script.c_str(), "sh",
                     TARVELO_FAKE_NOTIFICATIONS, record.c_str(), cli, "run", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::setpgid(m_pid, m_pid);
    }
    ~BusSession() {
        ::kill(-m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        ::kill(-m_pid, SIGKILL);
    }

private:
    pid_t m_pid = -1;
};

class NotifyOnBus : public testing::TestWithParam<BusCase> {};

TEST_P(NotifyOnBus, aDueMessageReachesTheDesktopOrIsPrinted) {
    // GIVEN a message task long due
    SchedulerFolders folders;
    const CliResult added = runCliIn(
        folders, {"add", "--json", R"({"description":"Dentist","tasktype":"Display Message","message":"Call <Ann> & Bob",)"
                                   R"("scheduletype":"Once","date":80000,"time":100})"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::string record = folders.aside("notices.jsonl"), out = folders.aside("run.out");
    // WHEN run works on it in a session with or without a notification service
    BusSession session(folders, GetParam().service, record, out);
    const auto performed = [&] {
        for (const auto& line : fileLines(out))
            if (line.find("\"event\":\"notification\"") != std::string::npos ||
                line.find("\"event\":\"message_window\"") != std::string::npos)
                return true;
        return false;
    };
    for (int i = 0; i < 400 && !performed(); ++i) std::this_thread::sleep_for(25ms);
    ASSERT_TRUE(performed()) << "nothing shown";
    std::string outText;
    for (const auto& line : fileLines(out)) outText += line + "\n";
    const auto events = jsonLines(outText);
    if (!GetParam().service) {
        // THEN it is printed as before
        EXPECT_EQ(fileLines(record).size(), 0u);
        bool window = false;
        for (const auto& e : events) window = window || (e["event"] == "message_window" && e["text"] == "Call <Ann> & Bob");
        EXPECT_TRUE(window);
        return;
    }
    // THEN the service was sent the notice, with its action and the program's icon
    ASSERT_TRUE(awaitLines(record, 1, 5000));
    const auto notice = nlohmann::json::parse(fileLines(record)[0]);
    EXPECT_EQ(notice["summary"], "Dentist");
    EXPECT_EQ(notice["body"], "Call &lt;Ann&gt; &amp; Bob");
    EXPECT_EQ(notice["actions"], nlohmann::json::array({"0", "Add to To Do List"}));
    EXPECT_EQ(notice["icon"], "io.github.tarvelo96");
    EXPECT_EQ(notice["desktop-entry"], "io.github.tarvelo96");
    // AND printed as a notification, not as a message window
    for (const auto& e : events) EXPECT_NE(e["event"], "message_window");
    // AND the action chosen on the desktop added the to-do item
    std::vector<nlohmann::json> items;
    for (int i = 0; i < 200 && items.empty(); ++i) {
        std::this_thread::sleep_for(25ms);
        items = jsonLines(runCliIn(folders, {"todo", "list", "--json"}).out);
    }
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]["todo"], "Call <Ann> & Bob");
}

INSTANTIATE_TEST_SUITE_P(Cli, NotifyOnBus,
                         testing::Values(BusCase{"WithANotificationService", true}, BusCase{"WithNobodyToShowIt", false}),
                         NamedBy<&BusCase::name>());

}  // namespace
}  // namespace tarvelo::test
