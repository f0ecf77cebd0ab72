#include "preentry/gui/PreEntryForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "app/ClientState.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/LinkLabel.h"
#include "widgets/ListChoiceDialog.h"
#include "widgets/Prompter.h"
#include "net/TransactionPost.h"
#include "preentry/GoodsLinesEditor.h"
#include "preentry/LocalShipmentWriter.h"
#include "preentry/NumberSource.h"
#include "preentry/PreEntryRecordBuilder.h"
#include "preentry/WaybillNumbers.h"
#include "preentry/gui/CollectChargesDialog.h"
#include "preentry/gui/DestinationPopup.h"
#include "preentry/gui/ExtraNumbersPane.h"
#include "preentry/gui/FormControls.h"
#include "preentry/gui/GoodsLinesDialog.h"
#include "preentry/gui/GoodsNamePopup.h"
#include "preentry/gui/PieceWeightsDialog.h"
#include "preentry/gui/SpareFieldsPane.h"
#include "text/GbkCodec.h"
#include "text/StoredText.h"

namespace tallux {

using namespace formcontrols;

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kDarkRed(128, 0, 0);
const QColor kPurple(128, 0, 128);
const QColor kBlue(0, 0, 255);

const char* const kCurrencies[] = {"CNY", "USD", "EUR", "JPY", "HKD", "MOP", "TWD", "RUB", "CAD", "AUD",
                                   "SGD", "INR", "KRW", "PHP", "NZD", "THB", "VND", "MNT", "GBP", "CHF"};
const char* const kSettlements[] = {"PP", "CC", "COD", "DP"};

constexpr int kDestinationPopupWidth = 300;
constexpr int kGoodsHintKeys = 5;  // Ctrl+1..5
constexpr int kCollectPayment = 2;  // "到付"
constexpr int kBandSpacing = 3;

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }
std::u16string U(const QString& text) { return text.toStdU16String(); }

QComboBox* MakeDropList(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    for (const char* item : items) combo->addItem(QString::fromUtf8(item));
    combo->setFixedHeight(RowHeight(combo));
    combo->setMinimumContentsLength(1);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Up and Down move between the fields here as everywhere in the form;
    // the list opens with Alt+Down or F4.
    FormKeyNavigator::KeepKeys(combo, FormKeyNavigator::NoKeys);
    return combo;
}

LimitedTextEdit* MakeMultiLine(QWidget* parent, const char* name, int maxCharacters, int lines) {
    auto* edit = new LimitedTextEdit(maxCharacters, parent);
    edit->setObjectName(QLatin1String(name));
    edit->document()->setDocumentMargin(1);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * lines + 10);
    // A faint tint tells the operator that Enter starts a new line here.
    QPalette look = edit->palette();
    look.setColor(QPalette::Base, QColor(255, 255, 236));
    edit->setPalette(look);
    return edit;
}

// A field with something beside it (a lock diamond before, a mark after).
QWidget* Beside(QWidget* parent, std::initializer_list<QWidget*> parts) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    for (QWidget* part : parts) {
        part->setParent(box);
        row->addWidget(part, qobject_cast<QLineEdit*>(part) || qobject_cast<QComboBox*>(part) ? 1 : 0);
    }
    return box;
}

void SetCombo(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void TakeCombo(const QComboBox* combo, int& value) {
    // A stored value the list does not hold stays as it was.
    if (combo->currentIndex() >= 0) value = combo->currentIndex();
}

// Currency and settlement travel as text; a text the list does not hold
// selects nothing and comes back empty.
void SetComboText(QComboBox* combo, const std::u16string& text) { combo->setCurrentIndex(combo->findText(Q(text))); }
std::u16string ComboText(const QComboBox* combo) {
    return combo->currentIndex() >= 0 ? U(combo->currentText()) : std::u16string();
}

void SetNumber(QLineEdit* edit, double value) { edit->setText(NumberText(value)); }
void SetInteger(QLineEdit* edit, int value) { edit->setText(QString::number(value)); }

// A label that does nothing yet, in the colour it will have.
QLabel* ColouredCaption(const QString& text, QWidget* parent, const QColor& colour) {
    QLabel* label = MakeCaption(text, parent);
    QPalette look = label->palette();
    // Disabled, it greys like any control.
    look.setColor(QPalette::Active, QPalette::WindowText, colour);
    look.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label->setPalette(look);
    return label;
}

// Not logged in, or a number that must be local: nobody to ask.
NumberFetcher NoNumberService() {
    return [](std::string_view) { return std::optional<std::string>(); };
}

unsigned ProgramNumber(const ClientState& state) {
    return static_cast<unsigned>(std::clamp(state.settings.programNumber.get(), 0, 9));
}

}  // namespace

CPreEntryForm::CPreEntryForm(ClientState& state, QWidget* parent)
    : QWidget(parent), state_(state), chooser_(state.baseData) {
    setObjectName(QStringLiteral("preEntryForm"));
    const QDate today = QDate::currentDate();
    dates_ = MakeBusinessDateList(today.year(), today.month(), today.day());
    values_ = InitialPreEntryValues(Defaults());
    BuildControls();
    FirstShow();
}

CPreEntryForm::~CPreEntryForm() = default;

