// tallux: the counter client. Exit status: 0 after a normal run, a second
// start that brought the running one forward (it says so on stderr), or a
// login given up; 1 when start-up stopped; 2 for a wrong command line.

#include <clocale>
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>

#include "app/gui/ClientApp.h"
#include "net/ServerSettings.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Qt sets the C library locale from the environment; numbers in files
    // and requests are always written and read the C way.
    std::setlocale(LC_NUMERIC, "C");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tallux counter client"));
    parser.addHelpOption();
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Program directory (default: the directory of this executable)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("Central server (default: tallux.conf, else 127.0.0.1:8080)."),
                                    QStringLiteral("HOST:PORT"));
    const QCommandLineOption site(QStringLiteral("site"), QStringLiteral("Site id (default: tallux.conf, else 8001)."),
                                  QStringLiteral("ID"));
    parser.addOptions({home, server, site});
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "tallux: %s\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tallux: unexpected argument %s\n", qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    tallux::StartupOptions options;
    if (parser.isSet(server)) {
        options.server = parser.value(server).toStdString();
        if (tallux::ServerSettings check; !check.SetServer(*options.server)) {
            std::fprintf(stderr, "tallux: --server needs HOST:PORT\n");
            return 2;
        }
    }
    if (parser.isSet(site)) options.site = parser.value(site).toStdString();

    tallux::CVarnoClientApp::ApplyLookAndFeel();
    tallux::CVarnoClientApp client(parser.value(home));
    int status = 0;
    switch (client.InitInstance(options)) {
    case tallux::StartupOutcome::Running: status = QApplication::exec(); break;
    case tallux::StartupOutcome::Stopped: status = 1; break;
    case tallux::StartupOutcome::OtherInstanceRuns:
    case tallux::StartupOutcome::LoginAbandoned: break;
    }
    client.ExitInstance();
    return status;
}
