#pragma once

namespace tallux {

// What a work page tells the view about which commands it takes.
struct PageFlags {
    int listOnly = -1;  // -1 until the first layout; then 0 (form shown) or 1
    int pasteAvailable = 0;
    int exportEnabled = 0;
    int deleteEnabled = 0;
    int saveEnabled = 0;
    int newEnabled = 1;
    int printReportEnabled = 0;
    int queryEnabled = 0;
    int uploadEnabled = 0;
    int created = 0;
};

}  // namespace tallux