void CPreEntryForm::BuildControls() {
    // The form fits a 768-pixel screen; on a smaller one it scrolls rather
    // than letting its rows overlap.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("formScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setFocusPolicy(Qt::NoFocus);
    auto* body = new QWidget(scroller);
    body->setObjectName(QStringLiteral("formBody"));
    scroller->setWidget(body);
    auto* outerLayout = new QVBoxLayout(this);
    outerLayout->setContentsMargins(0, 0, 0, 0);
    outerLayout->addWidget(scroller);
    connect(qApp, &QApplication::focusChanged, scroller, [scroller, body](QWidget*, QWidget* now) {
        if (now && body->isAncestorOf(now)) scroller->ensureWidgetVisible(now, 0, 2);
    });

    QVBoxLayout* form = new QVBoxLayout(body);
    form->setContentsMargins(4, 1, 4, 1);
    form->setSpacing(3);
    std::vector<QWidget*> order;  // the tab order, top left first

    // The width of the caption column, the same in every part of the form.
    // The parties' captions stand beside their title band.
    const int bandWidth = fontMetrics().horizontalAdvance(QStringLiteral("收")) + 4;
    const int captionWidth = std::max(fontMetrics().horizontalAdvance(QStringLiteral("申明价:")),
                                      fontMetrics().horizontalAdvance(QStringLiteral("姓名:")) + bandWidth +
                                          kBandSpacing) +
                             2;
    auto section = [&](QWidget* owner) {
        QGridLayout* grid = MakeGrid(owner);
        grid->setColumnMinimumWidth(0, captionWidth);
        // The left fields (kind, origin, waybill, names, companies) hold
        // longer texts than the right ones (numbers, postcodes, date).
        grid->setColumnStretch(1, 3);
        grid->setColumnStretch(3, 2);
        return grid;
    };
    // A clickable caption also answers F9 in its field.
    auto bind = [](LinkLabel* caption, QWidget* field) {
        caption->setBuddy(field);
        caption->setToolTip(QStringLiteral("F9"));
    };
    auto lock = [&](Lock which, QLineEdit* edit, const char* name) {
        LinkLabel* diamond = MakeLink(QStringLiteral("◇"), this);
        diamond->setObjectName(QLatin1String(name));
        diamond->setAlignment(Qt::AlignCenter);
        connect(diamond, &LinkLabel::clicked, this, [this, which] { ToggleLock(which); });
        lockLinks_[which] = diamond;
        lockedEdits_[which] = edit;
        return Beside(this, {diamond, edit});
    };
    // Three fields on one line, the first one's caption in the caption
    // column (nullptr here), the others' between them.
    auto threeUp = [&](QWidget* parent, std::initializer_list<std::pair<QWidget*, QWidget*>> pairs) {
        auto* box = new QWidget(parent);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(3);
        for (auto [caption, field] : pairs) {
            if (caption) {
                caption->setParent(box);
                row->addWidget(caption);
            }
            field->setParent(box);
            row->addWidget(field, 1);
        }
        return box;
    };

    // Status line and "C".
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status1018"));
    status_->setTextFormat(Qt::PlainText);
    QFont statusFace = status_->font();
    statusFace.setBold(true);
    status_->setFont(statusFace);
    closeButton_ = new QPushButton(QStringLiteral("C"), this);
    closeButton_->setObjectName(QStringLiteral("button1015"));
    closeButton_->setFocusPolicy(Qt::NoFocus);
    closeButton_->setFixedSize(RowHeight(this) + 4, RowHeight(this));
    connect(closeButton_, &QPushButton::clicked, this, [this] { emit ListOnlyRequested(); });

    itemType_ = MakeDropList(this, "itemType", {"文件", "包裹", "防水袋"});
    language_ = MakeDropList(this, "language", {"大陆", "华语", "外语"});
    auto* topRow = new QHBoxLayout;
    topRow->setSpacing(3);
    topRow->addWidget(itemType_);
    topRow->addWidget(language_);
    topRow->addSpacing(6);
    topRow->addWidget(status_, 1);
    topRow->addWidget(closeButton_);
    form->addLayout(topRow);
    order.insert(order.end(), {itemType_, language_});

    // Kind, pieces, weight, fee, origin, destination, payment, waybill, date.
    auto* head = new QWidget(this);
    QGridLayout* headGrid = section(head);
    kindName_ = MakeEdit(head, "kindName", 15);
    LinkLabel* kindLink = MakeLink(QStringLiteral("类别:"), head, kGreen);
    connect(kindLink, &LinkLabel::clicked, this, &CPreEntryForm::ChooseKind);
    bind(kindLink, kindName_);
    QLabel* batchKind = ColouredCaption(QStringLiteral("★"), head, kRed);
    batchKind->setEnabled(false);
    pieces_ = MakeIntegerEdit(head, "pieces");
    pieces_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8);
    headGrid->addWidget(kindLink, 0, 0);
    headGrid->addWidget(Beside(head, {kindName_, batchKind, pieces_, MakeCaption(QStringLiteral("件"), head)}), 0, 1);
    weight_ = MakeDecimalEdit(head, "weight");
    LinkLabel* weightLink = MakeLink(QStringLiteral("重量:"), head, kGreen);
    connect(weightLink, &LinkLabel::clicked, this, &CPreEntryForm::EditPieceWeights);
    bind(weightLink, weight_);
    headGrid->addWidget(weightLink, 0, 2);
    headGrid->addWidget(weight_, 0, 3);

    origin_ = MakeEdit(head, "origin", 62);
    LinkLabel* originLink = MakeLink(QStringLiteral("出发地:"), head);
    connect(originLink, &LinkLabel::clicked, this, [this] { ReplaceWithHint(origin_); });
    bind(originLink, origin_);
    headGrid->addWidget(originLink, 1, 0);
    headGrid->addWidget(lock(OriginLock, origin_, "lock1118"), 1, 1);
    fee_ = MakeDecimalEdit(head, "fee");
    QLabel* priceQuery = ColouredCaption(QStringLiteral(" $"), head, kBlue);
    priceQuery->setEnabled(false);
    headGrid->addWidget(MakeCaption(QStringLiteral("费用:"), head), 1, 2);
    headGrid->addWidget(Beside(head, {fee_, priceQuery}), 1, 3);

    destination_ = MakeEdit(head, "destination", 62);
    destinationMark_ = new QLabel(head);
    destinationMark_->setObjectName(QStringLiteral("mark1123"));
    destinationMark_->setAlignment(Qt::AlignCenter);
    destinationMark_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("※")) + 4);
    headGrid->addWidget(MakeCaption(QStringLiteral("目的地:"), head), 2, 0);
    headGrid->addWidget(Beside(head, {destination_, destinationMark_}), 2, 1);
    payment_ = MakeDropList(head, "payment", {"月结", "现付", "到付"});
    LinkLabel* paymentLink = MakeLink(QStringLiteral("付款:"), head, kGreen);
    connect(paymentLink, &LinkLabel::clicked, this, &CPreEntryForm::EditCollectCharges);
    bind(paymentLink, payment_);
    headGrid->addWidget(paymentLink, 2, 2);
    headGrid->addWidget(payment_, 2, 3);

    waybill_ = MakeEdit(head, "waybill", 30);
    LinkLabel* waybillLink = MakeLink(QStringLiteral("运单号:"), head);
    connect(waybillLink, &LinkLabel::clicked, this, &CPreEntryForm::MakeLocalWaybillNumber);
    bind(waybillLink, waybill_);
    headGrid->addWidget(waybillLink, 3, 0);
    headGrid->addWidget(lock(WaybillLock, waybill_, "lock1122"), 3, 1);
    businessDate_ = MakeEdit(head, "businessDate", 10);
    LinkLabel* dateLink = MakeLink(QStringLiteral("日期:"), head);
    connect(dateLink, &LinkLabel::clicked, this, &CPreEntryForm::CycleDate);
    bind(dateLink, businessDate_);
    headGrid->addWidget(dateLink, 3, 2);
    headGrid->addWidget(businessDate_, 3, 3);
    form->addWidget(head);
    order.insert(order.end(),
                 {kindName_, pieces_, weight_, origin_, fee_, destination_, payment_, waybill_, businessDate_});

    // Receiver and sender share one arrangement.
    struct Party {
        QLineEdit** name;
        QLineEdit** postcode;
        QLineEdit** phone;
        QLineEdit** sms;
        QLineEdit** email;
        QLineEdit** company;
        LimitedTextEdit** address;
        QLineEdit** country;
        QLineEdit** province;
        QLineEdit** city;
    };
    struct PartyLimits {
        int name, company, address, country, province, city;
    };
    auto party = [&](const QString& title, bool receiver, const Party& p, const PartyLimits& limits) {
        // The title runs down a band at the left, as on a waybill, so the
        // party's fields start at once.
        auto* group = new QWidget(this);
        group->setObjectName(receiver ? QStringLiteral("receiverGroup") : QStringLiteral("senderGroup"));
        auto* outer = new QHBoxLayout(group);
        outer->setContentsMargins(0, 1, 0, 1);
        outer->setSpacing(kBandSpacing);
        QString vertical;
        for (QChar c : title) vertical += vertical.isEmpty() ? QString(c) : QStringLiteral("\n") + c;
        auto* band = new QLabel(vertical, group);
        band->setObjectName(receiver ? QStringLiteral("receiverTitle") : QStringLiteral("senderTitle"));
        band->setAlignment(Qt::AlignCenter);
        band->setFixedWidth(bandWidth);
        band->setAutoFillBackground(true);
        QFont face = band->font();
        face.setBold(true);
        band->setFont(face);
        QPalette look = band->palette();
        look.setColor(QPalette::WindowText, QColor(0, 0, 128));
        look.setColor(QPalette::Window, QColor(226, 234, 248));
        band->setPalette(look);
        outer->addWidget(band);
        auto* body = new QWidget(group);
        outer->addWidget(body, 1);
        QGridLayout* grid = section(body);
        grid->setColumnMinimumWidth(0, captionWidth - bandWidth - kBandSpacing);
        const char* prefix = receiver ? "receiver" : "sender";
        auto name = [&](const char* field) { return QByteArray(prefix) + field; };
        *p.name = MakeEdit(body, name("Name").constData(), limits.name);
        *p.postcode = MakeEdit(body, name("Postcode").constData(), 15);
        *p.phone = MakeEdit(body, name("Phone").constData(), 62);
        *p.sms = MakeEdit(body, name("Sms").constData(), 22);
        *p.email = MakeEdit(body, name("Email").constData(), 62);
        *p.company = MakeEdit(body, name("Company").constData(), limits.company);
        *p.address = MakeMultiLine(body, name("Address").constData(), limits.address, 2);
        *p.country = MakeEdit(body, name("Country").constData(), limits.country);
        *p.province = MakeEdit(body, name("Province").constData(), limits.province);
        *p.city = MakeEdit(body, name("City").constData(), limits.city);

        grid->addWidget(MakeCaption(QStringLiteral("姓名:"), body), 0, 0);
        grid->addWidget(lock(receiver ? ReceiverNameLock : SenderNameLock, *p.name,
                             receiver ? "lock1163" : "lock1120"),
                        0, 1);
        // Receiver postcode: the remote-area query, not part of this build.
        grid->addWidget(receiver ? ColouredCaption(QStringLiteral("邮编:"), body, kPurple)
                                 : MakeCaption(QStringLiteral("邮编:"), body),
                        0, 2);
        grid->addWidget(lock(receiver ? ReceiverPostcodeLock : SenderPostcodeLock, *p.postcode,
                             receiver ? "lock1119" : "lock1121"),
                        0, 3);
        grid->addWidget(MakeCaption(QStringLiteral("电话:"), body), 1, 0);
        grid->addWidget(*p.phone, 1, 1);
        grid->addWidget(ColouredCaption(QStringLiteral("短信:"), body, kGreen), 1, 2);
        grid->addWidget(*p.sms, 1, 3);
        grid->addWidget(MakeCaption(QStringLiteral("单位:"), body), 2, 0);
        grid->addWidget(*p.company, 2, 1);
        grid->addWidget(MakeCaption(QStringLiteral("电邮:"), body), 2, 2);
        grid->addWidget(*p.email, 2, 3);
        QLabel* addressCaption = MakeCaption(QStringLiteral("地址:"), body);
        addressCaption->setAlignment(Qt::AlignRight | Qt::AlignTop);
        grid->addWidget(addressCaption, 3, 0);
        grid->addWidget(*p.address, 3, 1, 1, 3);
        grid->addWidget(MakeCaption(QStringLiteral("国家:"), body), 4, 0);
        QWidget* place = threeUp(body, {{nullptr, *p.country},
                                        {MakeCaption(QStringLiteral("省州:"), body), *p.province},
                                        {MakeCaption(QStringLiteral("城市:"), body), *p.city}});
        grid->addWidget(place, 4, 1, 1, 3);
        form->addWidget(group);
        order.insert(order.end(), {*p.name, *p.postcode, *p.phone, *p.sms, *p.company, *p.email, *p.address,
                                   *p.country, *p.province, *p.city});
    };
    party(QStringLiteral("收件人信息"), true,
          {&receiverName_, &receiverPostcode_, &receiverPhone_, &receiverSms_, &receiverEmail_, &receiverCompany_,
           &receiverAddress_, &receiverCountry_, &receiverProvince_, &receiverCity_},
          {62, 254, 254, 126, 62, 126});
    party(QStringLiteral("发件人信息"), false,
          {&senderName_, &senderPostcode_, &senderPhone_, &senderSms_, &senderEmail_, &senderCompany_,
           &senderAddress_, &senderCountry_, &senderProvince_, &senderCity_},
          {30, 126, 126, 62, 30, 63});

    // Label, settlement, department, remark.
    auto* misc = new QWidget(this);
    QGridLayout* miscGrid = section(misc);
    label_ = MakeEdit(misc, "label", 15);
    settlement_ = MakeDropList(misc, "settlement", {});
    for (const char* code : kSettlements) settlement_->addItem(QString::fromLatin1(code));
    department_ = MakeEdit(misc, "department", 30);
    LinkLabel* labelLink = MakeLink(QStringLiteral("标签:"), misc);
    connect(labelLink, &LinkLabel::clicked, this, [this] { ReplaceWithHint(label_); });
    bind(labelLink, label_);
    miscGrid->addWidget(labelLink, 0, 0);
    miscGrid->addWidget(threeUp(misc, {{nullptr, label_},
                                       {MakeCaption(QStringLiteral("结算:"), misc), settlement_},
                                       {MakeCaption(QStringLiteral("部门:"), misc), department_}}),
                        0, 1, 1, 3);
    remark_ = MakeMultiLine(misc, "remark", 254, 2);
    LinkLabel* remarkLink = MakeLink(QStringLiteral("备注:"), misc);
    remarkLink->setAlignment(Qt::AlignRight | Qt::AlignTop);
    connect(remarkLink, &LinkLabel::clicked, this, &CPreEntryForm::AppendHintToRemark);
    bind(remarkLink, remark_);
    miscGrid->addWidget(remarkLink, 1, 0);
    miscGrid->addWidget(remark_, 1, 1, 1, 3);
    form->addWidget(misc);
    order.insert(order.end(), {label_, settlement_, department_, remark_});

    // The tabs of the goods area and the two checks beside them.
    auto* tabRow = new QHBoxLayout;
    tabRow->setSpacing(8);
    static const char* const kTabTexts[] = {"▼物品", "▼扩展", "▼备用"};
    static const char* const kTabNames[] = {"tabGoods", "tabExtraNumbers", "tabSpareFields"};
    for (int i = 0; i < 3; ++i) {
        LinkLabel* link = MakeLink(QString::fromUtf8(kTabTexts[i]), this);
        link->setObjectName(QLatin1String(kTabNames[i]));
        connect(link, &LinkLabel::clicked, this, [this, i] { ShowTab(static_cast<Tab>(i)); });
        tabLinks_[static_cast<std::size_t>(i)] = link;
        tabRow->addWidget(link);
    }
    tabRow->addStretch(1);
    mark_ = new QCheckBox(QStringLiteral("标记"), this);
    mark_->setObjectName(QStringLiteral("mark"));
    keepGoods_ = new QCheckBox(QStringLiteral("固定物品信息"), this);
    keepGoods_->setObjectName(QStringLiteral("keepGoods"));
    tabRow->addWidget(mark_);
    tabRow->addWidget(keepGoods_);
    form->addLayout(tabRow);
    order.insert(order.end(), {mark_, keepGoods_});

    // The goods area: goods, extra numbers or spare fields.
    goodsArea_ = new QStackedWidget(this);
    goodsArea_->setObjectName(QStringLiteral("goodsArea"));
    auto* goods = new QWidget(goodsArea_);
    goods->setObjectName(QStringLiteral("goodsPane"));
    QGridLayout* goodsGrid = MakeGrid(goods);
    goodsGrid->setColumnMinimumWidth(0, captionWidth);
    for (int column : {1, 3, 5}) goodsGrid->setColumnStretch(column, 1);
    goodsDescription_ = MakeEdit(goods, "goodsDescription", 254);
    goodsAlias_ = MakeEdit(goods, "goodsAlias", 254);
    codeA_ = MakeEdit(goods, "codeA", 62);
    codeB_ = MakeEdit(goods, "codeB", 62);
    codeC_ = MakeEdit(goods, "codeC", 62);
    quantity_ = MakeIntegerEdit(goods, "quantity");
    unitPrice_ = MakeDecimalEdit(goods, "unitPrice");
    currency_ = MakeDropList(goods, "currency", {});
    for (const char* code : kCurrencies) currency_->addItem(QString::fromLatin1(code));
    goodsOrigin_ = MakeEdit(goods, "goodsOrigin", 3);
    declaredValue_ = MakeDecimalEdit(goods, "declaredValue");
    insuredValue_ = MakeDecimalEdit(goods, "insuredValue");
    duty_ = MakeDecimalEdit(goods, "duty");
    taxRate_ = MakeDecimalEdit(goods, "taxRate");
    packing_ = MakeEdit(goods, "packing", 15);
    consignmentRemark_ = MakeEdit(goods, "consignmentRemark", 63);
    LinkLabel* packingLink = MakeLink(QStringLiteral("包装:"), goods);
    connect(packingLink, &LinkLabel::clicked, this, [this] { ReplaceWithHint(packing_); });
    bind(packingLink, packing_);
    LinkLabel* consignmentLink = MakeLink(QStringLiteral("托运:"), goods);
    connect(consignmentLink, &LinkLabel::clicked, this, [this] { ReplaceWithHint(consignmentRemark_); });
    bind(consignmentLink, consignmentRemark_);
    LinkLabel* goodsLink = MakeLink(QStringLiteral("品名:"), goods, kGreen);
    connect(goodsLink, &LinkLabel::clicked, this, &CPreEntryForm::EditGoodsLines);
    bind(goodsLink, goodsDescription_);
    LinkLabel* quantityLink = MakeLink(QStringLiteral("数量:"), goods);
    connect(quantityLink, &LinkLabel::clicked, this, &CPreEntryForm::ApplyGoodsSummary);
    bind(quantityLink, quantity_);
    goodsGrid->addWidget(goodsLink, 0, 0);
    goodsGrid->addWidget(goodsDescription_, 0, 1, 1, 5);
    goodsGrid->addWidget(MakeCaption(QStringLiteral("别名:"), goods), 1, 0);
    goodsGrid->addWidget(goodsAlias_, 1, 1, 1, 5);
    auto goodsRow = [&](int row, std::initializer_list<std::pair<QWidget*, QWidget*>> cells) {
        int column = 0;
        for (auto [caption, field] : cells) {
            goodsGrid->addWidget(caption, row, column);
            goodsGrid->addWidget(field, row, column + 1);
            column += 2;
        }
    };
    goodsRow(2, {{MakeCaption(QStringLiteral("甲码:"), goods), codeA_},
                 {MakeCaption(QStringLiteral("乙码:"), goods), codeB_},
                 {MakeCaption(QStringLiteral("丙码"), goods), codeC_}});
    goodsRow(3, {{quantityLink, quantity_},
                 {MakeCaption(QStringLiteral("单价:"), goods), unitPrice_},
                 {MakeCaption(QStringLiteral("货币:"), goods), currency_}});
    goodsRow(4, {{MakeCaption(QStringLiteral("产地:"), goods), goodsOrigin_},
                 {MakeCaption(QStringLiteral("申明价:"), goods), declaredValue_},
                 {MakeCaption(QStringLiteral("保价:"), goods), insuredValue_}});
    goodsRow(5, {{MakeCaption(QStringLiteral("关税"), goods), duty_},
                 {MakeCaption(QStringLiteral("税率"), goods), taxRate_},
                 {packingLink, packing_}});
    goodsGrid->addWidget(consignmentLink, 6, 0);
    goodsGrid->addWidget(consignmentRemark_, 6, 1, 1, 5);
    goodsArea_->addWidget(goods);
    extraPane_ = new CExtraNumbersPane(state_, goodsArea_);
    sparePane_ = new CSpareFieldsPane(state_, goodsArea_);
    goodsArea_->addWidget(extraPane_);
    goodsArea_->addWidget(sparePane_);
    if (auto* grid = qobject_cast<QGridLayout*>(extraPane_->layout())) grid->setColumnMinimumWidth(0, captionWidth);
    if (auto* grid = qobject_cast<QGridLayout*>(sparePane_->layout())) grid->setColumnMinimumWidth(0, captionWidth);
    form->addWidget(goodsArea_);
    order.insert(order.end(), {goodsDescription_, goodsAlias_, codeA_, codeB_, codeC_, quantity_, unitPrice_,
                               currency_, goodsOrigin_, declaredValue_, insuredValue_, duty_, taxRate_, packing_,
                               consignmentRemark_});

    // List filter, header export and quick print belong to later parts of
    // the page; they show what they will be, disabled.
    auto* filterRow = new QHBoxLayout;
    filterRow->setSpacing(4);
    filterRow->addWidget(MakeCaption(QStringLiteral("筛选:"), this));
    unmarkedFilter_ = new QCheckBox(QStringLiteral("未标记"), this);
    unmarkedFilter_->setObjectName(QStringLiteral("filter1168"));
    markedFilter_ = new QCheckBox(QStringLiteral("已标记"), this);
    markedFilter_->setObjectName(QStringLiteral("filter1169"));
    unmarkedFilter_->setEnabled(false);
    markedFilter_->setEnabled(false);
    filterRow->addWidget(unmarkedFilter_);
    filterRow->addWidget(markedFilter_);
    filterRow->addStretch(1);
    auto* exportHeader = new QPushButton(QStringLiteral("导出Excel表头"), this);
    exportHeader->setObjectName(QStringLiteral("button1143"));
    auto* print = new QPushButton(QStringLiteral("打印"), this);
    print->setObjectName(QStringLiteral("button1255"));
    for (QPushButton* button : {exportHeader, print}) {
        button->setEnabled(false);
        button->setFixedHeight(RowHeight(this) + 1);
        filterRow->addWidget(button);
    }
    form->addLayout(filterRow);
    form->addStretch(1);

    // The panes, made after the goods fields, chain their own fields.
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    popup_ = new CDestinationPopup(this);
    connect(popup_, &CDestinationPopup::RowClicked, this, [this](int index) {
        TakeDestinationRow(index);
        MoveFocusOn();
    });

    connect(destination_, &QLineEdit::textEdited, this, &CPreEntryForm::FilterDestinations);
    connect(destination_, &QLineEdit::textChanged, this, [this] { RefreshDestinationMark(); });
    connect(kindName_, &QLineEdit::textChanged, this, [this] { RefreshDestinationMark(); });
    connect(payment_, &QComboBox::activated, this, [this](int index) {
        settlement_->setCurrentIndex(settlement_->findText(Q(SettlementForPayment(index))));
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (now == destination_) {
            // A fresh start: the kind may have changed, the base data may have
            // been reloaded, and the rows of an earlier visit are not for this one.
            destinationTyped_ = false;
            FollowKind();
            popup_->ClearRows();
        } else if (old == destination_) {
            popup_->ClearRows();
        }
    });

    // Attached before the navigator and the form's own watch, so that the
    // form sees the field's keys first: taking a row then moves on.
    goodsPopup_ = new GoodsNamePopup(state_.dictionary, this);
    goodsPopup_->AttachTo(goodsDescription_, kGoodsHintKeys,
                          [this](const GoodsNameRecord& record) { TakeGoodsHint(record); });

    new FormKeyNavigator(this);
    // After the navigator, so that the form sees its keys first.
    WatchKeys(this);
}

