#include "widgets/BackgroundCall.h"

#include <QEventLoop>
#include <QMetaObject>

#include <memory>
#include <mutex>
#include <thread>

namespace tallux {

namespace {

// What the worker and the waiting thread share. The worker wakes the loop
// only while it still exists: the waiting side clears it under the lock
// before the loop goes away.
struct Rendezvous {
    std::mutex mutex;
    QEventLoop* loop = nullptr;
    bool finished = false;
};

}  // namespace

bool RunOffUiThread(QEventLoop& loop, std::function<void()> work) {
    auto rendezvous = std::make_shared<Rendezvous>();
    rendezvous->loop = &loop;
    std::thread([rendezvous, work = std::move(work)] {
        work();
        std::lock_guard lock(rendezvous->mutex);
        rendezvous->finished = true;
        if (rendezvous->loop) QMetaObject::invokeMethod(rendezvous->loop, "quit", Qt::QueuedConnection);
    }).detach();

    {
        std::lock_guard lock(rendezvous->mutex);
        if (rendezvous->finished) {
            rendezvous->loop = nullptr;
            return true;
        }
    }
    loop.exec();
    std::lock_guard lock(rendezvous->mutex);
    rendezvous->loop = nullptr;
    return rendezvous->finished;
}

}  // namespace tallux
