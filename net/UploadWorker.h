#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "net/TransactionPost.h"

namespace tallux {

// How an upload run ended.
struct UploadOutcome {
    enum class Kind {
        Completed,    // every id was sent or found unsendable
        Stopped,      // stopped by the caller, or the server refused the run
        Unreachable,  // a transport failure; later ids were not sent
    };
    Kind kind;
    int successes;       // records the server accepted before the end
    int failures;        // records refused or unsendable before the end
    int transportError;  // Unreachable: the transport's code, below 0; else 0
};

// What an upload run needs from its caller. Every call comes from the
// worker thread.
class UploadHandler {
public:
    virtual ~UploadHandler() = default;
    // The request of one record; nullopt when it cannot be sent (reported
    // as result -1).
    virtual std::optional<std::string> Serialize(int id) = 0;
    // One record's result. Returns only once the result is applied (the
    // record deleted or marked), so the next record is read afterwards.
    virtual void RecordResult(int id, int code) = 0;
    // Running totals after each record.
    virtual void Progress(int successes, int failures) = 0;
    // Exactly once, last, whatever ended the run.
    virtual void Finished(const UploadOutcome& outcome) = 0;
};

// Sends one request and reads the answer's result code.
using UploadPost = std::function<TransactionAnswer(std::string_view body)>;

// The upload loop on the calling thread: serialise, send and report each
// id in order. A transport failure ends the run at once (later ids are not
// sent, the handler hears of no record); a result below -9 or a cleared
// keepRunning ends it as stopped after the current record.
void RunUpload(const std::vector<int>& ids, UploadHandler& handler, const UploadPost& post,
               std::atomic<bool>& keepRunning);

// One upload run on its own thread. The owner must Wait (or destroy it)
// before the stores and the handler go away.
class UploadWorker {
public:
    UploadWorker() = default;
    ~UploadWorker() { Wait(); }
    UploadWorker(const UploadWorker&) = delete;
    UploadWorker& operator=(const UploadWorker&) = delete;

    // False when a run is still going.
    bool Start(std::vector<int> ids, UploadHandler& handler, UploadPost post);
    // Asks the run to end after the record being sent.
    void Stop() { keepRunning_ = false; }
    bool KeepRunning() const { return keepRunning_; }
    bool Running() const { return running_; }
    void Wait();

private:
    std::atomic<bool> keepRunning_{false};
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace tallux
