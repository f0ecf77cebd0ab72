// tallux-server: a stand-in for the carrier's central server, for running
// and testing the client against.

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <thread>

#include "server/CgiRouter.h"
#include "server/DatabaseError.h"
#include "server/DemoData.h"
#include "server/HttpServer.h"
#include "server/LoginHandler.h"
#include "server/ServerDatabase.h"
#include "server/ServerOptions.h"

using namespace tallux::server;

namespace {

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

int Serve(const ServerOptions& options) {
    // Block the stop signals in every thread; one thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    ServerDatabase db(options.dbPath, options.sessions);
    LoginHandler login(db, Now, options.clockWindowSeconds);
    CgiRouter router(login, options.redirect, options.dbPath);
    TransactionHandler transactions(db, options.refusedNumberKeys, Now);
    router.ServeTransactions(transactions);
    HttpServer::Options httpOptions;
    httpOptions.host = options.host;
    httpOptions.port = options.port;
    httpOptions.connections = options.connections;
    HttpServer server(httpOptions, [&router](const HttpRequest& request) { return router.Answer(request); });

    std::thread signalWaiter([&server, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    });
    std::cout << "listening on " << server.BoundAddress() << std::endl;
    server.Run();
    // Run also ends on a poll failure; wake the waiter so it can be joined.
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (auto error = ParseServerOptions(args, options)) {
        std::cerr << "tallux-server: " << *error << "\n" << ServerUsage();
        return 2;
    }
    if (options.help) {
        std::cout << ServerUsage();
        return 0;
    }
    try {
        if (options.initDemo) {
            if (auto error = CreateDemoDatabase(options.dbPath, options.force, Now())) {
                std::cerr << "tallux-server: " << *error << "\n";
                return 1;
            }
            std::cout << "demo database written to " << options.dbPath << std::endl;
            return 0;
        }
        return Serve(options);
    } catch (const std::exception& e) {
        std::cerr << "tallux-server: " << e.what() << "\n";
        return 1;
    }
}
