#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <type_traits>
#include <utility>

namespace tallux {

// How a worker thread hands an event to a page, a view or any other QObject:
// the call runs later on the target's thread, from its event loop, and only
// if the target still exists then. A page closed while a worker was busy
// therefore gets nothing instead of a call on a destroyed object.
//
// DeliverQueued(target, call) may be called from any thread. It returns at
// once; call(*target) runs once on target's thread when that thread's event
// loop next processes events, or never if target was destroyed before that
// (or target is null). call is moved into the queued event, so anything it
// captures must stay valid until then: capture values, not references to
// the worker's locals. Calls queued for one target run in the order queued.
template <class Target, class Call>
void DeliverQueued(Target* target, Call&& call) {
    static_assert(std::is_base_of_v<QObject, Target>, "DeliverQueued needs a QObject target");
    if (!target) return;
    QPointer<Target> alive(target);
    QMetaObject::invokeMethod(
        target,
        [alive, deliver = std::forward<Call>(call)]() mutable {
            if (alive) deliver(*alive);
        },
        Qt::QueuedConnection);
}

}  // namespace tallux
