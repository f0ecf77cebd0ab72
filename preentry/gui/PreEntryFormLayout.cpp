// Where every control of the pre-entry form stands: the bands from the top
// row down to the list filter, each field bound in the form's field table
// as it is made, and the tab order. What the controls do is in
// PreEntryForm.cpp.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "preentry/gui/ExtraNumbersPane.h"
#include "preentry/gui/FormControls.h"
#include "preentry/gui/PreEntryForm.h"
#include "preentry/gui/SpareFieldsPane.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/LinkLabel.h"

namespace tallux {

using namespace formcontrols;

namespace {

using F = PreEntryField;
using V = PreEntryValues;

const char* const kCurrencies[] = {"CNY", "USD", "EUR", "JPY", "HKD", "MOP", "TWD", "RUB", "CAD", "AUD",
                                   "SGD", "INR", "KRW", "PHP", "NZD", "THB", "VND", "MNT", "GBP", "CHF"};
const char* const kSettlements[] = {"PP", "CC", "COD", "DP"};

constexpr int kBandSpacing = 3;

// A clickable caption also answers F9 in its field.
void CaptionFor(LinkLabel* caption, QWidget* field) {
    caption->setBuddy(field);
    caption->setToolTip(QStringLiteral("F9"));
}

// The ten fields of a party band, in the order they are made: the object
// name after "receiver" or "sender", and per party the length limit, the
// value and the field a failed check names.
enum PartyRow {
    PartyName,
    PartyPostcode,
    PartyPhone,
    PartySms,
    PartyEmail,
    PartyCompany,
    PartyAddress,
    PartyCountry,
    PartyProvince,
    PartyCity,
    kPartyRows
};

struct PartyField {
    const char* name;
    std::array<int, 2> limit;
    std::array<std::u16string V::*, 2> value;
    std::array<F, 2> field;
};

const PartyField kPartyFields[kPartyRows] = {
    {"Name", {62, 30}, {&V::receiverName, &V::senderName}, {F::ReceiverName, F::SenderName}},
    {"Postcode", {15, 15}, {&V::receiverPostcode, &V::senderPostcode}, {F::ReceiverPostcode, F::SenderPostcode}},
    {"Phone", {62, 62}, {&V::receiverPhone, &V::senderPhone}, {F::ReceiverPhone, F::SenderPhone}},
    {"Sms", {22, 22}, {&V::receiverSms, &V::senderSms}, {F::ReceiverSms, F::SenderSms}},
    {"Email", {62, 62}, {&V::receiverEmail, &V::senderEmail}, {F::ReceiverEmail, F::SenderEmail}},
    {"Company", {254, 126}, {&V::receiverCompany, &V::senderCompany}, {F::ReceiverCompany, F::SenderCompany}},
    {"Address", {254, 126}, {&V::receiverAddress, &V::senderAddress}, {F::ReceiverAddress, F::SenderAddress}},
    {"Country", {126, 62}, {&V::receiverCountry, &V::senderCountry}, {F::ReceiverCountry, F::SenderCountry}},
    {"Province", {62, 30}, {&V::receiverProvince, &V::senderProvince}, {F::ReceiverProvince, F::SenderProvince}},
    {"City", {126, 63}, {&V::receiverCity, &V::senderCity}, {F::ReceiverCity, F::SenderCity}},
};

}  // namespace

struct CPreEntryForm::Bands {
    QVBoxLayout* column;  // the bands, top to bottom
    // The title band at the left of a party, and the caption column, the
    // same width in every band (the parties' captions beside their band).
    int titleWidth;
    int captionWidth;
    std::vector<QWidget*> order;  // the tab order, top left first
};

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

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 1, 4, 1);
    column->setSpacing(3);
    const int titleWidth = fontMetrics().horizontalAdvance(QStringLiteral("收")) + 4;
    const int captionWidth =
        std::max(fontMetrics().horizontalAdvance(QStringLiteral("申明价:")),
                 fontMetrics().horizontalAdvance(QStringLiteral("姓名:")) + titleWidth + kBandSpacing) +
        2;
    Bands bands{column, titleWidth, captionWidth, {}};

    BuildTopRow(bands);
    BuildGeneralBand(bands);
    BuildPartyBand(bands, Receiver);
    BuildPartyBand(bands, Sender);
    BuildRemarkBand(bands);
    BuildGoodsTabs(bands);
    BuildFilterRow(bands);
    column->addStretch(1);

    // The panes, made after the goods fields, chain their own fields.
    for (std::size_t i = 1; i < bands.order.size(); ++i) setTabOrder(bands.order[i - 1], bands.order[i]);
}