void CPreEntryForm::WatchKeys(QWidget* widget) {
    widget->installEventFilter(this);
    for (QObject* child : widget->children())
        if (child->isWidgetType()) WatchKeys(static_cast<QWidget*>(child));
}

void CPreEntryForm::FirstShow() {
    values_.businessDate = dates_[0];
    const auto& kinds = state_.baseData.kinds.Names();
    if (values_.kindName.empty() && !kinds.empty()) values_.kindName = kinds.front();
    ShowValues();
    FollowKind();
    tab_ = GoodsTab;
    goodsArea_->setCurrentIndex(GoodsTab);
    for (std::size_t i = 0; i < tabLinks_.size(); ++i)
        tabLinks_[i]->SetColor(i == GoodsTab ? kRed : palette().color(QPalette::WindowText));
    unmarkedFilter_->setChecked(true);
    markedFilter_->setChecked(true);
    for (int which = 0; which < kLockCount; ++which) {
        locks_[static_cast<std::size_t>(which)] = false;
        lockLinks_[static_cast<std::size_t>(which)]->setText(QStringLiteral("◇"));
        lockedEdits_[static_cast<std::size_t>(which)]->setEnabled(true);
    }
    NewRecord();
}

PreEntryDefaults CPreEntryForm::Defaults() const {
    const ProgramSettingsFile& settings = state_.settings;
    PreEntryDefaults defaults;
    defaults.origin = SettingsText(settings.defaultOrigin);
    defaults.department = SettingsText(settings.department);
    defaults.senderName = SettingsText(settings.senderName);
    defaults.senderPhone = SettingsText(settings.senderPhone);
    defaults.senderPostcode = SettingsText(settings.senderPostcode);
    defaults.senderCompany = SettingsText(settings.senderCompany);
    defaults.senderAddress = SettingsText(settings.senderAddress);
    defaults.senderCountry = SettingsText(settings.senderCountry);
    defaults.senderProvince = SettingsText(settings.senderProvince);
    defaults.senderCity = SettingsText(settings.senderCity);
    defaults.senderEmail = SettingsText(settings.senderEmail);
    defaults.senderSms = SettingsText(settings.senderSms);
    defaults.goodsOrigin = Utf8ToUtf16(state_.defaultGoodsOrigin);
    defaults.currency = Utf8ToUtf16(state_.defaultCurrency);
    return defaults;
}

