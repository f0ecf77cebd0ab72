#pragma once

#include <string>

namespace tallux {

// What one upload progress report (message 1131 to the view) means for the
// operation text and the running mark.
struct UploadProgress {
    std::string text;  // UTF-8, for the operation pane
    bool runOver = false;
};

// a < 0: a transport failure (codes -1..-6 choose their text, any other
// negative code the first one); the run is over.
// a >= 0, b >= 0: a successes and b failures so far out of total; the run is
// over once they reach the total.
// a >= 0, b < 0: the run was stopped after -b - 1 failures; it is over.
// A total of 0 shows 0 per cent.
UploadProgress DescribeUploadProgress(int a, int b, int total);

}  // namespace tallux