QWidget* CPreEntryForm::LockedField(Lock which, QLineEdit* edit, const char* name) {
    LinkLabel* diamond = MakeLockDiamond(this, name);
    connect(diamond, &LinkLabel::Clicked, this, [this, which] { ToggleLock(which); });
    lockLinks_[which] = diamond;
    lockedEdits_[which] = edit;
    return MakeBeside(this, {diamond, edit});
}

// Item type, language, the status line and "C".
void CPreEntryForm::BuildTopRow(Bands& bands) {
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status1018"));
    status_->setTextFormat(Qt::PlainText);
    QFont statusFace = status_->font();
    statusFace.setBold(true);
    status_->setFont(statusFace);
    auto* closeButton = new QPushButton(QStringLiteral("C"), this);
    closeButton->setObjectName(QStringLiteral("button1015"));
    closeButton->setFocusPolicy(Qt::NoFocus);
    closeButton->setFixedSize(RowHeight(this) + 4, RowHeight(this));
    connect(closeButton, &QPushButton::clicked, this, [this] { emit ListOnlyRequested(); });

    QComboBox* itemType = fields_.Add(MakeDropList(this, "itemType", {"文件", "包裹", "防水袋"}), &V::itemType);
    language_ = fields_.Add(MakeDropList(this, "language", {"大陆", "华语", "外语"}), &V::language);
    auto* topRow = new QHBoxLayout;
    topRow->setSpacing(3);
    topRow->addWidget(itemType);
    topRow->addWidget(language_);
    topRow->addSpacing(6);
    topRow->addWidget(status_, 1);
    topRow->addWidget(closeButton);
    bands.column->addLayout(topRow);
    bands.order.insert(bands.order.end(), {itemType, language_});
}

