// Waiting for the locks of other processes: the one setting, SQLite's busy handler that waits with
// backoff and tells the observer of a long wait, and who holds a lock, from the system's list of locks.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "core/environment.h"
#include "store/database.h"

namespace tarvelo::store {

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kDefaultLockWait{30000};
// A wait shorter than this is contention as usual, not worth a word to the user; a longer one is told
// again as often.
constexpr milliseconds kDefaultNoticeAfter{1000};

milliseconds fromEnvironment(const char* name, milliseconds fallback) {
    const std::optional<long long> ms = wholeNumberFromEnvironment(name);
    return ms ? milliseconds(*ms) : fallback;
}

milliseconds& lockWaitSetting() {
    static milliseconds wait = fromEnvironment("TARVELO_LOCK_WAIT_MS", kDefaultLockWait);
    return wait;
}

milliseconds& noticeSetting() {
    static milliseconds after = fromEnvironment("TARVELO_LOCK_NOTICE_MS", kDefaultNoticeAfter);
    return after;
}

std::function<void(const LockWaitNotice&)>& observer() {
    static std::function<void(const LockWaitNotice&)> heard;
    return heard;
}

// The sleeps between tries: short at first, when the other's transaction is most likely about to end,
// then a tenth of a second, so a long wait still sees the lock free soon after it is.
milliseconds backoff(int tries) {
    static constexpr int kDelaysMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    constexpr int kCount = static_cast<int>(std::size(kDelaysMs));
    return milliseconds(kDelaysMs[std::min(tries, kCount - 1)]);
}

int waitForLock(void* context, int tries) {
    auto& waiter = *static_cast<LockWaiter*>(context);
    const auto now = Clock::now();
    if (tries == 0) {
        waiter.started = now;
        waiter.noticed = {};
    }
    const auto waited = std::chrono::duration_cast<milliseconds>(now - waiter.started);
    const milliseconds limit = lockWait();
    if (waited >= limit) return 0;
    const milliseconds noticeAfter = lockWaitNoticeAfter();
    if (waited >= noticeAfter && now - waiter.noticed >= noticeAfter && observer()) {
        waiter.noticed = now;
        observer()({waiter.path, waited, limit, lockHolders(waiter.path)});
    }
    std::this_thread::sleep_for(std::min(backoff(tries), limit - waited));
    return 1;
}

// "08:02:1234567" of /proc/locks: the device (major and minor in hex) and the inode.
bool sameFile(const std::string& field, const struct stat& info) {
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    if (std::sscanf(field.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) return false;
    return inode == info.st_ino && major == ::major(info.st_dev) && minor == ::minor(info.st_dev);
}

std::string processName(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name.empty() ? "a program" : name;
}

}  // namespace

bool isBusy(const Status& status) {
    return status.code == kDriverError &&
           (status.driverCode.rfind("SQLITE_BUSY", 0) == 0 || status.driverCode.rfind("SQLITE_LOCKED", 0) == 0);
}

milliseconds lockWait() { return lockWaitSetting(); }

void setLockWait(milliseconds wait) { lockWaitSetting() = std::max(wait, milliseconds(0)); }

milliseconds lockWaitNoticeAfter() { return noticeSetting(); }

void setLockWaitNoticeAfter(milliseconds after) { noticeSetting() = std::max(after, milliseconds(1)); }

void setLockWaitObserver(std::function<void(const LockWaitNotice&)> heard) { observer() = std::move(heard); }

void LockWaiter::attach(sqlite3* db) { sqlite3_busy_handler(db, waitForLock, this); }

std::string lockHolders(const std::string& path) {
    std::vector<struct stat> files;
    for (const std::string& name : {path, path + "-shm"}) {
        struct stat info {};
        if (::stat(name.c_str(), &info) == 0) files.push_back(info);
    }
    std::vector<long> pids;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        // "1: POSIX  ADVISORY  WRITE 4242 08:02:1234567 120 120"; a line with "->" is a waiter, not a holder.
        std::istringstream words(line);
        std::string number, kind, advisory, access, device;
        long pid = 0;
        if (!(words >> number >> kind) || kind == "->") continue;
        if (!(words >> advisory >> access >> pid >> device) || access != "WRITE") continue;
        if (pid <= 0 || pid == ::getpid()) continue;
        const bool ours = std::any_of(files.begin(), files.end(), [&](const struct stat& f) { return sameFile(device, f); });
        if (ours && std::find(pids.begin(), pids.end(), pid) == pids.end()) pids.push_back(pid);
    }
    std::string text;
    for (long pid : pids) {
        if (!text.empty()) text += ", ";
        text += processName(pid) + " (process " + std::to_string(pid) + ")";
    }
    return text;
}

}  // namespace tarvelo::store