// ---------------------------------------------------------------------------
// Values and controls

void CPreEntryForm::ShowValues() {
    const bool wasLoading = loading_;
    loading_ = true;
    const PreEntryValues& v = values_;
    SetCombo(itemType_, v.itemType);
    SetCombo(language_, v.language);
    SetText(kindName_, v.kindName);
    SetInteger(pieces_, v.pieces);
    SetNumber(weight_, v.weight);
    SetText(origin_, v.origin);
    SetNumber(fee_, v.fee);
    SetText(destination_, v.destination);
    SetCombo(payment_, v.payment);
    SetText(waybill_, v.waybill);
    SetText(businessDate_, v.businessDate);

    SetText(receiverName_, v.receiverName);
    SetText(receiverPostcode_, v.receiverPostcode);
    SetText(receiverPhone_, v.receiverPhone);
    SetText(receiverEmail_, v.receiverEmail);
    SetText(receiverSms_, v.receiverSms);
    SetText(receiverCompany_, v.receiverCompany);
    receiverAddress_->SetStoredText(Q(v.receiverAddress));
    SetText(receiverCountry_, v.receiverCountry);
    SetText(receiverProvince_, v.receiverProvince);
    SetText(receiverCity_, v.receiverCity);

    SetText(senderName_, v.senderName);
    SetText(senderPostcode_, v.senderPostcode);
    SetText(senderPhone_, v.senderPhone);
    SetText(senderEmail_, v.senderEmail);
    SetText(senderSms_, v.senderSms);
    SetText(senderCompany_, v.senderCompany);
    senderAddress_->SetStoredText(Q(v.senderAddress));
    SetText(senderCountry_, v.senderCountry);
    SetText(senderProvince_, v.senderProvince);
    SetText(senderCity_, v.senderCity);

    SetText(label_, v.label);
    SetComboText(settlement_, v.settlement);
    SetText(department_, v.department);
    remark_->SetStoredText(Q(v.remark));

    SetText(goodsDescription_, v.goodsDescription);
    SetText(goodsAlias_, v.goodsAlias);
    SetText(codeA_, v.codeA);
    SetText(codeB_, v.codeB);
    SetText(codeC_, v.codeC);
    SetNumber(duty_, v.duty);
    SetNumber(taxRate_, v.taxRate);
    SetInteger(quantity_, v.quantity);
    SetNumber(unitPrice_, v.unitPrice);
    SetComboText(currency_, v.currency);
    SetText(goodsOrigin_, v.goodsOrigin);
    SetNumber(declaredValue_, v.declaredValue);
    SetNumber(insuredValue_, v.insuredValue);
    SetText(consignmentRemark_, v.consignmentRemark);
    SetText(packing_, v.packing);
    mark_->setChecked(v.mark);
    loading_ = wasLoading;
}