// Kind, pieces, weight, origin, fee, destination, payment, waybill, date.
void CPreEntryForm::BuildGeneralBand(Bands& bands) {
    auto* head = new QWidget(this);
    QGridLayout* grid = MakeSection(head, bands.captionWidth);
    kindName_ = fields_.Add(MakeEdit(head, "kindName", 15), &V::kindName, F::KindName);
    LinkLabel* kindLink = MakeLink(QStringLiteral("类别:"), head, kGreen);
    connect(kindLink, &LinkLabel::Clicked, this, &CPreEntryForm::ChooseKind);
    CaptionFor(kindLink, kindName_);
    QLabel* batchKind = MakeColouredCaption(QStringLiteral("★"), head, kRed);
    batchKind->setEnabled(false);
    pieces_ = fields_.Add(MakeIntegerEdit(head, "pieces"), &V::pieces);
    pieces_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8);
    grid->addWidget(kindLink, 0, 0);
    grid->addWidget(MakeBeside(head, {kindName_, batchKind, pieces_, MakeCaption(QStringLiteral("件"), head)}), 0, 1);
    weight_ = fields_.Add(MakeDecimalEdit(head, "weight"), &V::weight);
    LinkLabel* weightLink = MakeLink(QStringLiteral("重量:"), head, kGreen);
    connect(weightLink, &LinkLabel::Clicked, this, &CPreEntryForm::EditPieceWeights);
    CaptionFor(weightLink, weight_);
    grid->addWidget(weightLink, 0, 2);
    grid->addWidget(weight_, 0, 3);

    QLineEdit* origin = fields_.Add(MakeEdit(head, "origin", 62), &V::origin, F::Origin);
    LinkLabel* originLink = MakeLink(QStringLiteral("出发地:"), head);
    connect(originLink, &LinkLabel::Clicked, this, [this, origin] { ReplaceWithHint(origin); });
    CaptionFor(originLink, origin);
    grid->addWidget(originLink, 1, 0);
    grid->addWidget(LockedField(OriginLock, origin, "lock1118"), 1, 1);
    fee_ = fields_.Add(MakeDecimalEdit(head, "fee"), &V::fee);
    QLabel* priceQuery = MakeColouredCaption(QStringLiteral(" $"), head, kBlue);
    priceQuery->setEnabled(false);
    grid->addWidget(MakeCaption(QStringLiteral("费用:"), head), 1, 2);
    grid->addWidget(MakeBeside(head, {fee_, priceQuery}), 1, 3);

    destination_ = fields_.Add(MakeEdit(head, "destination", 62), &V::destination, F::Destination);
    destinationMark_ = new QLabel(head);
    destinationMark_->setObjectName(QStringLiteral("mark1123"));
    destinationMark_->setAlignment(Qt::AlignCenter);
    destinationMark_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("※")) + 4);
    grid->addWidget(MakeCaption(QStringLiteral("目的地:"), head), 2, 0);
    grid->addWidget(MakeBeside(head, {destination_, destinationMark_}), 2, 1);
    payment_ = fields_.Add(MakeDropList(head, "payment", {"月结", "现付", "到付"}), &V::payment);
    LinkLabel* paymentLink = MakeLink(QStringLiteral("付款:"), head, kGreen);
    connect(paymentLink, &LinkLabel::Clicked, this, &CPreEntryForm::EditCollectCharges);
    CaptionFor(paymentLink, payment_);
    grid->addWidget(paymentLink, 2, 2);
    grid->addWidget(payment_, 2, 3);

    waybill_ = fields_.Add(MakeEdit(head, "waybill", 30), &V::waybill, F::Waybill);
    LinkLabel* waybillLink = MakeLink(QStringLiteral("运单号:"), head);
    connect(waybillLink, &LinkLabel::Clicked, this, &CPreEntryForm::MakeLocalWaybillNumber);
    CaptionFor(waybillLink, waybill_);
    grid->addWidget(waybillLink, 3, 0);
    grid->addWidget(LockedField(WaybillLock, waybill_, "lock1122"), 3, 1);
    businessDate_ = fields_.Add(MakeEdit(head, "businessDate", 10), &V::businessDate, F::BusinessDate);
    LinkLabel* dateLink = MakeLink(QStringLiteral("日期:"), head);
    connect(dateLink, &LinkLabel::Clicked, this, &CPreEntryForm::CycleDate);
    CaptionFor(dateLink, businessDate_);
    grid->addWidget(dateLink, 3, 2);
    grid->addWidget(businessDate_, 3, 3);
    bands.column->addWidget(head);
    bands.order.insert(bands.order.end(),
                       {kindName_, pieces_, weight_, origin, fee_, destination_, payment_, waybill_, businessDate_});
}

