#pragma once

namespace tallux {

// The upload button's animation: while an upload runs, the button's slot
// cycles through six frame commands (each offers to stop the upload) with
// images 22..27; otherwise it holds the upload command with image 21.
class UploadAnimation {
public:
    struct Slot {
        int command;
        int image;
        const char* text;  // UTF-8 button text
    };

    static constexpr int kUploadImage = 21;
    static constexpr int kFirstFrameImage = 22;

    // On: frame 0. Off: the upload command again.
    void Set(bool on);
    // One clock tick: the next frame (1, 2, 3, 4, 5, 0, ...) while running;
    // nothing otherwise.
    void Tick();

    bool Running() const { return running_; }
    int Frame() const { return frame_; }
    Slot Current() const;

private:
    bool running_ = false;
    int frame_ = 0;
};

}  // namespace tallux