void CPreEntryForm::TakeValues() {
    PreEntryValues& v = values_;
    TakeCombo(itemType_, v.itemType);
    TakeCombo(language_, v.language);
    v.kindName = Text(kindName_);
    v.pieces = IntegerOf(pieces_);
    v.weight = DecimalOf(weight_);
    v.origin = Text(origin_);
    v.fee = DecimalOf(fee_);
    v.destination = Text(destination_);
    TakeCombo(payment_, v.payment);
    v.waybill = Text(waybill_);
    v.businessDate = Text(businessDate_);

    v.receiverName = Text(receiverName_);
    v.receiverPostcode = Text(receiverPostcode_);
    v.receiverPhone = Text(receiverPhone_);
    v.receiverEmail = Text(receiverEmail_);
    v.receiverSms = Text(receiverSms_);
    v.receiverCompany = Text(receiverCompany_);
    v.receiverAddress = U(receiverAddress_->StoredText());
    v.receiverCountry = Text(receiverCountry_);
    v.receiverProvince = Text(receiverProvince_);
    v.receiverCity = Text(receiverCity_);

    v.senderName = Text(senderName_);
    v.senderPostcode = Text(senderPostcode_);
    v.senderPhone = Text(senderPhone_);
    v.senderEmail = Text(senderEmail_);
    v.senderSms = Text(senderSms_);
    v.senderCompany = Text(senderCompany_);
    v.senderAddress = U(senderAddress_->StoredText());
    v.senderCountry = Text(senderCountry_);
    v.senderProvince = Text(senderProvince_);
    v.senderCity = Text(senderCity_);

    v.label = Text(label_);
    v.settlement = ComboText(settlement_);
    v.department = Text(department_);
    v.remark = U(remark_->StoredText());

    v.goodsDescription = Text(goodsDescription_);
    v.goodsAlias = Text(goodsAlias_);
    v.codeA = Text(codeA_);
    v.codeB = Text(codeB_);
    v.codeC = Text(codeC_);
    v.duty = DecimalOf(duty_);
    v.taxRate = DecimalOf(taxRate_);
    v.quantity = IntegerOf(quantity_);
    v.unitPrice = DecimalOf(unitPrice_);
    v.currency = ComboText(currency_);
    v.goodsOrigin = Text(goodsOrigin_);
    v.declaredValue = DecimalOf(declaredValue_);
    v.insuredValue = DecimalOf(insuredValue_);
    v.consignmentRemark = Text(consignmentRemark_);
    v.packing = Text(packing_);
    v.mark = mark_->isChecked();
}

