#pragma once

namespace tallux {

struct ClientState;

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// The work pages are laid out for at least this height; smaller displays
// scroll instead.
inline constexpr int kLeastScreenHeight = 768;

ScreenSize RecordedScreenSize(ScreenSize display);
void RecordScreenMetrics(ClientState& state, ScreenSize display);

}  // namespace tallux
