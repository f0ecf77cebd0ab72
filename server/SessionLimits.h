#pragma once

#include <cstdint>

namespace tallux::server {

// How long a login's session lives and how many one account keeps. A
// session unused for longer than idleSeconds is answered like one never
// issued; a login beyond perAccount live sessions ends that account's least
// recently used ones. Together they keep the sessions table bounded by the
// number of accounts, however fast logins come.
struct SessionLimits {
    std::int64_t idleSeconds = 8 * 60 * 60;
    int perAccount = 16;
};

}  // namespace tallux::server
