#include "preentry/gui/PreEntryForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>

#include <algorithm>
#include <optional>

#include "app/ClientState.h"
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
#include "widgets/FormKeyNavigator.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/LinkLabel.h"
#include "widgets/ListChoiceDialog.h"
#include "widgets/Prompter.h"
#include "widgets/QtText.h"

namespace tallux {

using namespace formcontrols;

namespace {

constexpr int kDestinationPopupWidth = 300;
constexpr int kGoodsHintKeys = 5;   // Ctrl+1..5
constexpr int kCollectPayment = 2;  // "到付"

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
    ConnectControls();
    FirstShow();
}

CPreEntryForm::~CPreEntryForm() = default;

void CPreEntryForm::ConnectControls() {
    popup_ = new DestinationPopup(this);
    connect(popup_, &DestinationPopup::RowClicked, this, [this](int index) {
        TakeDestinationRow(index);
        MoveFocusOn();
    });

    connect(destination_, &QLineEdit::textEdited, this, &CPreEntryForm::FilterDestinations);
    connect(destination_, &QLineEdit::textChanged, this, [this](const QString& text) {
        // A text the form put there: the rows of what was typed before are
        // not for it.
        if (typedDestination_ && text != *typedDestination_) EndDestinationTyping();
        RefreshDestinationMark();
    });
    connect(kindName_, &QLineEdit::textChanged, this, [this] { RefreshDestinationMark(); });
    connect(payment_, &QComboBox::activated, this, [this](int index) {
        settlement_->setCurrentIndex(settlement_->findText(FromU16(SettlementForPayment(index))));
    });

    // Attached before the navigator and the form's own watch, so that the
    // form sees the field's keys first: taking a row then moves on.
    goodsPopup_ = new GoodsNamePopup(state_.dictionary, this);
    goodsPopup_->AttachTo(goodsDescription_, kGoodsHintKeys,
                          [this](const GoodsNameRecord& record) { TakeGoodsHint(record); }, {goodsAlias_, codeA_});

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
    tab_ = GoodsTab;
    goodsArea_->setCurrentIndex(GoodsTab);
    for (std::size_t i = 0; i < tabLinks_.size(); ++i)
        tabLinks_[i]->SetColor(i == GoodsTab ? kRed : palette().color(QPalette::WindowText));
    unmarkedFilter_->setChecked(true);
    markedFilter_->setChecked(true);
    for (int which = 0; which < kLockCount; ++which) {
        locks_[static_cast<std::size_t>(which)] = false;
        ShowLock(lockLinks_[static_cast<std::size_t>(which)], false);
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
    fields_.Show(values_);
    loading_ = wasLoading;
}

void CPreEntryForm::TakeValues() { fields_.Take(values_); }

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
    const bool valid = DestinationIsValid(state_.baseData.kinds, ToU16(kindName_->text()), ToU16(destination_->text()));
    destinationMark_->setText(valid ? QStringLiteral("√") : QStringLiteral("※"));
    QPalette look = destinationMark_->palette();
    look.setColor(QPalette::WindowText, valid ? kGreen : kDarkRed);
    destinationMark_->setPalette(look);
}

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
    AfterRecordShown();
    loading_ = false;
}

void CPreEntryForm::AfterRecordShown() {
    EndDestinationTyping();
    goodsPopup_->ClearRows();
    RefreshDestinationMark();
    SetStatusLine();
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
    AfterRecordShown();
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
    NumberContext numbers{
        state_.session,        state_.baseData,
        state_.numberRotation, state_.IsLoggedIn() ? ServerNumberFetcher(transaction) : NoNumberService(),
        ProgramNumber(state_), [this] { return state_.shipments.NextId(); }};
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
    // A form out of sight (the page shows its list alone) leaves the focus
    // where it is.
    if (isVisible()) FocusFirstEmptyField();
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
    EndDestinationTyping();
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
    QWidget* first = tab == GoodsTab          ? goodsDescription_
                     : tab == ExtraNumbersTab ? extraPane_->FirstField()
                                              : sparePane_->FirstField();
    first->setFocus(Qt::OtherFocusReason);
}

void CPreEntryForm::ToggleLock(Lock which) {
    const auto index = static_cast<std::size_t>(which);
    locks_[index] = !locks_[index];
    ShowLock(lockLinks_[index], locks_[index]);
    lockedEdits_[index]->setEnabled(!locks_[index]);
}

