#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/DemoServer.h"

namespace tallux::test {

// A test suite whose tests share one tallux-server on a demo database,
// started before the first test and stopped after the last.
template <typename Suite>
class DemoServerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new DemoServer(TALLUX_SERVER, Suite::ServerArguments());
        directory = &server->Directory();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
        directory = nullptr;
    }
    static std::vector<std::string> ServerArguments() { return {}; }

    static inline DemoServer* server = nullptr;
    static inline const TempDir* directory = nullptr;
};

}  // namespace tallux::test