void CPreEntryForm::ShowPanes() {
    const bool wasLoading = loading_;
    loading_ = true;
    extraPane_->ShowValues(panes_);
    sparePane_->ShowValues(panes_);
    loading_ = wasLoading;
}

void CPreEntryForm::TakePanes() {
    extraPane_->TakeValues(panes_);
    sparePane_->TakeValues(panes_);
}

void CPreEntryForm::SetStatusLine() {
    const bool editing = currentId_ >= 0;
    status_->setText(editing ? QStringLiteral("修改业务记录:%1").arg(currentId_) : QStringLiteral("添加新业务记录"));
    QPalette look = status_->palette();
    look.setColor(QPalette::WindowText, editing ? kRed : kGreen);
    status_->setPalette(look);
}

void CPreEntryForm::RefreshDestinationMark() {
    const bool valid = DestinationIsValid(state_.baseData.kinds, U(kindName_->text()), U(destination_->text()));
    destinationMark_->setText(valid ? QStringLiteral("√") : QStringLiteral("※"));
    QPalette look = destinationMark_->palette();
    look.setColor(QPalette::WindowText, valid ? kGreen : kDarkRed);
    destinationMark_->setPalette(look);
}

void CPreEntryForm::FollowKind() { chooser_.SetKind(ToGbkFolded(U(kindName_->text()))); }

// ---------------------------------------------------------------------------
// Operations of the page

void CPreEntryForm::NewRecord() {
    // What the reset keeps (payment, currency, kind, date, a locked origin,
    // fixed goods) is what the operator sees now.
    TakeValues();
    loading_ = true;
    currentId_ = -1;
    piecesChanged_ = false;
    goodsLines_.clear();
    goodsLines_.shrink_to_fit();
    pieceWeights_.clear();
    pieceWeights_.shrink_to_fit();
    ResetForNewRecord(values_, panes_, Defaults(), dates_[0], keepGoods_->isChecked(), locks_[OriginLock]);
    ShowValues();
    ShowPanes();
    popup_->ClearRows();
    goodsPopup_->ClearRows();
    destinationTyped_ = false;
    RefreshDestinationMark();
    SetStatusLine();
    loading_ = false;
}

bool CPreEntryForm::LoadRecord(int id) {
    const ShipmentRecord* stored = state_.shipments.FindById(id);
    if (!stored) return false;
    // A copy: the mapping moves when the store grows.
    const ShipmentRecord record = *stored;
    loading_ = true;
    currentId_ = id;
    piecesChanged_ = false;
    ValuesFromRecord(record, values_, panes_);
    state_.goods.CollectChildren(id, goodsLines_);
    state_.weights.CollectChildren(id, pieceWeights_);
    ShowValues();
    ShowPanes();
    FollowKind();
    popup_->ClearRows();
    goodsPopup_->ClearRows();
    destinationTyped_ = false;
    RefreshDestinationMark();
    SetStatusLine();
    loading_ = false;
    return true;
}

bool CPreEntryForm::SaveRecord() {
    if (saving_) return false;
    saving_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{saving_};
    popup_->ClearRows();
    goodsPopup_->ClearRows();

    TakeValues();
    TakePanes();
    const TransactionContext transaction{state_.server, state_.session, state_.serverSettings.site};
    NumberContext numbers{state_.session,
                          state_.baseData,
                          state_.numberRotation,
                          state_.IsLoggedIn() ? ServerNumberFetcher(transaction) : NoNumberService(),
                          ProgramNumber(state_),
                          [this] { return state_.shipments.NextId(); }};
    const PreEntryBuildInput input{state_.baseData, &numbers, currentId_, goodsLines_, pieceWeights_};
    ShipmentRecord record{};
    const std::optional<PreEntryCheckFailure> failure = BuildShipmentRecord(values_, panes_, input, record);
    // Trimmed, upper-cased or generated: the operator sees what was checked.
    ShowValues();
    ShowPanes();
    if (failure) {
        Prompter::Current().Show(this, QString::fromStdString(failure->message), QStringLiteral("数据错误"),
                                 Prompter::Buttons::Ok, Prompter::Icon::Error);
        FocusField(failure->field);
        return false;
    }

    LocalShipmentStores stores{state_.shipments, state_.goods, state_.weights, state_.storeLock};
    const LocalSaveOutcome outcome = SaveLocalShipment(stores, record, goodsLines_, pieceWeights_, piecesChanged_);
    if (outcome.result != LocalSaveResult::Saved) {
        Prompter::Current().Show(this, QString::fromStdString(outcome.message), {}, Prompter::Buttons::Ok,
                                 Prompter::Icon::Warning);
        if (outcome.result == LocalSaveResult::DuplicateWaybill) FocusField(PreEntryField::Waybill);
        return false;
    }
    emit RecordSaved(outcome.record);
    NewRecord();
    return true;
}

