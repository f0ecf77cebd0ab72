#include "app/gui/ShipmentUploadJob.h"

#include <algorithm>

#include "app/ClientState.h"
#include "app/PageKind.h"
#include "net/BaseData.h"
#include "net/TransactionPost.h"
#include "preentry/LocalShipmentWriter.h"
#include "preentry/NumberSource.h"
#include "preentry/ShipmentUploadSource.h"
#include "query/gui/WorkPage.h"
#include "store/StoreLock.h"
#include "widgets/QueuedDelivery.h"

namespace tallux {
namespace {

// The answer of one upload transaction is read into this many bytes.
constexpr std::size_t kUploadAnswerSize = 1024;

unsigned ProgramNumber(const ClientState& state) {
    return static_cast<unsigned>(std::clamp(state.settings.programNumber.get(), 0, 9));
}

}  // namespace

// Everything one run reads, fixed at its start.
struct ShipmentUploadJob::Run {
    Run(ClientState& state, int runNumber, CWorkPage* runPage)
        : number(runNumber),
          page(runPage),
          session(state.session),
          server(state.server),
          data(state.baseData),
          site(state.serverSettings.site),
          transaction{server, session, site},
          numbers{session,
                  data,
                  state.numberRotation,
                  ServerNumberFetcher(transaction),
                  ProgramNumber(state),
                  [&state] {
                      StoreLockGuard guard(state.storeLock);
                      return state.shipments.NextId();
                  }},
          stores{state.shipments, state.goods, state.weights, state.storeLock},
          source(stores, data.kinds, transaction, numbers) {}

    const int number;
    const QPointer<CWorkPage> page;
    const SessionValues session;
    const ServerAddress server;
    const BaseData data;
    const std::string site;
    const TransactionContext transaction;
    const NumberContext numbers;
    LocalShipmentStores stores;
    ShipmentUploadSource source;
};

ShipmentUploadJob::ShipmentUploadJob(ClientState& state, CVarnoClientView& view) : state_(state), view_(&view) {}

ShipmentUploadJob::~ShipmentUploadJob() { Shutdown(); }

bool ShipmentUploadJob::Start(int run, PageKind jobKind, CWorkPage* page, const std::vector<int>& ids) {
    if (jobKind != kPreEntryPage || ids.empty()) return false;
    // The view starts a run only after the previous one reported its end, so
    // its thread is done or about to be.
    worker_.Wait();
    ApplyReportedResults();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        results_.clear();
        reported_ = 0;
        appliedCount_ = 0;
        released_ = false;
    }
    run_ = std::make_shared<Run>(state_, run, page);
    std::shared_ptr<const Run> data = run_;
    return worker_.Start(ids, *this, [data](std::string_view body) {
        return PostTransaction(data->server, body, kUploadAnswerSize, data->transaction.timeouts);
    });
}

void ShipmentUploadJob::Stop() { worker_.Stop(); }

void ShipmentUploadJob::Shutdown() {
    worker_.Stop();
    // From here on the worker waits for nobody: it finishes the record it is
    // sending and ends; this thread applies what it reported afterwards.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
    }
    applied_.notify_all();
    worker_.Wait();
    ApplyReportedResults();
    // Its end report may never be delivered now: close up the files here.
    if (run_) run_->source.Finish();
}

std::optional<std::string> ShipmentUploadJob::Serialize(int id) { return run_->source.Serialize(id); }

void ShipmentUploadJob::RecordResult(int id, int code) {
    std::unique_lock<std::mutex> lock(mutex_);
    results_.emplace_back(id, code);
    const std::size_t ticket = ++reported_;
    lock.unlock();
    DeliverQueued(this, [](ShipmentUploadJob& job) { job.ApplyReportedResults(); });
    lock.lock();
    applied_.wait(lock, [&] { return appliedCount_ >= ticket || released_; });
}

void ShipmentUploadJob::ApplyReportedResults() {
    // Not from within itself: the page's handling might run a nested event
    // loop; the outer call goes on with what is left.
    if (applying_ || !run_) return;
    applying_ = true;
    for (;;) {
        std::pair<int, int> result;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (results_.empty()) break;
            result = results_.front();
            results_.pop_front();
        }
        const auto [id, code] = result;
        run_->source.ApplyResult(id, code);
        if (run_->page) run_->page->OnUploadResult(id, code);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++appliedCount_;
        }
        applied_.notify_all();
    }
    applying_ = false;
}

void ShipmentUploadJob::Progress(int successes, int failures) {
    DeliverQueued(this, [run = run_->number, successes, failures](ShipmentUploadJob& job) {
        if (job.view_) job.view_->OnUploadProgress(run, successes, failures);
    });
}

void ShipmentUploadJob::Finished(const UploadOutcome& outcome) {
    DeliverQueued(this, [run = run_, outcome](ShipmentUploadJob& job) {
        run->source.Finish();
        if (job.view_) job.view_->OnUploadFinished(run->number, outcome);
    });
}

}  // namespace tallux
