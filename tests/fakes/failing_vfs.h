#pragma once
// A disk that fails writes on demand: a SQLite VFS that wraps the default one, passing every call through
// except xWrite, which returns the chosen error (SQLITE_FULL, SQLITE_IOERR_WRITE, ...) while failWith()
// says so. It is the default VFS for as long as it lives, so the store's connections opened meanwhile
// (and those of processes forked meanwhile) go through it.
#include <sqlite3.h>

#include <atomic>

namespace tarvelo::test {

class FailingWrites {
public:
    FailingWrites() {
        real() = sqlite3_vfs_find(nullptr);
        m_vfs = *real();
        m_vfs.zName = "tarvelo-failing-writes";
        m_vfs.szOsFile = static_cast<int>(sizeof(File)) + real()->szOsFile;
        m_vfs.xOpen = &FailingWrites::open;
        m_vfs.pNext = nullptr;
        sqlite3_vfs_register(&m_vfs, /*makeDflt=*/1);
    }
    ~FailingWrites() {
        failWith(SQLITE_OK);
        sqlite3_vfs_register(real(), /*makeDflt=*/1);
        sqlite3_vfs_unregister(&m_vfs);
    }
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;

    // Every write from now on fails with code; SQLITE_OK lets them through again.
    void failWith(int code) { failure() = code; }
    // How many writes failed so far.
    static int failedWrites() { return failed(); }

private:
    // The wrapper's file: its own methods, and the default VFS's file right behind it.
    struct File {
        sqlite3_file base;
        sqlite3_io_methods methods;
        sqlite3_file* inner() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };
    static File& self(sqlite3_file* f) { return *reinterpret_cast<File*>(f); }
    static sqlite3_file* in(sqlite3_file* f) { return self(f).inner(); }

    static sqlite3_vfs*& real() {
        static sqlite3_vfs* vfs = nullptr;
        return vfs;
    }
    static std::atomic<int>& failure() {
        static std::atomic<int> code{SQLITE_OK};
        return code;
    }
    static std::atomic<int>& failed() {
        static std::atomic<int> count{0};
        return count;
    }

    static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
        File& f = self(file);
        f.base.pMethods = nullptr;
        const int rc = real()->xOpen(real(), name, f.inner(), flags, outFlags);
        if (rc != SQLITE_OK || !f.inner()->pMethods) return rc;
        f.methods = *f.inner()->pMethods;  // every call goes straight through...
        f.methods.xClose = [](sqlite3_file* p) { return in(p)->pMethods->xClose(in(p)); };
        f.methods.xRead = [](sqlite3_file* p, void* b, int n, sqlite3_int64 o) { return in(p)->pMethods->xRead(in(p), b, n, o); };
        f.methods.xWrite = [](sqlite3_file* p, const void* b, int n, sqlite3_int64 o) {  // ...but a write
            if (const int code = failure().load(); code != SQLITE_OK) {
                ++failed();
                return code;
            }
            return in(p)->pMethods->xWrite(in(p), b, n, o);
        };
        f.methods.xTruncate = [](sqlite3_file* p, sqlite3_int64 s) { return in(p)->pMethods->xTruncate(in(p), s); };
        f.methods.xSync = [](sqlite3_file* p, int fl) { return in(p)->pMethods->xSync(in(p), fl); };
        f.methods.xFileSize = [](sqlite3_file* p, sqlite3_int64* s) { return in(p)->pMethods->xFileSize(in(p), s); };
        f.methods.xLock = [](sqlite3_file* p, int l) { return in(p)->pMethods->xLock(in(p), l); };
        f.methods.xUnlock = [](sqlite3_file* p, int l) { return in(p)->pMethods->xUnlock(in(p), l); };
        f.methods.xCheckReservedLock = [](sqlite3_file* p, int* r) { return in(p)->pMethods->xCheckReservedLock(in(p), r); };
        f.methods.xFileControl = [](sqlite3_file* p, int op, void* a) { return in(p)->pMethods->xFileControl(in(p), op, a); };
        f.methods.xSectorSize = [](sqlite3_file* p) { return in(p)->pMethods->xSectorSize(in(p)); };
        f.methods.xDeviceCharacteristics = [](sqlite3_file* p) { return in(p)->pMethods->xDeviceCharacteristics(in(p)); };
        if (f.methods.iVersion >= 2) {
            f.methods.xShmMap = [](sqlite3_file* p, int r, int s, int e, void volatile** m) {
                return in(p)->pMethods->xShmMap(in(p), r, s, e, m);
            };
            f.methods.xShmLock = [](sqlite3_file* p, int o, int n, int fl) { return in(p)->pMethods->xShmLock(in(p), o, n, fl); };
            f.methods.xShmBarrier = [](sqlite3_file* p) { in(p)->pMethods->xShmBarrier(in(p)); };
            f.methods.xShmUnmap = [](sqlite3_file* p, int d) { return in(p)->pMethods->xShmUnmap(in(p), d); };
        }
        if (f.methods.iVersion >= 3) {
            f.methods.xFetch = [](sqlite3_file* p, sqlite3_int64 o, int n, void** m) { return in(p)->pMethods->xFetch(in(p), o, n, m); };
            f.methods.xUnfetch = [](sqlite3_file* p, sqlite3_int64 o, void* m) { return in(p)->pMethods->xUnfetch(in(p), o, m); };
        }
        f.base.pMethods = &f.methods;
        return SQLITE_OK;
    }

    sqlite3_vfs m_vfs{};
};

}  // namespace tarvelo::test
