#pragma once

#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/gui/ClientView.h"
#include "net/UploadWorker.h"

namespace tallux {

struct ClientState;
class CWorkPage;

// The client's upload of pre-entry shipments. The worker thread serialises
// and sends one shipment after the other; each result is applied on the
// window thread (the accepted shipment leaves the stores, the page shows the
// outcome) before the worker reads the next shipment. The run works on
// copies of the session, the server address and the base data, so a login
// or a base-data download meanwhile does not change them under it.
//
// Owned by the view; Shutdown (also run by the destructor) stops the run,
// releases the worker from waiting on the window thread, waits for the
// thread and then applies what it reported.
class ShipmentUploadJob : public QObject, public UploadRunner, private UploadHandler {
    Q_OBJECT
public:
    ShipmentUploadJob(ClientState& state, CVarnoClientView& view);
    ~ShipmentUploadJob() override;

    // Only the pre-entry page's shipments are uploaded here.
    bool Start(int run, PageKind jobKind, CWorkPage* page, const std::vector<int>& ids) override;
    void Stop() override;
    void Shutdown() override;

private:
    // The worker thread's side.
    std::optional<std::string> Serialize(int id) override;
    void RecordResult(int id, int code) override;
    void Progress(int successes, int failures) override;
    void Finished(const UploadOutcome& outcome) override;

    // The window thread's side: applies the results the worker reported,
    // in order.
    void ApplyReportedResults();

    struct Run;
    ClientState& state_;
    QPointer<CVarnoClientView> view_;
    // Replaced only while no worker thread runs.
    std::shared_ptr<Run> run_;
    UploadWorker worker_;

    // The result handshake: the worker queues a result and waits until the
    // window thread has applied it, or until Shutdown releases it.
    std::mutex mutex_;
    std::condition_variable applied_;
    std::deque<std::pair<int, int>> results_;  // id, result code
    std::size_t reported_ = 0;
    std::size_t appliedCount_ = 0;
    bool released_ = false;
    bool applying_ = false;  // window thread only
};

}  // namespace tallux