// Receiver and sender share one arrangement; the title runs down a band at
// the left, as on a waybill, so the party's fields start at once.
void CPreEntryForm::BuildPartyBand(Bands& bands, Party party) {
    const bool receiver = party == Receiver;
    auto* group = new QWidget(this);
    group->setObjectName(receiver ? QStringLiteral("receiverGroup") : QStringLiteral("senderGroup"));
    auto* outer = new QHBoxLayout(group);
    outer->setContentsMargins(0, 1, 0, 1);
    outer->setSpacing(kBandSpacing);
    const QString title = receiver ? QStringLiteral("收件人信息") : QStringLiteral("发件人信息");
    QString vertical;
    for (QChar c : title) vertical += vertical.isEmpty() ? QString(c) : QStringLiteral("\n") + c;
    auto* band = new QLabel(vertical, group);
    band->setObjectName(receiver ? QStringLiteral("receiverTitle") : QStringLiteral("senderTitle"));
    band->setAlignment(Qt::AlignCenter);
    band->setFixedWidth(bands.titleWidth);
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
    QGridLayout* grid = MakeSection(body, bands.captionWidth);
    grid->setColumnMinimumWidth(0, bands.captionWidth - bands.titleWidth - kBandSpacing);

    const std::size_t p = receiver ? 0 : 1;
    std::array<QLineEdit*, kPartyRows> edits{};
    LimitedTextEdit* address = nullptr;
    for (int row = 0; row < kPartyRows; ++row) {
        const PartyField& f = kPartyFields[row];
        const QByteArray name = QByteArray(receiver ? "receiver" : "sender") + f.name;
        if (row == PartyAddress)
            address = fields_.Add(MakeMultiLine(body, name.constData(), f.limit[p], 2), f.value[p], f.field[p]);
        else
            edits[row] = fields_.Add(MakeEdit(body, name.constData(), f.limit[p]), f.value[p], f.field[p]);
    }

    grid->addWidget(MakeCaption(QStringLiteral("姓名:"), body), 0, 0);
    grid->addWidget(
        LockedField(receiver ? ReceiverNameLock : SenderNameLock, edits[PartyName], receiver ? "lock1163" : "lock1120"),
        0, 1);
    // Receiver postcode: the remote-area query, not part of this build.
    grid->addWidget(receiver ? MakeColouredCaption(QStringLiteral("邮编:"), body, kPurple)
                             : MakeCaption(QStringLiteral("邮编:"), body),
                    0, 2);
    grid->addWidget(LockedField(receiver ? ReceiverPostcodeLock : SenderPostcodeLock, edits[PartyPostcode],
                                receiver ? "lock1119" : "lock1121"),
                    0, 3);
    grid->addWidget(MakeCaption(QStringLiteral("电话:"), body), 1, 0);
    grid->addWidget(edits[PartyPhone], 1, 1);
    grid->addWidget(MakeColouredCaption(QStringLiteral("短信:"), body, kGreen), 1, 2);
    grid->addWidget(edits[PartySms], 1, 3);
    grid->addWidget(MakeCaption(QStringLiteral("单位:"), body), 2, 0);
    grid->addWidget(edits[PartyCompany], 2, 1);
    grid->addWidget(MakeCaption(QStringLiteral("电邮:"), body), 2, 2);
    grid->addWidget(edits[PartyEmail], 2, 3);
    QLabel* addressCaption = MakeCaption(QStringLiteral("地址:"), body);
    addressCaption->setAlignment(Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(addressCaption, 3, 0);
    grid->addWidget(address, 3, 1, 1, 3);
    grid->addWidget(MakeCaption(QStringLiteral("国家:"), body), 4, 0);
    QWidget* place = MakeThreeUp(body, {{nullptr, edits[PartyCountry]},
                                        {MakeCaption(QStringLiteral("省州:"), body), edits[PartyProvince]},
                                        {MakeCaption(QStringLiteral("城市:"), body), edits[PartyCity]}});
    grid->addWidget(place, 4, 1, 1, 3);
    bands.column->addWidget(group);
    bands.order.insert(bands.order.end(),
                       {edits[PartyName], edits[PartyPostcode], edits[PartyPhone], edits[PartySms], edits[PartyCompany],
                        edits[PartyEmail], address, edits[PartyCountry], edits[PartyProvince], edits[PartyCity]});
}

// Label, settlement, department, remark.
void CPreEntryForm::BuildRemarkBand(Bands& bands) {
    auto* misc = new QWidget(this);
    QGridLayout* grid = MakeSection(misc, bands.captionWidth);
    QLineEdit* label = fields_.Add(MakeEdit(misc, "label", 15), &V::label, F::Label);
    settlement_ = fields_.Add(MakeDropList(misc, "settlement", {}), &V::settlement, F::Settlement);
    for (const char* code : kSettlements) settlement_->addItem(QString::fromLatin1(code));
    QLineEdit* department = fields_.Add(MakeEdit(misc, "department", 30), &V::department, F::Department);
    LinkLabel* labelLink = MakeLink(QStringLiteral("标签:"), misc);
    connect(labelLink, &LinkLabel::Clicked, this, [this, label] { ReplaceWithHint(label); });
    CaptionFor(labelLink, label);
    grid->addWidget(labelLink, 0, 0);
    grid->addWidget(MakeThreeUp(misc, {{nullptr, label},
                                       {MakeCaption(QStringLiteral("结算:"), misc), settlement_},
                                       {MakeCaption(QStringLiteral("部门:"), misc), department}}),
                    0, 1, 1, 3);
    remark_ = fields_.Add(MakeMultiLine(misc, "remark", 254, 2), &V::remark, F::Remark);
    LinkLabel* remarkLink = MakeLink(QStringLiteral("备注:"), misc);
    remarkLink->setAlignment(Qt::AlignRight | Qt::AlignTop);
    connect(remarkLink, &LinkLabel::Clicked, this, &CPreEntryForm::AppendHintToRemark);
    CaptionFor(remarkLink, remark_);
    grid->addWidget(remarkLink, 1, 0);
    grid->addWidget(remark_, 1, 1, 1, 3);
    bands.column->addWidget(misc);
    bands.order.insert(bands.order.end(), {label, settlement_, department, remark_});
}

// The tabs of the goods area and the two checks beside them, then the
// goods area: goods, extra numbers or spare fields.
void CPreEntryForm::BuildGoodsTabs(Bands& bands) {
    auto* tabRow = new QHBoxLayout;
    tabRow->setSpacing(8);
    static const char* const kTabTexts[] = {"▼物品", "▼扩展", "▼备用"};
    static const char* const kTabNames[] = {"tabGoods", "tabExtraNumbers", "tabSpareFields"};
    for (int i = 0; i < 3; ++i) {
        LinkLabel* link = MakeLink(QString::fromUtf8(kTabTexts[i]), this);
        link->setObjectName(QLatin1String(kTabNames[i]));
        connect(link, &LinkLabel::Clicked, this, [this, i] { ShowTab(static_cast<Tab>(i)); });
        tabLinks_[static_cast<std::size_t>(i)] = link;
        tabRow->addWidget(link);
    }
    tabRow->addStretch(1);
    QCheckBox* mark = fields_.Add(new QCheckBox(QStringLiteral("标记"), this), &V::mark);
    mark->setObjectName(QStringLiteral("mark"));
    keepGoods_ = new QCheckBox(QStringLiteral("固定物品信息"), this);
    keepGoods_->setObjectName(QStringLiteral("keepGoods"));
    tabRow->addWidget(mark);
    tabRow->addWidget(keepGoods_);
    bands.column->addLayout(tabRow);
    bands.order.insert(bands.order.end(), {mark, keepGoods_});

    goodsArea_ = new QStackedWidget(this);
    goodsArea_->setObjectName(QStringLiteral("goodsArea"));
    auto* goods = new QWidget(goodsArea_);
    goods->setObjectName(QStringLiteral("goodsPane"));
    QGridLayout* grid = MakeGrid(goods);
    grid->setColumnMinimumWidth(0, bands.captionWidth);
    for (int column : {1, 3, 5}) grid->setColumnStretch(column, 1);
    goodsDescription_ =
        fields_.Add(MakeEdit(goods, "goodsDescription", 254), &V::goodsDescription, F::GoodsDescription);
    goodsAlias_ = fields_.Add(MakeEdit(goods, "goodsAlias", 254), &V::goodsAlias, F::GoodsAlias);
    codeA_ = fields_.Add(MakeEdit(goods, "codeA", 62), &V::codeA, F::CodeA);
    QLineEdit* codeB = fields_.Add(MakeEdit(goods, "codeB", 62), &V::codeB, F::CodeB);
    QLineEdit* codeC = fields_.Add(MakeEdit(goods, "codeC", 62), &V::codeC, F::CodeC);
    quantity_ = fields_.Add(MakeIntegerEdit(goods, "quantity"), &V::quantity);
    unitPrice_ = fields_.Add(MakeDecimalEdit(goods, "unitPrice"), &V::unitPrice, F::UnitPrice);
    QComboBox* currency = fields_.Add(MakeDropList(goods, "currency", {}), &V::currency, F::Currency);
    for (const char* code : kCurrencies) currency->addItem(QString::fromLatin1(code));
    QLineEdit* goodsOrigin = fields_.Add(MakeEdit(goods, "goodsOrigin", 3), &V::goodsOrigin, F::GoodsOrigin);
    declaredValue_ = fields_.Add(MakeDecimalEdit(goods, "declaredValue"), &V::declaredValue, F::DeclaredValue);
    QLineEdit* insuredValue = fields_.Add(MakeDecimalEdit(goods, "insuredValue"), &V::insuredValue, F::InsuredValue);
    QLineEdit* duty = fields_.Add(MakeDecimalEdit(goods, "duty"), &V::duty);
    QLineEdit* taxRate = fields_.Add(MakeDecimalEdit(goods, "taxRate"), &V::taxRate);
    QLineEdit* packing = fields_.Add(MakeEdit(goods, "packing", 15), &V::packing, F::Packing);
    consignmentRemark_ =
        fields_.Add(MakeEdit(goods, "consignmentRemark", 63), &V::consignmentRemark, F::ConsignmentRemark);
    LinkLabel* packingLink = MakeLink(QStringLiteral("包装:"), goods);
    connect(packingLink, &LinkLabel::Clicked, this, [this, packing] { ReplaceWithHint(packing); });
    CaptionFor(packingLink, packing);
    LinkLabel* consignmentLink = MakeLink(QStringLiteral("托运:"), goods);
    connect(consignmentLink, &LinkLabel::Clicked, this, [this] { ReplaceWithHint(consignmentRemark_); });
    CaptionFor(consignmentLink, consignmentRemark_);
    LinkLabel* goodsLink = MakeLink(QStringLiteral("品名:"), goods, kGreen);
    connect(goodsLink, &LinkLabel::Clicked, this, &CPreEntryForm::EditGoodsLines);
    CaptionFor(goodsLink, goodsDescription_);
    LinkLabel* quantityLink = MakeLink(QStringLiteral("数量:"), goods);
    connect(quantityLink, &LinkLabel::Clicked, this, &CPreEntryForm::ApplyGoodsSummary);
    CaptionFor(quantityLink, quantity_);
    grid->addWidget(goodsLink, 0, 0);
    grid->addWidget(goodsDescription_, 0, 1, 1, 5);
    grid->addWidget(MakeCaption(QStringLiteral("别名:"), goods), 1, 0);
    grid->addWidget(goodsAlias_, 1, 1, 1, 5);
    auto goodsRow = [grid](int row, std::initializer_list<std::pair<QWidget*, QWidget*>> cells) {
        int at = 0;
        for (auto [caption, field] : cells) {
            grid->addWidget(caption, row, at);
            grid->addWidget(field, row, at + 1);
            at += 2;
        }
    };
    goodsRow(2, {{MakeCaption(QStringLiteral("甲码:"), goods), codeA_},
                 {MakeCaption(QStringLiteral("乙码:"), goods), codeB},
                 {MakeCaption(QStringLiteral("丙码"), goods), codeC}});
    goodsRow(3, {{quantityLink, quantity_},
                 {MakeCaption(QStringLiteral("单价:"), goods), unitPrice_},
                 {MakeCaption(QStringLiteral("货币:"), goods), currency}});
    goodsRow(4, {{MakeCaption(QStringLiteral("产地:"), goods), goodsOrigin},
                 {MakeCaption(QStringLiteral("申明价:"), goods), declaredValue_},
                 {MakeCaption(QStringLiteral("保价:"), goods), insuredValue}});
    goodsRow(5, {{MakeCaption(QStringLiteral("关税"), goods), duty},
                 {MakeCaption(QStringLiteral("税率"), goods), taxRate},
                 {packingLink, packing}});
    grid->addWidget(consignmentLink, 6, 0);
    grid->addWidget(consignmentRemark_, 6, 1, 1, 5);
    goodsArea_->addWidget(goods);
    extraPane_ = new CExtraNumbersPane(state_, goodsArea_);
    sparePane_ = new CSpareFieldsPane(state_, goodsArea_);
    goodsArea_->addWidget(extraPane_);
    goodsArea_->addWidget(sparePane_);
    if (auto* paneGrid = qobject_cast<QGridLayout*>(extraPane_->layout()))
        paneGrid->setColumnMinimumWidth(0, bands.captionWidth);
    if (auto* paneGrid = qobject_cast<QGridLayout*>(sparePane_->layout()))
        paneGrid->setColumnMinimumWidth(0, bands.captionWidth);
    bands.column->addWidget(goodsArea_);
    bands.order.insert(bands.order.end(),
                       {goodsDescription_, goodsAlias_, codeA_, codeB, codeC, quantity_, unitPrice_, currency,
                        goodsOrigin, declaredValue_, insuredValue, duty, taxRate, packing, consignmentRemark_});
}

// List filter, header export and quick print belong to later parts of the
// page; they show what they will be, disabled.
void CPreEntryForm::BuildFilterRow(Bands& bands) {
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
    bands.column->addLayout(filterRow);
}

}  // namespace tallux
