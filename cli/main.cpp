// tallux-cli: the headless companion of the counter client, for support and
// automation. Exit status: 0 success, 1 failure or problems found, 2 usage.

#include <algorithm>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cli/BaseDataCommand.h"
#include "cli/DemoData.h"
#include "cli/DumpCommand.h"
#include "cli/FontsCommand.h"
#include "cli/LoginCommand.h"
#include "cli/NumberCommand.h"
#include "cli/ProgramDirectory.h"
#include "cli/UploadCommand.h"
#include "store/StoreChecker.h"

namespace {

constexpr const char* kUsage =
    "usage: tallux-cli [OPTIONS] COMMAND\n"
    "\n"
    "commands:\n"
    "  dump shipments|goods|weights|scans|contacts|goodsnames\n"
    "                 print every record as one JSON object per line\n"
    "  check          check every record file; exit 1 listing the problems\n"
    "  demo           create the working folders and, in empty stores, demo records\n"
    "  login          log in (--account, --password) and print the session as JSON\n"
    "  basedata       log in, download the base data into DATA_SYS/0.dat and print its counts\n"
    "  number KEY     log in and fetch one number from the server's number service\n"
    "  upload         log in and upload every shipment ready for upload; one JSON line per shipment,\n"
    "                 accepted ones leave the record files; exit 1 when any failed\n"
    "  fonts          install the barcode fonts for this user; one JSON line per face, exit 1 when\n"
    "                 any failed or fontconfig does not list it\n"
    "\n"
    "options:\n"
    "  --home DIR          program directory (default: the directory of this executable)\n"
    "  --server HOST:PORT  central server (default: tallux.conf in the program directory, else 127.0.0.1:8080)\n"
    "  --site ID           site id (default: tallux.conf, else 8001)\n"
    "  --account NAME      account to log in with\n"
    "  --password TEXT     its password\n";

int Usage(const std::string& message) {
    if (!message.empty()) std::cerr << "tallux-cli: " << message << '\n';
    std::cerr << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::map<std::string, std::string> options = {{"--home", tallux::ExecutableDirectory()}};
    std::size_t next = 0;
    while (next < args.size() && args[next].rfind("--", 0) == 0) {
        if (args[next] == "--help") {
            std::cout << kUsage;
            return 0;
        }
        static const char* const known[] = {"--home", "--server", "--site", "--account", "--password"};
        if (std::find(std::begin(known), std::end(known), args[next]) == std::end(known))
            return Usage("unknown option " + args[next]);
        if (next + 1 >= args.size()) return Usage(args[next] + " needs a value");
        options[args[next]] = args[next + 1];
        next += 2;
    }
    const std::string home = options["--home"];
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
    if (command == "fonts") {
        if (!rest.empty()) return Usage("fonts takes no arguments");
        return tallux::InstallFontsCommand(std::cout, std::cerr);
    }
    if (command == "login" || command == "basedata" || command == "number" || command == "upload") {
        if (command == "number" ? rest.size() != 1 : !rest.empty())
            return Usage(command == "number" ? "number needs one key" : command + " takes no arguments");
        if (!options.count("--account")) return Usage(command + " needs --account");
        tallux::ServerSettings settings;
        if (auto error = settings.LoadFrom(home)) {
            std::cerr << "tallux-cli: " << *error << '\n';
            return 1;
        }
        if (options.count("--server") && !settings.SetServer(options["--server"]))
            return Usage("--server needs HOST:PORT");
        if (options.count("--site")) settings.site = options["--site"];
        if (command == "login")
            return tallux::LoginToServer(settings, options["--account"], options["--password"], std::cout, std::cerr);
        auto cli = tallux::LogInForCommand(settings, options["--account"], options["--password"], std::cerr);
        if (!cli) return 1;
        if (command == "number") return tallux::FetchOneNumber(*cli, settings, rest[0], std::cout, std::cerr);
        if (command == "upload") return tallux::UploadShipments(*cli, settings, home, std::cout, std::cerr);
        return tallux::UpdateBaseData(*cli, settings, home, std::cout, std::cerr);
    }
    return Usage("unknown command " + command);
}
