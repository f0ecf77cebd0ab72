#include "app/ScreenMetrics.h"

#include <algorithm>

#include "app/ClientState.h"

namespace tallux {

ScreenSize RecordedScreenSize(ScreenSize display) {
    return {display.width, std::max(display.height, kLeastScreenHeight)};
}

void RecordScreenMetrics(ClientState& state, ScreenSize display) {
    const ScreenSize recorded = RecordedScreenSize(display);
    state.screenWidth = recorded.width;
    state.screenHeight = recorded.height;
}

}  // namespace tallux
