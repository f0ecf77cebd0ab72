#include "app/gui/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "app/CaptionText.h"
#include "app/ClientState.h"
#include "app/ClockText.h"
#include "app/CommandIds.h"
#include "app/CommandRules.h"
#include "app/ExitQuestion.h"
#include "app/StartupSequence.h"
#include "app/UploadAnimation.h"
#include "app/gui/AboutDialog.h"
#include "net/BaseData.h"
#include "net/BaseDataDownload.h"
#include "widgets/BackgroundCall.h"
#include "widgets/InputHintsDialog.h"
#include "widgets/LoginDialog.h"
#include "widgets/ProgramDefaultsDialog.h"
#include "widgets/Prompter.h"

namespace tallux {
namespace {

// How a command appears: its menu text (the key names after the tab are
// part of it), its toolbar text and the keys that run it.
struct CommandLook {
    int command;
    const char* menuText;
    const char* buttonText;
    QList<QKeySequence> keys;
    const char* tip = nullptr;  // the menu text without its decorations when empty
};

const std::vector<CommandLook>& CommandLooks() {
    static const std::vector<CommandLook> looks = {
        {kCmdLogin, "登入服务器(&L)\tCtrl+L", "登入", {QKeySequence(Qt::CTRL | Qt::Key_L)}},
        {kCmdDownloadBaseData, "下载更新基本数据(&D)", "更新", {}},
        {kCmdSave, "保存(&S)\tCtrl+S F2", "保存", {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::Key_F2)}},
        {kCmdUpload, "上传数据(&U)\tCtrl+U F3", "上传", {QKeySequence(Qt::CTRL | Qt::Key_U), QKeySequence(Qt::Key_F3)}},
        {kCmdImportFile, "打开Excel文件导入", "导入", {}},
        {kCmdExportReport, "报表文件导出", "导出", {}},
        {kCmdOpenCompanySite, "打开公司网站", "网站", {}},
        {kCmdExit, "退出(&X)", "退出", {}},
        {kCmdNewRecord, "新建(&N)", "新建", {}},
        {kCmdDelete, "删除(&X)", "删除", {}},
        {kCmdCopyAll, "整体拷贝", "拷贝", {}},
        {kCmdPasteAll, "整体粘贴", "粘贴", {}},
        {kCmdToggleSelectAll, "将列表记录全部选中", "全选", {}},
        {kCmdRefresh, "刷新列表数据", "刷新", {}},
        {kCmdPreEntryPage, "预录-本地业务预录管理", "预录", {}},
        {kCmdRecordCheckPage, "核单-已入系统快件记录核查", "核单", {}},
        {kCmdCheckpointScanPage, "检查-检查点运转信息扫描", "检查", {}},
        {kCmdAddressBookPage, "名录-收/发件人资料管理", "名录", {}},
        {kCmdSettlementPage, "结算-快件结算记录查询", "结算", {}, "快件结算记录查询"},
        {kCmdPreQueryPage, "预查-查询已上传的预录单信息", "预查", {}, "查询已上传未处理的预录单信息"},
        {kCmdQuery, "信息查询(&F)\tF4", "查询", {QKeySequence(Qt::Key_F4)}},
        {kCmdSettlementSummary, "查询业务结算情况", "余额", {}},
        {kCmdPriceQuery, "报价查询(&P)", "报价", {}},
        {kCmdPriceSelected, "给所选预录记录计价", "计价", {}},
        {kCmdTidyWaybillNumbers, "整理预录记录的运单号", "整理", {}},
        {kCmdPrintReport, "打印报表(&R)\tCtrl+P", "打印", {QKeySequence(Qt::CTRL | Qt::Key_P)}},
        {kCmdPrintLabels, "打印标签(&L)", "标签", {}},
        {kCmdPrintWaybills, "打印面单(&T)", "面单", {}},
        {kCmdPrintInvoices, "打印形式发票(&P)", "发票", {}},
        {kCmdInvoicesToFile, "输出形式发票到文件(&F)", "存票", {}},
        {kCmdSelectLabelTemplate, "选择当前启用的快件标签模版", "标签模版", {}},
        {kCmdSelectWaybillTemplate, "选择当前启用的渠道面单模版", "面单模版", {}},
        {kCmdSelectInvoiceTemplate, "选择当前启用的形式发票模版", "发票模版", {}},
        {kCmdDownloadTemplates, "下载更新打印模版", "模版", {}},
        {kCmdEditSettings, "设置本程序运行数据", "设置", {}},
        {kCmdEditHints, "设置常用提示输入", "提示", {}},
        {kCmdScaleSettings, "设置本机电子秤参数", "电子秤", {}},
        {kCmdPrinterAssociations, "多打印机固定关联配置", "打印机", {}},
        {kCmdPrintSetup, "打印设置(&R)...", "打印设置", {}},
        {kCmdAbout, "关于Tallux客户端系统(&A)...", "关于", {}},
        {kCmdUploadFrame0, "", "在传", {}},
        {kCmdUploadFrame1, "", "在传", {}},
        {kCmdUploadFrame2, "", "在传", {}},
        {kCmdUploadFrame3, "", "在传", {}},
        {kCmdUploadFrame4, "", "在传", {}},
        {kCmdUploadFrame5, "", "在传", {}},
    };
    return looks;
}

// The menus, in order; 0 is a separator.
struct MenuLook {
    const char* title;
    std::vector<int> commands;
};

const std::vector<MenuLook>& MenuLooks() {
    static const std::vector<MenuLook> menus = {
        {"文件(&F)",
         {kCmdLogin, kCmdDownloadBaseData, 0, kCmdSave, kCmdUpload, 0, kCmdImportFile, kCmdExportReport, 0,
          kCmdOpenCompanySite, 0, kCmdExit}},
        {"编辑(&E)", {kCmdNewRecord, kCmdDelete, 0, kCmdCopyAll, kCmdPasteAll, 0, kCmdToggleSelectAll, kCmdRefresh}},
        {"页面(&V)",
         {kCmdPreEntryPage, kCmdRecordCheckPage, kCmdCheckpointScanPage, kCmdAddressBookPage, kCmdSettlementPage,
          kCmdPreQueryPage}},
        {"数据(&D)", {kCmdQuery, kCmdSettlementSummary, kCmdPriceQuery, 0, kCmdPriceSelected, kCmdTidyWaybillNumbers}},
        {"打印(&P)",
         {kCmdPrintReport, 0, kCmdPrintLabels, kCmdPrintWaybills, kCmdPrintInvoices, kCmdInvoicesToFile, 0,
          kCmdSelectLabelTemplate, kCmdSelectWaybillTemplate, kCmdSelectInvoiceTemplate, kCmdDownloadTemplates}},
        {"系统(&S)", {kCmdEditSettings, kCmdEditHints, kCmdScaleSettings, 0, kCmdPrinterAssociations, kCmdPrintSetup}},
        {"帮助(&H)", {kCmdAbout}},
    };
    return menus;
}

// The toolbar, in order; 0 is a separator. The upload button's slot also
// shows the animation frames; the frames have no buttons of their own.
const int kToolBarOrder[] = {
    kCmdOpenCompanySite,
    0,
    kCmdNewRecord,
    kCmdQuery,
    kCmdRefresh,
    0,
    kCmdSave,
    kCmdDelete,
    0,
    kCmdCopyAll,
    kCmdPasteAll,
    0,
    kCmdPreEntryPage,
    kCmdPreQueryPage,
    kCmdRecordCheckPage,
    kCmdSettlementPage,
    kCmdCheckpointScanPage,
    0,
    kCmdAddressBookPage,
    kCmdPriceQuery,
    0,
    kCmdImportFile,
    kCmdExportReport,
    kCmdPrintLabels,
    kCmdPrintWaybills,
    kCmdPrintInvoices,
    0,
    kCmdToggleSelectAll,
    kCmdUpload,
};

const QColor kOperationColour(0, 128, 128);

// The tooltip and status tip: the menu text without its key names and
// mnemonic.
QString PlainText(const char* menuText) {
    QString text = QString::fromUtf8(menuText);
    text = text.section(QLatin1Char('\t'), 0, 0);
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QStringLiteral("..."))) text.chop(3);
    return text;
}

