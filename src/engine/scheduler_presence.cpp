#include "engine/scheduler_presence.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvelo {
namespace {

std::string lockPath(const std::string& folder) {
    return folder.empty() ? kSchedulerLockName : folder + "/" + kSchedulerLockName;
}

}  // namespace

SchedulerPresence::SchedulerPresence(const std::string& folder) {
    // Shared: several schedulers on one folder may each announce themselves.
    m_fd = ::open(lockPath(folder).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

SchedulerPresence::~SchedulerPresence() {
    if (m_fd >= 0) ::close(m_fd);
}

bool schedulerRunsElsewhere(const std::string& folder) {
    const int fd = ::open(lockPath(folder).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // An exclusive lock is refused while anybody holds the shared one; it is let go at once.
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

}  // namespace tarvelo
