#pragma once

#include <string>

#include "net/UploadWorker.h"

namespace tallux {

// What an upload run's report means for the operation text and the running
// mark.
struct UploadProgress {
    std::string text;  // UTF-8, for the operation pane
    bool runOver = false;
};

// The running totals after a record: successes and failures so far out of
// total; the run is over once they reach the total. A total of 0 shows 0
// per cent.
UploadProgress DescribeUploadProgress(int successes, int failures, int total);

// The end of a run. Unreachable shows the transport failure's text (codes
// -1..-6 choose it, any other code the text of -1); Stopped shows the totals
// and the stop, and is over; Completed shows the totals as a progress report
// does.
UploadProgress DescribeUploadProgress(const UploadOutcome& outcome, int total);

}  // namespace tallux