QWidget* CPreEntryForm::FieldWidget(PreEntryField field) const {
    if (QWidget* own = fields_.Widget(field)) return own;
    if (QWidget* pane = extraPane_->FieldWidget(field)) return pane;
    return sparePane_->FieldWidget(field);
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

void CPreEntryForm::FocusFirstEmptyField() {
    // The focus chain is a ring over every widget of the window, the form's
    // fields in their tab order among them; a bound guards against a ring
    // that does not come back.
    QWidget* candidate = this;
    for (int step = 0; step < 10000; ++step) {
        candidate = candidate->nextInFocusChain();
        if (!candidate || candidate == this) return;
        auto* edit = qobject_cast<QLineEdit*>(candidate);
        if (edit && isAncestorOf(edit) && (edit->focusPolicy() & Qt::TabFocus) && edit->isEnabledTo(this) &&
            edit->isVisibleTo(this) && !edit->isReadOnly() && edit->text().isEmpty()) {
            edit->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Assists

void CPreEntryForm::ChooseKind() {
    QStringList names;
    for (const std::u16string& name : state_.baseData.kinds.Names()) names << FromU16(name);
    QString chosen;
    if (!ChooseFromList(this, QStringLiteral("快递类别列表（双击选取！）"), names, chosen)) return;
    // The destination popup takes the kind from the field when it looks up.
    kindName_->setText(chosen);
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
        GenerateWaybillNumber(numbers, ToGbkFolded(ToU16(kindName_->text())), 0, false, mode, extras);
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
    // textEdited comes only from the operator's own edits; whether the
    // window is active does not matter, only that no other field of it has
    // the focus.
    if (loading_) return;
    if (QWidget* focused = window()->focusWidget(); focused && focused != destination_) return;
    typedDestination_ = typed;
    ShowDestinationRows(typed);
}

void CPreEntryForm::ShowDestinationRows(const QString& typed) {
    if (typed.isEmpty()) {
        popup_->ClearRows();
        return;
    }
    popup_->SetRows(chooser_.Suggest(ToGbkFolded(ToU16(kindName_->text())), ToU16(typed)));
    if (popup_->RowCount() == 0) return;
    const QPoint below = destination_->mapTo(this, QPoint(0, destination_->height()));
    const int width = std::max(120, std::min(kDestinationPopupWidth, this->width() - below.x() - 2));
    popup_->setGeometry(below.x(), below.y(), width, popup_->height());
    popup_->raise();
}

void CPreEntryForm::EndDestinationTyping() {
    typedDestination_.reset();
    popup_->ClearRows();
}

void CPreEntryForm::TakeDestinationRow(int index) {
    // Rows belong to what was typed since the field was entered; without
    // typing there is nothing to take, and the field keeps what it shows.
    if (!typedDestination_ || *typedDestination_ != destination_->text()) return;
    // The rows as they are for the text and the kind now, whatever the
    // popup last showed.
    ShowDestinationRows(*typedDestination_);
    const DestinationRecord* row = popup_->Row(index);
    if (!row) {
        SetCombo(language_, 0);
        destination_->end(false);
        popup_->ClearRows();
        return;
    }
    const DestinationRecord chosen = *row;
    EndDestinationTyping();
    TakeValues();
    values_.destination = GbkToUtf16(chosen.nameZh.view());
    ApplyDestinationChoice(SplitDestination(chosen), values_);
    loading_ = true;
    fields_.Show(values_,
                 {&PreEntryValues::destination, &PreEntryValues::language, &PreEntryValues::receiverPostcode,
                  &PreEntryValues::receiverCountry, &PreEntryValues::receiverProvince, &PreEntryValues::receiverCity});
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
            emit caption->Clicked();
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

void CPreEntryForm::FollowDestinationFocus(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Another window or a list's popup taking the focus for a while
        // neither enters nor leaves the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == destination_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            EndDestinationTyping();
        break;
    }
    case QEvent::KeyPress:
    case QEvent::InputMethod:
        // Focus events come only while the window is active; the keys and
        // what an input method commits tell as well where the operator is
        // typing. Only the focused control's count: a key it passes on to
        // its parents is not a second one.
        if (watched != window()->focusWidget()) break;
        if ((watched == destination_) != (lastKeyTarget_ == destination_)) EndDestinationTyping();
        lastKeyTarget_ = watched;
        break;
    default: break;
    }
}

bool CPreEntryForm::eventFilter(QObject* watched, QEvent* event) {
    FollowDestinationFocus(watched, event);
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Only the control that has the focus acts; a key it passes on to its
    // parents is not handled twice. The window's focus widget, not the
    // application's: that one is null while the window is not active.
    QWidget* focused = window()->focusWidget();
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
