#include "preentry/PricingRun.h"

#include <utility>

#include "preentry/PreEntryBatch.h"

namespace tallux {
namespace {

// Pricing answers are short: a fee and a line feed.
constexpr std::size_t kPricingAnswerSize = 1024;

// The loop of RunPricing without its end notification, which the worker
// sends only after it has stopped counting as running.
PricingOutcome PriceEach(const std::vector<PricingRequest>& requests, PricingHandler& handler,
                         const ServerAddress& server, const TransportTimeouts& timeouts,
                         const std::atomic<bool>& keepRunning) {
    for (const PricingRequest& request : requests) {
        if (!keepRunning) return {PricingOutcome::Kind::Stopped, 0};
        if (!request.body) {
            handler.ShipmentPriced(request.id, std::nullopt);
            continue;
        }
        const TransactionAnswer answer = PostTransaction(server, *request.body, kPricingAnswerSize, timeouts);
        if (!answer.Delivered()) return {PricingOutcome::Kind::Unreachable, answer.transport};
        const int hundredths = PriceHundredths(answer.text);
        handler.ShipmentPriced(request.id, hundredths > 0 ? std::optional<std::int64_t>(hundredths) : std::nullopt);
    }
    return {PricingOutcome::Kind::Completed, 0};
}

}  // namespace

void RunPricing(const std::vector<PricingRequest>& requests, PricingHandler& handler, const ServerAddress& server,
                const TransportTimeouts& timeouts, std::atomic<bool>& keepRunning) {
    handler.Finished(PriceEach(requests, handler, server, timeouts, keepRunning));
}

bool PricingRun::Start(std::vector<PricingRequest> requests, PricingHandler& handler, ServerAddress server,
                       TransportTimeouts timeouts) {
    if (running_) return false;
    Wait();
    keepRunning_ = true;
    running_ = true;
    thread_ = std::thread([this, requests = std::move(requests), &handler, server = std::move(server), timeouts] {
        const PricingOutcome outcome = PriceEach(requests, handler, server, timeouts, keepRunning_);
        running_ = false;
        handler.Finished(outcome);
    });
    return true;
}

void PricingRun::Wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace tallux
