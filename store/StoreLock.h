#pragma once

#include <chrono>
#include <functional>
#include <semaphore>
#include <utility>

namespace tallux {

// The one lock around store accesses that may race with a worker thread
// (upload, deleting uploaded records). Created taken: start-up releases it
// once every store is open, so no worker can touch a store before that.
// Not re-entrant; held for one record's worth of work at a time.
class StoreLock {
public:
    void Acquire() {
        if (semaphore_.try_acquire()) return;
        if (waitObserver_) waitObserver_();
        semaphore_.acquire();
    }
    bool TryAcquireFor(std::chrono::milliseconds wait) { return semaphore_.try_acquire_for(wait); }
    void Release() { semaphore_.release(); }

    // For tests that must know a thread is held up by the lock before they
    // assert that it has not got past it: the observer is called on the
    // acquiring thread each time Acquire finds the lock taken, just before
    // it waits for the holder (TryAcquireFor does not call it). It must not
    // use the lock. Set it before any other thread uses the lock; the
    // program never sets one, and then Acquire is what it always was.
    void SetWaitObserver(std::function<void()> observer) { waitObserver_ = std::move(observer); }

private:
    std::binary_semaphore semaphore_{0};
    std::function<void()> waitObserver_;
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
