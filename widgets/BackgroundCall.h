#pragma once

#include <functional>

class QEventLoop;

namespace tallux {

// Runs work on a thread of its own while the calling (user-interface) thread
// keeps handling events in loop. Returns true when work finished; false when
// someone quit loop first (the window that waited was closed). Work that is
// given up runs to its end unseen, so it must own everything it touches
// (capture shared data by value) and must end by itself (bounded timeouts).
bool RunOffUiThread(QEventLoop& loop, std::function<void()> work);

}  // namespace tallux
