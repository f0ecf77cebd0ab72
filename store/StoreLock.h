#pragma once

#include <chrono>
#include <semaphore>

namespace tallux {

// The one lock around store accesses that may race with a worker thread
// (upload, deleting uploaded records). Created taken: start-up releases it
// once every store is open, so no worker can touch a store before that.
// Not re-entrant; held for one record's worth of work at a time.
class StoreLock {
public:
    void Acquire() { semaphore_.acquire(); }
    bool TryAcquireFor(std::chrono::milliseconds wait) { return semaphore_.try_acquire_for(wait); }
    void Release() { semaphore_.release(); }

private:
    std::binary_semaphore semaphore_{0};
};

// Holds the store lock for one scope.
class StoreLockGuard {
public:
    explicit StoreLockGuard(StoreLock& lock) : lock_(lock) { lock_.Acquire(); }
    ~StoreLockGuard() { lock_.Release(); }
    StoreLockGuard(const StoreLockGuard&) = delete;
    StoreLockGuard& operator=(const StoreLockGuard&) = delete;

private:
    StoreLock& lock_;
};

}  // namespace tallux
