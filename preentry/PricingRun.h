#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/TransactionPost.h"

namespace tallux {

// The pricing request of one shipment, made from its record when the run is
// started, so that edits made while the run goes do not change what is
// asked; nullopt when the record cannot be priced (PreEntryPricingRequest).
struct PricingRequest {
    int id = 0;
    std::optional<std::string> body;
};

struct PricingOutcome {
    enum class Kind {
        Completed,    // every record was gone through
        Stopped,      // Stop was asked with records left
        Unreachable,  // a request got no answer; transportError says why
    };
    Kind kind = Kind::Completed;
    int transportError = 0;  // the HttpPostText result of that request when Unreachable
};

// What a pricing run needs from its caller. Every call comes from the run's
// thread (from the calling thread under RunPricing), one after the other.
class PricingHandler {
public:
    virtual ~PricingHandler() = default;
    // One shipment's fee in hundredths, in the order of the requests; nullopt
    // when there is none: the record had no request, or the answer's leading
    // number is 0 or less (see PriceHundredths).
    virtual void ShipmentPriced(int id, std::optional<std::int64_t> hundredths) = 0;
    // Exactly once, last, whatever ended the run (also a run without
    // records).
    virtual void Finished(const PricingOutcome& outcome) = 0;
};

// The pricing loop on the calling thread: sends each request in order to
// server (a transaction answer of at most 1023 bytes) and reports the fee it
// brings. A record without a request is reported as no price and the run goes
// on. A request without an answer ends the run at once: that record is not
// reported, later ones are not sent, and what was priced keeps its fee. A
// cleared keepRunning ends the run as stopped before the next record.
void RunPricing(const std::vector<PricingRequest>& requests, PricingHandler& handler, const ServerAddress& server,
                const TransportTimeouts& timeouts, std::atomic<bool>& keepRunning);

// One pricing run on a thread of its own, on its own copies of the server
// address and the timeouts, so the caller may change or drop its own
// meanwhile. Start, Stop and Wait belong to the owner's thread. The owner must
// Wait (or destroy the run) before the handler goes away.
class PricingRun {
public:
    PricingRun() = default;
    ~PricingRun() { Wait(); }
    PricingRun(const PricingRun&) = delete;
    PricingRun& operator=(const PricingRun&) = delete;

    // False, starting nothing, when a run is still going.
    bool Start(std::vector<PricingRequest> requests, PricingHandler& handler, ServerAddress server,
               TransportTimeouts timeouts);
    // Asks the run to end after the record being priced.
    void Stop() { keepRunning_ = false; }
    // True from Start until the run is over. It turns false just before
    // Finished is called, so an owner that learns of the end there may start
    // the next run at once (Start then waits for the old thread to finish).
    bool Running() const { return running_; }
    void Wait();

private:
    std::atomic<bool> keepRunning_{false};
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace tallux