void CPreEntryForm::DeleteCurrent() {
    if (currentId_ < 0) return;
    const bool yes = Prompter::Current().AskYesNo(
        this, QStringLiteral("记录数据删除后不能恢复！\r\n━━━━━━━━━━━━\r\n想好了要删除吗？请确认！"),
        QStringLiteral("确认提示"), Prompter::Icon::Question);
    if (!yes) return;
    const int id = currentId_;
    LocalShipmentStores stores{state_.shipments, state_.goods, state_.weights, state_.storeLock};
    // A record already gone (uploaded meanwhile) leaves nothing to remove;
    // its row goes all the same.
    DeleteLocalShipment(stores, id);
    emit RecordDeleted(id);
    NewRecord();
}

void CPreEntryForm::CopyAll() {
    TakeValues();
    copy_ = values_;
    hasCopy_ = true;
}

void CPreEntryForm::PasteAll() {
    if (!hasCopy_) return;
    values_ = copy_;
    ShowValues();
    popup_->ClearRows();
    RefreshDestinationMark();
}

// ---------------------------------------------------------------------------
// Tabs, locks, focus

void CPreEntryForm::ShowTab(Tab tab) {
    if (tab == tab_) return;
    tab_ = tab;
    goodsArea_->setCurrentIndex(tab);
    for (std::size_t i = 0; i < tabLinks_.size(); ++i)
        tabLinks_[i]->SetColor(static_cast<int>(i) == tab ? kRed : palette().color(QPalette::WindowText));
    QWidget* first = tab == GoodsTab ? goodsDescription_
                     : tab == ExtraNumbersTab ? extraPane_->FirstField()
                                              : sparePane_->FirstField();
    first->setFocus(Qt::OtherFocusReason);
}

void CPreEntryForm::ToggleLock(Lock which) {
    const auto index = static_cast<std::size_t>(which);
    locks_[index] = !locks_[index];
    lockLinks_[index]->setText(locks_[index] ? QStringLiteral("◆") : QStringLiteral("◇"));
    lockedEdits_[index]->setEnabled(!locks_[index]);
}

QWidget* CPreEntryForm::FieldWidget(PreEntryField field) const {
    switch (field) {
    case PreEntryField::None: return nullptr;
    case PreEntryField::BusinessDate: return businessDate_;
    case PreEntryField::KindName: return kindName_;
    case PreEntryField::Waybill: return waybill_;
    case PreEntryField::Origin: return origin_;
    case PreEntryField::Department: return department_;
    case PreEntryField::Destination: return destination_;
    case PreEntryField::GoodsDescription: return goodsDescription_;
    case PreEntryField::Label: return label_;
    case PreEntryField::Remark: return remark_;
    case PreEntryField::Currency: return currency_;
    case PreEntryField::GoodsOrigin: return goodsOrigin_;
    case PreEntryField::Packing: return packing_;
    case PreEntryField::ConsignmentRemark: return consignmentRemark_;
    case PreEntryField::Settlement: return settlement_;
    case PreEntryField::ReceiverAddress: return receiverAddress_;
    case PreEntryField::ReceiverCity: return receiverCity_;
    case PreEntryField::ReceiverCountry: return receiverCountry_;
    case PreEntryField::ReceiverName: return receiverName_;
    case PreEntryField::ReceiverEmail: return receiverEmail_;
    case PreEntryField::ReceiverPhone: return receiverPhone_;
    case PreEntryField::ReceiverPostcode: return receiverPostcode_;
    case PreEntryField::ReceiverProvince: return receiverProvince_;
    case PreEntryField::ReceiverSms: return receiverSms_;
    case PreEntryField::ReceiverCompany: return receiverCompany_;
    case PreEntryField::SenderAddress: return senderAddress_;
    case PreEntryField::SenderCity: return senderCity_;
    case PreEntryField::SenderCountry: return senderCountry_;
    case PreEntryField::SenderName: return senderName_;
    case PreEntryField::SenderEmail: return senderEmail_;
    case PreEntryField::SenderPhone: return senderPhone_;
    case PreEntryField::SenderPostcode: return senderPostcode_;
    case PreEntryField::SenderProvince: return senderProvince_;
    case PreEntryField::SenderSms: return senderSms_;
    case PreEntryField::SenderCompany: return senderCompany_;
    case PreEntryField::GoodsAlias: return goodsAlias_;
    case PreEntryField::CodeA: return codeA_;
    case PreEntryField::CodeB: return codeB_;
    case PreEntryField::CodeC: return codeC_;
    case PreEntryField::UnitPrice: return unitPrice_;
    case PreEntryField::DeclaredValue: return declaredValue_;
    case PreEntryField::InsuredValue: return insuredValue_;
    default:
        if (QWidget* pane = extraPane_->FieldWidget(field)) return pane;
        return sparePane_->FieldWidget(field);
    }
}

void CPreEntryForm::FocusField(PreEntryField field) {
    QWidget* widget = FieldWidget(field);
    if (!widget) return;
    // A field of a hidden group: its group comes to the front first.
    for (int page = 0; page < goodsArea_->count(); ++page) {
        if (page != tab_ && goodsArea_->widget(page)->isAncestorOf(widget)) {
            ShowTab(static_cast<Tab>(page));
            break;
        }
    }
    widget->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
}

void CPreEntryForm::MoveFocusOn() { focusNextPrevChild(true); }

// ---------------------------------------------------------------------------
// Assists

void CPreEntryForm::ChooseKind() {
    QStringList names;
    for (const std::u16string& name : state_.baseData.kinds.Names()) names << Q(name);
    QString chosen;
    if (!ChooseFromList(this, QStringLiteral("快递类别列表（双击选取！）"), names, chosen)) return;
    kindName_->setText(chosen);
    FollowKind();
    RefreshDestinationMark();
}

void CPreEntryForm::CycleDate() { SetText(businessDate_, NextBusinessDate(Text(businessDate_), dates_)); }

void CPreEntryForm::ReplaceWithHint(QLineEdit* edit) {
    QString hint;
    if (ChooseHint(state_, this, hint)) edit->setText(hint);
}

void CPreEntryForm::AppendHintToRemark() {
    QString hint;
    if (!ChooseHint(state_, this, hint)) return;
    QString remark = remark_->StoredText();
    while (!remark.isEmpty() && remark.back().isSpace()) remark.chop(1);
    if (!remark.contains(hint)) {
        if (!remark.isEmpty()) remark += QStringLiteral("\r\n");
        remark += hint;
    }
    remark_->SetStoredText(remark);
}

