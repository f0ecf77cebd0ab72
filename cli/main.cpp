// tallux-cli: the headless companion of the counter client, for support and
// automation. Exit status: 0 success, 1 failure or problems found, 2 usage.

#include <iostream>
#include <string>
#include <vector>

#include "cli/DemoData.h"
#include "cli/DumpCommand.h"
#include "cli/ProgramDirectory.h"
#include "store/StoreChecker.h"

namespace {

constexpr const char* kUsage =
    "usage: tallux-cli [--home DIR] COMMAND\n"
    "\n"
    "commands:\n"
    "  dump shipments|goods|weights|scans|contacts|goodsnames\n"
    "                 print every record as one JSON object per line\n"
    "  check          check every record file; exit 1 listing the problems\n"
    "  demo           create the working folders and, in empty stores, demo records\n"
    "\n"
    "--home DIR       program directory (default: the directory of this executable)\n";

int Usage(const std::string& message) {
    if (!message.empty()) std::cerr << "tallux-cli: " << message << '\n';
    std::cerr << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string home = tallux::ExecutableDirectory();
    std::size_t next = 0;
    while (next < args.size() && args[next].rfind("--", 0) == 0) {
        if (args[next] == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (args[next] != "--home") return Usage("unknown option " + args[next]);
        if (next + 1 >= args.size()) return Usage("--home needs a directory");
        home = args[next + 1];
        next += 2;
    }
    if (next >= args.size()) return Usage("no command");
    const std::string command = args[next++];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next), args.end());

    if (command == "dump") {
        if (rest.size() != 1) return Usage("dump needs one store name");
        if (!tallux::IsDumpableStore(rest[0])) return Usage("unknown store " + rest[0]);
        return tallux::DumpStore(home, rest[0], std::cout, std::cerr);
    }
    if (command == "check") {
        if (!rest.empty()) return Usage("check takes no arguments");
        std::vector<std::string> problems = tallux::CheckStores(home);
        for (const std::string& problem : problems) std::cout << problem << '\n';
        if (!problems.empty()) {
            std::cout << problems.size() << " problem(s) found\n";
            return 1;
        }
        std::cout << "all record files are consistent\n";
        return 0;
    }
    if (command == "demo") {
        if (!rest.empty()) return Usage("demo takes no arguments");
        return tallux::WriteDemoData(home, std::cout, std::cerr);
    }
    return Usage("unknown command " + command);
}