// A small square badge with a glyph: toolbar images without image files.
QIcon BadgeIcon(const QColor& colour, const QString& glyph) {
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
        QFont font = QApplication::font();
        font.setBold(true);
        font.setPixelSize(glyph.size() > 1 ? size * 2 / 5 : size * 2 / 3);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, glyph);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// Image 21 is the upload arrow; 22..27 are the animation frames, the arrow
// rising inside a ring that fills frame by frame.
QIcon UploadImage(int image) {
    const int frame = image - UploadAnimation::kFirstFrameImage;  // <0: the still image
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF ring(1.5, 1.5, size - 3, size - 3);
        painter.setPen(Qt::NoPen);
        painter.setBrush(frame < 0 ? QColor(0x2e, 0x8b, 0x57) : QColor(0xe0, 0x80, 0x10));
        painter.drawEllipse(ring);
        if (frame >= 0) {
            painter.setPen(QPen(Qt::white, size / 10.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawArc(ring.adjusted(size / 10.0, size / 10.0, -size / 10.0, -size / 10.0), 90 * 16,
                            -(frame + 1) * 60 * 16);
        }
        const double lift = frame < 0 ? 0.0 : (frame % 3) * size / 14.0;
        QPainterPath arrow;
        const double mid = size / 2.0;
        const double top = size * 0.22 - lift + size / 14.0;
        arrow.moveTo(mid, top);
        arrow.lineTo(mid + size * 0.22, top + size * 0.25);
        arrow.lineTo(mid + size * 0.08, top + size * 0.25);
        arrow.lineTo(mid + size * 0.08, top + size * 0.52);
        arrow.lineTo(mid - size * 0.08, top + size * 0.52);
        arrow.lineTo(mid - size * 0.08, top + size * 0.25);
        arrow.lineTo(mid - size * 0.22, top + size * 0.25);
        arrow.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawPath(arrow);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon CommandIcon(int command, const QStyle* style) {
    const QColor pageColour(0x1f, 0x5f, 0xa8);
    const QColor editColour(0x5a, 0x6b, 0x7d);
    const QColor printColour(0x7b, 0x3f, 0x9e);
    switch (command) {
    case kCmdOpenCompanySite: return style->standardIcon(QStyle::SP_DriveNetIcon);
    case kCmdNewRecord: return style->standardIcon(QStyle::SP_FileIcon);
    case kCmdQuery: return style->standardIcon(QStyle::SP_FileDialogContentsView);
    case kCmdRefresh: return style->standardIcon(QStyle::SP_BrowserReload);
    case kCmdSave: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case kCmdDelete: return style->standardIcon(QStyle::SP_TrashIcon);
    case kCmdImportFile: return style->standardIcon(QStyle::SP_DialogOpenButton);
    case kCmdExportReport: return BadgeIcon(QColor(0x20, 0x7a, 0x3c), QStringLiteral("表"));
    case kCmdCopyAll: return BadgeIcon(editColour, QStringLiteral("拷"));
    case kCmdPasteAll: return BadgeIcon(editColour, QStringLiteral("贴"));
    case kCmdToggleSelectAll: return style->standardIcon(QStyle::SP_DialogApplyButton);
    case kCmdPriceQuery: return BadgeIcon(QColor(0xb0, 0x3a, 0x2e), QStringLiteral("¥"));
    case kCmdPrintLabels: return BadgeIcon(printColour, QStringLiteral("标"));
    case kCmdPrintWaybills: return BadgeIcon(printColour, QStringLiteral("面"));
    case kCmdPrintInvoices: return BadgeIcon(printColour, QStringLiteral("票"));
    case kCmdUpload: return UploadImage(UploadAnimation::kUploadImage);
    default: break;
    }
    if (const int page = PageOfSwitchCommand(command); page >= 0) {
        static const char* const kGlyphs[] = {"预", "核", "检", "名", "结", "查"};
        return BadgeIcon(pageColour, QString::fromUtf8(kGlyphs[page]));
    }
    if (const int frame = FrameOfUploadCommand(command); frame >= 0)
        return UploadImage(UploadAnimation::kFirstFrameImage + frame);
    return {};
}

QLabel* StatusPane(QWidget* parent, const QString& widthSample) {
    auto* pane = new QLabel(parent);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(widthSample) + 8);
    pane->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    return pane;
}

}  // namespace

struct CMainFrame::Parts {
    std::map<int, QAction*> actions;
    QActionGroup* pageGroup = nullptr;
    QAction* uploadButton = nullptr;
    CVarnoClientView* view = nullptr;
    QToolBar* toolBar = nullptr;
    QLabel* message = nullptr;
    QLabel* operation = nullptr;
    QLabel* clock = nullptr;
    QTimer clockTimer;
    QTimer commandTimer;
    UploadAnimation animation;
    bool downloading = false;
};

CMainFrame::CMainFrame(ClientState& state, QWidget* parent) : CMainFrame(state, {}, parent) {}

CMainFrame::CMainFrame(ClientState& state, CVarnoClientView::PageFactory pages, QWidget* parent)
    : QMainWindow(parent), parts_(new Parts), state_(state) {
    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();

    parts_->view = new CVarnoClientView(state_, this, std::move(pages), this);
    setCentralWidget(parts_->view);
    connect(parts_->view, &CVarnoClientView::CommandStatesChanged, this, &CMainFrame::UpdateCommandStates);

    // Size when not maximised: most of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(std::max(1024, available.width() * 4 / 5), std::max(700, available.height() * 4 / 5));
    } else {
        resize(1024, 720);
    }

    connect(&parts_->clockTimer, &QTimer::timeout, this, &CMainFrame::OnClockTick);
    parts_->clockTimer.start(1000);
    // The page flags change inside the pages without telling anyone; a short
    // poll keeps the menus and buttons in step, as idle-time updates would.
    connect(&parts_->commandTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
    parts_->commandTimer.start(250);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::FollowFocus);

    OnClockTick();
    UpdateCaption();
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    disconnect(qApp, nullptr, this, nullptr);
    parts_->clockTimer.stop();
    parts_->commandTimer.stop();
    // The view and its pages go before the parts they report to, and tell
    // nothing on their way out.
    if (parts_->view) disconnect(parts_->view, nullptr, this, nullptr);
    parts_->view = nullptr;
    delete takeCentralWidget();
    delete parts_;
}

