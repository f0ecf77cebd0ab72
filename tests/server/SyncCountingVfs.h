#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstddef>
#include <stdexcept>

namespace tallux::test {

// Counts the syncs SQLite asks of write-ahead logs: the one sign, seen from
// outside the connection, that a commit waited for the disk (with
// synchronous=NORMAL a commit in WAL mode syncs nothing). While an object
// lives it is the default VFS, a thin layer over the one before it, so
// connections opened meanwhile go through it; they must be closed before it
// goes. One at a time.
class SyncCountingVfs {
public:
    SyncCountingVfs() : real_(sqlite3_vfs_find(nullptr)) {
        if (!real_) throw std::runtime_error("no default VFS");
        vfs_.iVersion = 2;
        vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
        vfs_.mxPathname = real_->mxPathname;
        vfs_.zName = "sync-counting";
        vfs_.pAppData = this;
        vfs_.xOpen = Open;
        vfs_.xDelete = [](sqlite3_vfs* v, const char* name, int syncDir) {
            return Real(v)->xDelete(Real(v), name, syncDir);
        };
        vfs_.xAccess = [](sqlite3_vfs* v, const char* name, int flags, int* out) {
            return Real(v)->xAccess(Real(v), name, flags, out);
        };
        vfs_.xFullPathname = [](sqlite3_vfs* v, const char* name, int size, char* out) {
            return Real(v)->xFullPathname(Real(v), name, size, out);
        };
        vfs_.xDlOpen = [](sqlite3_vfs* v, const char* name) { return Real(v)->xDlOpen(Real(v), name); };
        vfs_.xDlError = [](sqlite3_vfs* v, int size, char* out) { Real(v)->xDlError(Real(v), size, out); };
        vfs_.xDlSym = [](sqlite3_vfs* v, void* handle, const char* symbol) {
            return Real(v)->xDlSym(Real(v), handle, symbol);
        };
        vfs_.xDlClose = [](sqlite3_vfs* v, void* handle) { Real(v)->xDlClose(Real(v), handle); };
        vfs_.xRandomness = [](sqlite3_vfs* v, int size, char* out) { return Real(v)->xRandomness(Real(v), size, out); };
        vfs_.xSleep = [](sqlite3_vfs* v, int micros) { return Real(v)->xSleep(Real(v), micros); };
        vfs_.xCurrentTime = [](sqlite3_vfs* v, double* out) { return Real(v)->xCurrentTime(Real(v), out); };
        vfs_.xGetLastError = [](sqlite3_vfs* v, int size, char* out) {
            return Real(v)->xGetLastError(Real(v), size, out);
        };
        vfs_.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* out) {
            return Real(v)->xCurrentTimeInt64(Real(v), out);
        };
        if (sqlite3_vfs_register(&vfs_, 1) != SQLITE_OK) throw std::runtime_error("cannot register the VFS");
    }
    ~SyncCountingVfs() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(real_, 1);
    }
    SyncCountingVfs(const SyncCountingVfs&) = delete;
    SyncCountingVfs& operator=(const SyncCountingVfs&) = delete;

    int WalSyncs() const { return walSyncs_; }
    void Reset() { walSyncs_ = 0; }

private:
    // Ours first, the real file's bytes after it.
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
        SyncCountingVfs* owner;
        bool wal;
    };

    sqlite3_vfs* real_;
    sqlite3_vfs vfs_{};
    std::atomic<int> walSyncs_{0};

    static SyncCountingVfs& Self(sqlite3_vfs* v) { return *static_cast<SyncCountingVfs*>(v->pAppData); }
    static sqlite3_vfs* Real(sqlite3_vfs* v) { return Self(v).real_; }
    static sqlite3_file* Inner(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

    static int Open(sqlite3_vfs* v, const char* name, sqlite3_file* file, int flags, int* outFlags) {
        File* ours = reinterpret_cast<File*>(file);
        ours->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + sizeof(File));
        ours->owner = &Self(v);
        ours->wal = (flags & SQLITE_OPEN_WAL) != 0;
        int rc = Real(v)->xOpen(Real(v), name, ours->real, flags, outFlags);
        ours->base.pMethods = ours->real->pMethods ? &kMethods : nullptr;
        return rc;
    }

    static constexpr sqlite3_io_methods kMethods = {
        3,
        [](sqlite3_file* f) { return Inner(f)->pMethods->xClose(Inner(f)); },
        [](sqlite3_file* f, void* out, int size, sqlite3_int64 at) {
            return Inner(f)->pMethods->xRead(Inner(f), out, size, at);
        },
        [](sqlite3_file* f, const void* in, int size, sqlite3_int64 at) {
            return Inner(f)->pMethods->xWrite(Inner(f), in, size, at);
        },
        [](sqlite3_file* f, sqlite3_int64 size) { return Inner(f)->pMethods->xTruncate(Inner(f), size); },
        [](sqlite3_file* f, int flags) {
            File* ours = reinterpret_cast<File*>(f);
            if (ours->wal) ++ours->owner->walSyncs_;
            return Inner(f)->pMethods->xSync(Inner(f), flags);
        },
        [](sqlite3_file* f, sqlite3_int64* size) { return Inner(f)->pMethods->xFileSize(Inner(f), size); },
        [](sqlite3_file* f, int level) { return Inner(f)->pMethods->xLock(Inner(f), level); },
        [](sqlite3_file* f, int level) { return Inner(f)->pMethods->xUnlock(Inner(f), level); },
        [](sqlite3_file* f, int* out) { return Inner(f)->pMethods->xCheckReservedLock(Inner(f), out); },
        [](sqlite3_file* f, int op, void* arg) { return Inner(f)->pMethods->xFileControl(Inner(f), op, arg); },
        [](sqlite3_file* f) { return Inner(f)->pMethods->xSectorSize(Inner(f)); },
        [](sqlite3_file* f) { return Inner(f)->pMethods->xDeviceCharacteristics(Inner(f)); },
        [](sqlite3_file* f, int region, int size, int extend, void volatile** out) {
            return Inner(f)->pMethods->xShmMap(Inner(f), region, size, extend, out);
        },
        [](sqlite3_file* f, int offset, int n, int flags) {
            return Inner(f)->pMethods->xShmLock(Inner(f), offset, n, flags);
        },
        [](sqlite3_file* f) { Inner(f)->pMethods->xShmBarrier(Inner(f)); },
        [](sqlite3_file* f, int deleteFlag) { return Inner(f)->pMethods->xShmUnmap(Inner(f), deleteFlag); },
        [](sqlite3_file* f, sqlite3_int64 at, int size, void** out) {
            return Inner(f)->pMethods->xFetch(Inner(f), at, size, out);
        },
        [](sqlite3_file* f, sqlite3_int64 at, void* page) { return Inner(f)->pMethods->xUnfetch(Inner(f), at, page); },
    };
};

}  // namespace tallux::test
