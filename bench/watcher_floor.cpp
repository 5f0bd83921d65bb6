// The floor of any watcher, beside which the watcher's cost is read: a process that only starts the
// program given (vfork and exec, as the watcher does) and waits for it, linking SQLite without using it.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    // One call, so the linker keeps SQLite as a watcher would load it.
    if (sqlite3_libversion_number() <= 0) return 3;
    const pid_t pid = ::vfork();
    if (pid == 0) {
        ::execv(argv[1], argv + 1);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return 0;
}