void CMainFrame::BuildActions() {
    parts_->pageGroup = new QActionGroup(this);
    parts_->pageGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const CommandLook& look : CommandLooks()) {
        const QString buttonText = QString::fromUtf8(look.buttonText);
        auto* action = new QAction(QString::fromUtf8(look.menuText), this);
        action->setIconText(buttonText);
        action->setIcon(CommandIcon(look.command, style()));
        const QString tip = look.tip ? QString::fromUtf8(look.tip) : PlainText(look.menuText);
        action->setToolTip(tip.isEmpty() ? buttonText : tip);
        action->setStatusTip(action->toolTip());
        if (!look.keys.isEmpty()) {
            action->setShortcuts(look.keys);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        if (IsCheckableCommand(look.command)) action->setCheckable(true);
        if (PageOfSwitchCommand(look.command) >= 0) parts_->pageGroup->addAction(action);
        const int command = look.command;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        parts_->actions[command] = action;
    }
    // The window holds every action too, so each key works with the menus
    // closed and is bound exactly once.
    for (const auto& [command, action] : parts_->actions)
        if (!action->shortcuts().isEmpty()) addAction(action);
}

void CMainFrame::BuildMenus() {
    for (const MenuLook& look : MenuLooks()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(look.title));
        for (int command : look.commands) {
            if (command == 0)
                menu->addSeparator();
            else
                menu->addAction(parts_->actions.at(command));
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    }
}