void CPreEntryForm::MakeLocalWaybillNumber() {
    if (currentId_ != -1) return;
    NumberContext numbers{state_.session,    state_.baseData,       state_.numberRotation,
                          NoNumberService(), ProgramNumber(state_), [this] { return state_.shipments.NextId(); }};
    int mode = -1;
    NumberExtras extras{};
    const std::string number =
        GenerateWaybillNumber(numbers, ToGbkFolded(U(kindName_->text())), 0, false, mode, extras);
    waybill_->setText(QString::fromStdU16String(GbkToUtf16(number)));
    if (number.empty()) return;
    TakePanes();
    auto apply = [](std::u16string& field, std::string_view text) {
        if (!text.empty()) field = GbkToUtf16(text);
    };
    apply(panes_.reservedText, extras.reserved.view());
    apply(panes_.spare1, extras.spare1.view());
    apply(panes_.spare2, extras.spare2.view());
    apply(panes_.spare3, extras.spare3.view());
    apply(panes_.spare4, extras.spare4.view());
    apply(panes_.spare5, extras.spare5.view());
    ShowPanes();
}

// ---------------------------------------------------------------------------
// Destination popup

void CPreEntryForm::FilterDestinations(const QString& typed) {
    if (loading_ || !destination_->hasFocus()) return;
    destinationTyped_ = true;
    if (typed.isEmpty()) {
        popup_->ClearRows();
        return;
    }
    popup_->SetRows(chooser_.Suggest(U(typed)));
    if (popup_->RowCount() == 0) return;
    const QPoint below = destination_->mapTo(this, QPoint(0, destination_->height()));
    const int width = std::max(120, std::min(kDestinationPopupWidth, this->width() - below.x() - 2));
    popup_->setGeometry(below.x(), below.y(), width, popup_->height());
    popup_->raise();
}

void CPreEntryForm::TakeDestinationRow(int index) {
    // Rows belong to what was typed since the field got the focus; without
    // typing there is nothing to take, and the field keeps what it shows.
    if (!destinationTyped_) return;
    const DestinationRecord* row = popup_->Row(index);
    if (!row) {
        SetCombo(language_, 0);
        destination_->end(false);
        popup_->ClearRows();
        return;
    }
    const DestinationRecord chosen = *row;
    popup_->ClearRows();
    destinationTyped_ = false;
    TakeValues();
    values_.destination = GbkToUtf16(chosen.nameZh.view());
    ApplyDestinationChoice(SplitDestination(chosen), values_);
    loading_ = true;
    SetText(destination_, values_.destination);
    SetCombo(language_, values_.language);
    SetText(receiverPostcode_, values_.receiverPostcode);
    SetText(receiverCountry_, values_.receiverCountry);
    SetText(receiverProvince_, values_.receiverProvince);
    SetText(receiverCity_, values_.receiverCity);
    loading_ = false;
    RefreshDestinationMark();
}

// ---------------------------------------------------------------------------
// Goods hint, goods lines, piece weights, collect charges

void CPreEntryForm::TakeGoodsHint(const GoodsNameRecord& record) {
    SetText(goodsDescription_, GbkToUtf16(record.chineseName.view()));
    SetText(goodsAlias_, GbkToUtf16(record.englishName.view()));
    SetText(codeA_, GbkToUtf16(record.code.view()));
}

bool CPreEntryForm::RunCaptionOf(const QWidget* field) {
    if (!field) return false;
    for (LinkLabel* caption : findChildren<LinkLabel*>()) {
        if (caption->buddy() == field && caption->isVisible() && caption->isEnabled()) {
            emit caption->clicked();
            return true;
        }
    }
    return false;
}

void CPreEntryForm::EditGoodsLines() {
    // Only a shipment already in the store has lines there to replace; a
    // new one's lines go in with its save.
    StoredShipmentTarget stored{state_.shipments, state_.goods, state_.storeLock};
    CGoodsLinesDlg dialog(goodsLines_, currentId_, false, currentId_ > 0 ? &stored : nullptr, state_.goods.LastId(),
                          state_.dictionary, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (goodsDescription_->text().trimmed().isEmpty()) ApplyGoodsSummary();
}

void CPreEntryForm::ApplyGoodsSummary() {
    const std::optional<GoodsSummary> summary = SummariseGoods(goodsLines_);
    if (!summary) return;
    SetText(goodsDescription_, summary->description);
    SetText(consignmentRemark_, summary->consignmentRemark);
    SetInteger(quantity_, summary->quantity);
    SetNumber(declaredValue_, summary->declaredValue);
    SetNumber(unitPrice_, summary->unitPrice);
}

void CPreEntryForm::EditPieceWeights() {
    CPieceWeightsDlg dialog(pieceWeights_, std::max(1, IntegerOf(pieces_)), state_.baseData.volumetricLetter,
                            state_.dictionary, this);
    dialog.exec();
    // Confirmed pieces stay even when the dialog was left with Escape; the
    // save writes them.
    if (!dialog.Changed()) return;
    piecesChanged_ = true;
    SetNumber(weight_, static_cast<double>(dialog.TotalGrams()) / 1000.0);
}

void CPreEntryForm::EditCollectCharges() {
    const bool collect = payment_->currentIndex() == kCollectPayment;
    if (!collect) values_.collectFreight = 0;
    const CollectCharges charges{DecimalOf(fee_), values_.collectFreight, values_.codGoodsAmount,
                                 values_.codSettledAmount};
    CCollectChargesDlg dialog(charges, collect, this);
    if (dialog.exec() != QDialog::Accepted) return;
    values_.collectFreight = dialog.Charges().settlement;
    values_.codGoodsAmount = dialog.Charges().codAmount;
    values_.codSettledAmount = dialog.Charges().returned;
}

// ---------------------------------------------------------------------------
// Keys

bool CPreEntryForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Only the control that has the focus acts; a key it passes on to its
    // parents is not handled twice.
    QWidget* focused = QApplication::focusWidget();
    if (watched != focused && !(focused == nullptr && watched == this)) return false;
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
    if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_S) {
        SaveRecord();
        return true;
    }
    if (modifiers == Qt::NoModifier && key->key() == kCaptionKey) return RunCaptionOf(focused);
    if (watched == destination_) {
        if (modifiers == Qt::ControlModifier && key->key() >= Qt::Key_1 && key->key() <= Qt::Key_5) {
            TakeDestinationRow(key->key() - Qt::Key_1);
            MoveFocusOn();
            return true;
        }
        // Then the navigator moves on as for every Enter.
        if (modifiers == Qt::NoModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            TakeDestinationRow(0);
    }
    if (watched == goodsDescription_) {
        // Without such a row the key still moves on.
        if (modifiers == Qt::ControlModifier && key->key() >= Qt::Key_1 && key->key() < Qt::Key_1 + kGoodsHintKeys) {
            goodsPopup_->TakeRow(key->key() - Qt::Key_1);
            MoveFocusOn();
            return true;
        }
        // Taking the row hides the list, so the navigator moves on as for
        // every Enter.
        if (modifiers == Qt::NoModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            goodsPopup_->TakeRow(0);
    }
    return false;
}

}  // namespace tallux
