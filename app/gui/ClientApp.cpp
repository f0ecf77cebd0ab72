#include "app/gui/ClientApp.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLoggingCategory>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

#include "app/fonts/BarcodeFontInstaller.h"
#include "app/gui/MainFrame.h"
#include "app/gui/SingleInstance.h"
#include "print/LazySpreadsheetEngine.h"
#include "widgets/LoginDialog.h"
#include "widgets/Prompter.h"
#ifdef TALLUX_OFFICE_ENGINE
#include "print/uno/LibreOfficeEngine.h"
#endif

namespace tallux {
namespace {

// Off by default; QT_LOGGING_RULES="tallux.instance.info=true" shows when a
// second start brought this one forward.
Q_LOGGING_CATEGORY(instanceLog, "tallux.instance", QtWarningMsg)

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1f, 0x5f, 0xa8));
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(size * 3 / 4);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("T"));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

#ifdef TALLUX_OFFICE_ENGINE
// The office for this program directory, its profile in DATA_SYS.
std::unique_ptr<SpreadsheetEngine> MakeOfficeEngine(const std::string& programDirectory) {
    LibreOfficeEngine::Options options;
    options.programDir = programDirectory;
    return std::make_unique<LibreOfficeEngine>(std::move(options));
}
#endif

}  // namespace

CVarnoClientApp::CVarnoClientApp(QString home, QObject* parent)
    : QObject(parent), home_(std::move(home)), singleInstance_(std::make_unique<SingleInstance>()) {
    connect(singleInstance_.get(), &SingleInstance::ActivationRequested, this, &CVarnoClientApp::BringForward);
#ifdef TALLUX_OFFICE_ENGINE
    // Made on first use: the program directory is known by then.
    state_.spreadsheetEngine =
        std::make_unique<LazySpreadsheetEngine>([this] { return MakeOfficeEngine(state_.programDirectory); });
#endif
}

CVarnoClientApp::~CVarnoClientApp() {
    // The windows refer to the state and the stores: they go first.
    mainFrame_.reset();
}

void CVarnoClientApp::ApplyLookAndFeel() {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                                  QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")}) {
        if (families.contains(family)) {
            QApplication::setFont(QFont(family, 9));
            break;
        }
    }
    QApplication::setWindowIcon(ProgramIcon());
}

StartupOutcome CVarnoClientApp::InitInstance(const StartupOptions& options) {
    return StartupSequence(state_, *this).Run(options);
}

void CVarnoClientApp::ExitInstance() {
    if (state_.spreadsheetEngine) state_.spreadsheetEngine->Shutdown();
    ShutDownClient(state_);
}

void CVarnoClientApp::ShowStopMessage(const std::string& text) {
    Prompter::Current().Tell(nullptr, QString::fromStdString(text), {}, Prompter::Icon::Warning);
}

std::string CVarnoClientApp::ProgramDirectory() {
    const QString directory = home_.isEmpty() ? QCoreApplication::applicationDirPath() : home_;
    return directory.toStdString();
}

bool CVarnoClientApp::ClaimInstance(const InstanceKey& instance) {
    const SingleInstance::ClaimResult result = singleInstance_->Claim(instance);
    if (result == SingleInstance::ClaimResult::Owned) return true;
    std::fputs(SingleInstance::SecondStartLine(result), stderr);
    return false;
}

ScreenSize CVarnoClientApp::DisplaySize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {1024, 768};
    const QSize size = screen->geometry().size();
    return {size.width(), size.height()};
}

bool CVarnoClientApp::RunLogin() { return RunLoginDialog(state_, true, nullptr); }

bool CVarnoClientApp::CreateMainWindow(const InstanceKey&) {
    // A second start reaches it through the single-instance channel.
    mainFrame_ = std::make_unique<CMainFrame>(state_);
    // Without a window manager (a kiosk session, Xvfb) maximising does
    // nothing: the window takes the screen's work area itself.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) mainFrame_->setGeometry(screen->availableGeometry());
    mainFrame_->showMaximized();
    mainFrame_->raise();
    mainFrame_->activateWindow();
    // Before anything prints: the templates name the barcode faces. A face
    // that cannot be installed only makes its barcodes print in a fallback.
    for (const BarcodeFontInstall& font : InstallBarcodeFonts())
        if (font.action == FontInstallAction::Failed || !font.found)
            std::fprintf(stderr, "tallux: barcode font \"%s\" (%s) is not available\n", font.face.c_str(),
                         font.path.c_str());
    return true;
}

void CVarnoClientApp::UpdateCaption() { mainFrame_->UpdateCaption(); }

void CVarnoClientApp::BringForward() {
    qCInfo(instanceLog, "tallux: brought forward by a second start");
    if (mainFrame_) {
        mainFrame_->showMaximized();
        mainFrame_->raise();
        mainFrame_->activateWindow();
    }
    // A dialog open over (or before) the main window stays on top.
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

}  // namespace tallux