void CMainFrame::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("工具栏"));
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    for (int command : kToolBarOrder) {
        if (command == 0) {
            bar->addSeparator();
        } else if (command == kCmdUpload) {
            // Its own action: the slot runs whichever command it shows.
            parts_->uploadButton = new QAction(this);
            connect(parts_->uploadButton, &QAction::triggered, this,
                    [this] { RunCommand(parts_->animation.Current().command); });
            bar->addAction(parts_->uploadButton);
        } else {
            bar->addAction(parts_->actions.at(command));
        }
    }
    parts_->toolBar = bar;
    ShowUploadSlot();
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    parts_->message = new QLabel(QStringLiteral("就绪"), bar);
    bar->addWidget(parts_->message, 1);

    parts_->operation =
        StatusPane(bar, QStringLiteral("当前操作：-----系统用户验证登入 (28)................................"));
    QPalette palette = parts_->operation->palette();
    palette.setColor(QPalette::WindowText, kOperationColour);
    parts_->operation->setPalette(palette);
    bar->addPermanentWidget(parts_->operation);

    parts_->clock = StatusPane(bar, QStringLiteral("0000.00.00 00:00:00-00000"));
    bar->addPermanentWidget(parts_->clock);
    bar->addPermanentWidget(StatusPane(bar, QStringLiteral("100%")));

    // Qt cannot read the lock keys' states on every platform: the three
    // indicators are shown greyed.
    for (const char* name : {"大写", "数字", "滚动"}) {
        QLabel* pane = StatusPane(bar, QString::fromUtf8(name));
        pane->setText(QString::fromUtf8(name));
        pane->setAlignment(Qt::AlignCenter);
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
    }
}

