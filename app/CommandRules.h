#pragma once

#include "app/PageKind.h"
#include "query/PageFlags.h"

namespace tallux {

// What the enable rules of the main window's commands look at.
struct CommandContext {
    int currentPage = -1;  // index of the page shown; -1 before the first switch
    PageFlags flags;       // the current page's flags
    int listRowCount = 0;  // rows in the current page's list
    bool loggedIn = false;
    int customerId = 0;
    bool running = false;    // an upload or a pricing run holds the running mark
    bool uploading = false;  // an upload run is in progress (it completes numbers)
    bool preEntryPrintingAllowed = false;
    bool priceWindowOpen = false;
};

struct CommandState {
    bool enabled = false;
    bool checked = false;

    bool operator==(const CommandState&) const = default;
};

// The enabled and checked state of one command. Page commands follow the
// current page and its flags (all off without a page); the page switches
// carry the radio check of the current page; the price query carries a check
// while its window is open. Commands whose feature is not part of this
// build are disabled; unknown commands too.
CommandState CommandStateOf(int command, const CommandContext& context);

// False for the commands whose window or job is not part of this build.
bool IsCommandAvailable(int command);

// The page switches and the price query window show a check mark.
bool IsCheckableCommand(int command);

}  // namespace tallux
