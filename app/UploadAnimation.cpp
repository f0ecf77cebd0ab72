#include "app/UploadAnimation.h"

#include "app/CommandIds.h"

namespace tallux {

void UploadAnimation::Set(bool on) {
    running_ = on;
    frame_ = 0;
}

void UploadAnimation::Tick() {
    if (running_) frame_ = (frame_ + 1) % static_cast<int>(kUploadFrameCommands.size());
}

UploadAnimation::Slot UploadAnimation::Current() const {
    if (!running_) return {kCmdUpload, kUploadImage, "上传"};
    return {kUploadFrameCommands[frame_], kFirstFrameImage + frame_, "在传"};
}

}  // namespace tallux