void CMainFrame::UpdateCaption() { setWindowTitle(QString::fromStdString(CaptionText(kProgramTitle, state_.session))); }

void CMainFrame::SetOperationText(const QString& text) { parts_->operation->setText(text); }

QString CMainFrame::OperationText() const { return parts_->operation->text(); }

void CMainFrame::ShowMessage(const QString& text, int milliseconds) { statusBar()->showMessage(text, milliseconds); }

void CMainFrame::SetUploadAnimation(bool on) {
    parts_->animation.Set(on);
    ShowUploadSlot();
}

void CMainFrame::CopyToClipboard(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
}

CVarnoClientView* CMainFrame::View() const { return parts_->view; }

QAction* CMainFrame::Action(int command) const {
    const auto found = parts_->actions.find(command);
    return found == parts_->actions.end() ? nullptr : found->second;
}

QAction* CMainFrame::UploadButtonAction() const { return parts_->uploadButton; }

void CMainFrame::OnClockTick() {
    parts_->clock->setText(QString::fromStdString(ClockTextNow()));
    if (parts_->animation.Running()) {
        parts_->animation.Tick();
        ShowUploadSlot();
    }
}

void CMainFrame::ShowUploadSlot() {
    const UploadAnimation::Slot slot = parts_->animation.Current();
    QAction* button = parts_->uploadButton;
    if (!button) return;
    button->setIcon(UploadImage(slot.image));
    button->setText(QString::fromUtf8(slot.text));
    button->setIconText(QString::fromUtf8(slot.text));
    button->setToolTip(slot.command == kCmdUpload ? QStringLiteral("上传数据")
                                                  : QStringLiteral("正在上传数据，单击可终止上传"));
    button->setStatusTip(button->toolTip());
    if (parts_->view)
        button->setEnabled(parts_->view->StateOf(slot.command, parts_->view->CommandContextNow()).enabled);
}

void CMainFrame::UpdateCommandStates() {
    if (!parts_->view) return;
    const CommandContext context = parts_->view->CommandContextNow();
    for (const auto& [command, action] : parts_->actions) {
        const CommandState state = parts_->view->StateOf(command, context);
        if (action->isEnabled() != state.enabled) action->setEnabled(state.enabled);
        if (action->isCheckable() && action->isChecked() != state.checked) action->setChecked(state.checked);
    }
    ShowUploadSlot();
}

void CMainFrame::RunCommand(int command) {
    if (!parts_->view) return;
    // A state shown a moment ago may be stale: the rules decide now.
    if (!parts_->view->StateOf(command, parts_->view->CommandContextNow()).enabled) {
        UpdateCommandStates();
        return;
    }
    if (!parts_->view->OnCommand(command)) RunFrameCommand(command);
    UpdateCommandStates();
}

