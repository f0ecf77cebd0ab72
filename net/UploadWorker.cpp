#include "net/UploadWorker.h"

namespace tallux {
namespace {

// Results below this reject the session or the request as a whole: going
// on would only collect the same refusal for every record.
constexpr int kRunRefused = -9;

}  // namespace

void RunUpload(const std::vector<int>& ids, UploadHandler& handler, const UploadPost& post,
               std::atomic<bool>& keepRunning) {
    int successes = 0;
    int failures = 0;
    bool stopped = false;
    for (int id : ids) {
        if (!keepRunning) {
            stopped = true;
            break;
        }
        const std::optional<std::string> body = handler.Serialize(id);
        if (!body) {
            ++failures;
            handler.RecordResult(id, -1);
            handler.Progress(successes, failures);
            continue;
        }
        const TransactionAnswer answer = post(*body);
        if (!answer.Delivered()) {
            handler.Finished(
                {UploadOutcome::Kind::Unreachable, successes, failures, answer.transport == 0 ? -1 : answer.transport});
            return;
        }
        if (answer.code > 0)
            ++successes;
        else
            ++failures;
        handler.Progress(successes, failures);
        handler.RecordResult(id, answer.code);
        if (answer.code < kRunRefused) {
            stopped = true;
            break;
        }
    }
    if (!stopped && !keepRunning && successes + failures < static_cast<int>(ids.size())) stopped = true;
    handler.Finished({stopped ? UploadOutcome::Kind::Stopped : UploadOutcome::Kind::Completed, successes, failures, 0});
}

bool UploadWorker::Start(std::vector<int> ids, UploadHandler& handler, UploadPost post) {
    if (running_) return false;
    Wait();
    keepRunning_ = true;
    running_ = true;
    thread_ = std::thread([this, ids = std::move(ids), &handler, post = std::move(post)] {
        RunUpload(ids, handler, post, keepRunning_);
        keepRunning_ = false;
        running_ = false;
    });
    return true;
}

void UploadWorker::Wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace tallux
