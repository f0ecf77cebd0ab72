#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "print/uno/OfficeProcess.h"
#include "tests/support/TempDir.h"

namespace tallux::test {

// A print server of its own: cupsd with its configuration, spool, logs and
// socket in a temporary folder, no network listener, and one CUPS-PDF queue.
// CUPS-PDF writes each job as <job name>.pdf into the PDF folder of the
// job's user. Only a cupsd started as root runs that backend.
class PrivateCups {
public:
    static constexpr const char* kQueue = "TalluxPDF";

    // Empty when it runs with the queue set up; else why not.
    std::string Start() {
        if (::geteuid() != 0) return "the CUPS-PDF backend runs only for a cupsd started as root";
        for (const char* needed : {kCupsd, kBackend, kPpd})
            if (!std::filesystem::exists(needed))
                return std::string(needed) + " is missing (packages cups, printer-driver-cups-pdf)";
        const std::filesystem::path root = dir_.Path();
        for (const char* sub : {"spool/tmp", "cache", "state", "log", "ppd"})
            std::filesystem::create_directories(root / sub);
        socket_ = (root / "cups.sock").string();
        WriteWholeFile((root / "cupsd.conf").string(),
                       "Listen " + socket_ +
                           "\nLogLevel warn\nBrowsing Off\nWebInterface No\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        WriteWholeFile((root / "cups-files.conf").string(),
                       "ServerRoot " + root.string() + "\nRequestRoot " + (root / "spool").string() + "\nTempDir " +
                           (root / "spool/tmp").string() + "\nCacheDir " + (root / "cache").string() + "\nStateDir " +
                           (root / "state").string() + "\nErrorLog " + (root / "log/error_log").string() +
                           "\nAccessLog " + (root / "log/access_log").string() + "\nPageLog " +
                           (root / "log/page_log").string() + "\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n");
        if (!process_.Spawn(kCupsd,
                            {"-f", "-c", (root / "cupsd.conf").string(), "-s", (root / "cups-files.conf").string()}))
            return "cupsd was not started";
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!std::filesystem::exists(socket_)) {
            if (process_.Exited() || std::chrono::steady_clock::now() > deadline)
                return "cupsd did not come up: " + ReadWholeFile((root / "log/error_log").string());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!Run(Client() + "lpadmin -p " + kQueue + " -E -v cups-pdf:/ -P " + kPpd + " 2>&1"))
            return "the queue was not added";
        return {};
    }
    ~PrivateCups() { process_.Terminate(std::chrono::seconds(5)); }

    const std::string& Socket() const { return socket_; }
    // The prefix for a client command that talks to this server.
    std::string Client() const { return "CUPS_SERVER='" + socket_ + "' "; }
    // True once no job of the queue is waiting or printing.
    bool Idle() const {
        auto jobs = Run(Client() + "lpstat -W not-completed -o " + kQueue + " 2>/dev/null");
        return jobs && jobs->empty();
    }
    // One line per job: printer, user, job id, time, "total", impressions,
    // billing, host, job name…
    std::string PageLog() const { return ReadWholeFile((dir_.Path() / "log/page_log").string()); }

    // A command's standard output; nullopt when it failed.
    static std::optional<std::string> Run(const std::string& command) {
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return std::nullopt;
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        if (::pclose(pipe) != 0) return std::nullopt;
        return out;
    }

private:
    static constexpr const char* kCupsd = "/usr/sbin/cupsd";
    static constexpr const char* kBackend = "/usr/lib/cups/backend/cups-pdf";
    static constexpr const char* kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd";

    TempDir dir_;
    OfficeProcess process_;
    std::string socket_;
};

}  // namespace tallux::test