int CMainFrame::CommandOfKey(const QKeyEvent& event) const {
    const QKeySequence pressed(QKeyCombination(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key())));
    for (const auto& [command, action] : parts_->actions)
        if (action->shortcuts().contains(pressed)) return command;
    return 0;
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    // Window shortcuts match only while this window is the active one. Right
    // after a modal dialog closed no window may be (the offscreen platform,
    // a display without a window manager), and the key comes here as a
    // plain key press, from the control with the focus or to the window
    // itself when none has it. The rules decide as for the shortcut.
    if (const int command = CommandOfKey(*event); command != 0) {
        event->accept();
        RunCommand(command);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void CMainFrame::FollowFocus(QWidget* old, QWidget* now) {
    // The focus left a window of this one's that is gone now (a dialog
    // closed), and went nowhere. A window manager hands the activation back
    // to the window below; without one nobody does, and the keys would reach
    // no window. Leaving for another program leaves the old window shown and
    // is not followed.
    if (now || !old || !isVisible()) return;
    QWidget* window = old->window();
    if (window == this || window->isVisible()) return;
    QWidget* owner = window->parentWidget();
    while (owner && owner != this) owner = owner->parentWidget();
    if (!owner) return;
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !QApplication::activeWindow() && !QApplication::activeModalWidget()) activateWindow();
    });
}

void CMainFrame::RunFrameCommand(int command) {
    switch (command) {
    case kCmdLogin:
        RunLoginDialog(state_, false, this);
        UpdateCaption();
        break;
    case kCmdDownloadBaseData: DownloadBaseDataNow(); break;
    case kCmdEditSettings: EditSettings(state_, this); break;
    case kCmdEditHints: EditHints(state_, this); break;
    case kCmdOpenCompanySite: QDesktopServices::openUrl(QUrl(QString::fromStdString(state_.companyWebAddress))); break;
    case kCmdAbout: {
        AboutDialog about(this);
        about.exec();
        break;
    }
    case kCmdExit: close(); break;
    default: break;  // features not part of this build are disabled by the rules
    }
}

void CMainFrame::DownloadBaseDataNow() {
    if (parts_->downloading) return;
    parts_->downloading = true;
    SetOperationText(QStringLiteral("当前操作：下载更新基本数据..."));
    // The download runs off the window thread on a copy of the server
    // address; a redirect it follows is taken over afterwards.
    auto server = std::make_shared<ServerAddress>(state_.server);
    auto result = std::make_shared<int>(0);
    QEventLoop loop;
    const bool finished = RunOffUiThread(
        loop, [server, result, site = state_.serverSettings.site, cache = state_.PathOf(kBaseDataCacheFile)] {
            *result = DownloadBaseData(*server, site, cache);
        });
    parts_->downloading = false;
    SetOperationText({});
    if (!finished) return;
    state_.server = *server;
    ReloadBaseData(state_.PathOf(kBaseDataCacheFile), state_.PathOf(kEmsKindFile), state_.baseData,
                   state_.numberRotation);
    state_.defaultCurrency = state_.baseData.settings.defaultCurrency;
    state_.defaultGoodsOrigin = state_.baseData.settings.defaultOrigin;
    Prompter::Current().Tell(this, QString::fromStdString(BaseDataDownloadText(*result)));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (parts_->view && parts_->view->UploadRunning()) {
        const Prompter::Answer answer = Prompter::Current().Show(this, QString::fromUtf8(kUploadExitQuestion),
                                                                 QString::fromUtf8(kExitQuestionCaption),
                                                                 Prompter::Buttons::YesNo, Prompter::Icon::Question);
        if (answer == Prompter::No) {
            event->ignore();
            return;
        }
        // No thread may outlive the window and the stores it works on.
        parts_->view->EndUploads();
        event->accept();
        return;
    }
    const int pending = state_.shipments.IsOpen() ? state_.shipments.Count() : 0;
    if (pending > 0) {
        const Prompter::Answer answer = Prompter::Current().Show(
            this, QString::fromStdString(ExitQuestionText(pending)), QString::fromUtf8(kExitQuestionCaption),
            Prompter::Buttons::YesNo, Prompter::Icon::Question);
        if (answer == Prompter::No) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

}  // namespace tallux
