#pragma once

#include <QWidget>

#include <array>
#include <optional>
#include <vector>

#include "preentry/DestinationChooser.h"
#include "preentry/PreEntryRules.h"
#include "preentry/PreEntryValues.h"
#include "preentry/gui/PreEntryFieldBinding.h"
#include "store/GoodsLineRecord.h"
#include "store/GoodsNameRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace tallux {

struct ClientState;
class DestinationPopup;
class CExtraNumbersPane;
class CSpareFieldsPane;
class GoodsNamePopup;
class LimitedTextEdit;
class LinkLabel;

// The form in which the operator types one shipment, beside the list of
// the pre-entry page. It keeps the values of the shown record (or of a new
// one), checks and stores them in the local stores on save and tells the
// page what it saved or deleted. It never closes; "C" asks the page to
// show its list alone.
// The name is one of the client's shared names and keeps its C prefix.
class CPreEntryForm : public QWidget {
    Q_OBJECT
public:
    CPreEntryForm(ClientState& state, QWidget* parent = nullptr);
    ~CPreEntryForm() override;

    // Resets to a new record.
    void NewRecord();
    // Shows the stored record with that id; false (nothing changed) when
    // there is none.
    bool LoadRecord(int id);
    // Checks, stores, tells the page and resets; false when a check failed
    // or nothing could be written (the form then keeps what it shows).
    bool SaveRecord();
    // Asks, then removes the shown record with its goods lines and piece
    // weights. Nothing for a new record.
    void DeleteCurrent();
    // The whole set of values into the copy buffer and back; the id, the
    // panes, goods lines and piece weights stay.
    void CopyAll();
    void PasteAll();

    enum Tab { GoodsTab = 0, ExtraNumbersTab = 1, SpareFieldsTab = 2 };
    Tab CurrentTab() const { return tab_; }
    void ShowTab(Tab tab);

    DestinationPopup* DestinationsPopup() const { return popup_; }
    GoodsNamePopup* GoodsPopup() const { return goodsPopup_; }

    // F9 in a field runs what a click on its caption runs.
    static constexpr Qt::Key kCaptionKey = Qt::Key_F9;

signals:
    // A copy of the record just stored (with its id).
    void RecordSaved(const tallux::ShipmentRecord& record);
    void RecordDeleted(int id);
    // Button "C": the page should show its list alone.
    void ListOnlyRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The six diamonds that keep a field from being edited.
    enum Lock { OriginLock, ReceiverNameLock, ReceiverPostcodeLock, SenderNameLock, SenderPostcodeLock, WaybillLock };
    static constexpr int kLockCount = 6;
    enum Party { Receiver, Sender };

    // The layout (PreEntryFormLayout.cpp): every control in its band, top
    // to bottom, each field bound in fields_ where it is made, and the tab
    // order. Bands is what the bands share while they are built.
    struct Bands;
    void BuildControls();
    void BuildTopRow(Bands& bands);
    void BuildGeneralBand(Bands& bands);
    void BuildPartyBand(Bands& bands, Party party);
    void BuildRemarkBand(Bands& bands);
    void BuildGoodsTabs(Bands& bands);
    void BuildFilterRow(Bands& bands);
    // The edit behind its lock diamond, which toggles the lock.
    QWidget* LockedField(Lock lock, QLineEdit* edit, const char* name);

    // The popups, the signals the form follows and its keys.
    void ConnectControls();
    void FirstShow();
    void WatchKeys(QWidget* widget);

    void ShowValues();
    void TakeValues();
    void ShowPanes();
    void TakePanes();
    PreEntryDefaults Defaults() const;

    // After a record, new or stored, is shown: no popup rows of the one
    // before, the destination mark and the status line of this one.
    void AfterRecordShown();
    void SetStatusLine();
    void RefreshDestinationMark();
    void ToggleLock(Lock lock);
    void FocusField(PreEntryField field);
    QWidget* FieldWidget(PreEntryField field) const;
    void MoveFocusOn();
    // After a save: the first field in Enter order that the new record
    // leaves empty and that takes typing.
    void FocusFirstEmptyField();

    // The assists of the captions.
    void ChooseKind();
    void CycleDate();
    void ReplaceWithHint(QLineEdit* edit);
    void AppendHintToRemark();
    void MakeLocalWaybillNumber();

    void FilterDestinations(const QString& typed);
    // The popup's rows for the text within the kind of the kind field.
    void ShowDestinationRows(const QString& typed);
    // Ctrl+1..5 / Enter in the destination field: row 0..4.
    void TakeDestinationRow(int index);
    // The operator comes into the destination field or leaves it: what was
    // typed before is over, and so are its rows.
    void EndDestinationTyping();
    // Keys, input-method text and focus moves that enter or leave the
    // destination field.
    void FollowDestinationFocus(QObject* watched, QEvent* event);
    void TakeGoodsHint(const GoodsNameRecord& record);
    // The caption whose field has the focus does its work; false when the
    // field has no such caption.
    bool RunCaptionOf(const QWidget* field);

    // The goods-lines, piece-weights and collect-charges dialogs, and the
    // goods fields taken from the goods lines.
    void EditGoodsLines();
    void EditPieceWeights();
    void EditCollectCharges();
    void ApplyGoodsSummary();

    ClientState& state_;
    DestinationChooser chooser_;
    BusinessDateList dates_;

    PreEntryValues values_;
    PreEntryPaneValues panes_;
    PreEntryValues copy_;
    bool hasCopy_ = false;
    int currentId_ = -1;
    std::vector<GoodsLineRecord> goodsLines_;
    std::vector<PieceWeightRecord> pieceWeights_;
    bool piecesChanged_ = false;
    std::array<bool, kLockCount> locks_{};
    bool loading_ = false;
    bool saving_ = false;
    // What the operator last typed in the destination field since entering
    // it. Only while the field still shows it does Enter take a row; a text
    // the form put there, or one left from an earlier visit, takes none.
    std::optional<QString> typedDestination_;
    // The control that got the last key or input-method text the form saw:
    // typing in the destination field after typing elsewhere means the
    // operator came in, also when no focus event said so (a window that is
    // not active).
    const QObject* lastKeyTarget_ = nullptr;
    Tab tab_ = GoodsTab;

    // Every control that shows a value of values_: shown, taken and found
    // through this table.
    PreEntryFieldTable fields_;

    // The controls the form's behaviour reaches for by name, in the order
    // of the form; the other fields are only in fields_.
    QLabel* status_ = nullptr;
    QComboBox* language_ = nullptr;
    QLineEdit* kindName_ = nullptr;
    QLineEdit* pieces_ = nullptr;
    QLineEdit* weight_ = nullptr;
    QLineEdit* fee_ = nullptr;
    QComboBox* payment_ = nullptr;
    QLineEdit* destination_ = nullptr;
    QLabel* destinationMark_ = nullptr;
    QLineEdit* waybill_ = nullptr;
    QLineEdit* businessDate_ = nullptr;

    QComboBox* settlement_ = nullptr;
    LimitedTextEdit* remark_ = nullptr;

    std::array<LinkLabel*, 3> tabLinks_{};
    QCheckBox* keepGoods_ = nullptr;
    QStackedWidget* goodsArea_ = nullptr;
    QLineEdit* goodsDescription_ = nullptr;
    QLineEdit* goodsAlias_ = nullptr;
    QLineEdit* codeA_ = nullptr;
    QLineEdit* quantity_ = nullptr;
    QLineEdit* unitPrice_ = nullptr;
    QLineEdit* declaredValue_ = nullptr;
    QLineEdit* consignmentRemark_ = nullptr;
    CExtraNumbersPane* extraPane_ = nullptr;
    CSpareFieldsPane* sparePane_ = nullptr;

    QCheckBox* unmarkedFilter_ = nullptr;
    QCheckBox* markedFilter_ = nullptr;

    std::array<LinkLabel*, kLockCount> lockLinks_{};
    std::array<QLineEdit*, kLockCount> lockedEdits_{};

    DestinationPopup* popup_ = nullptr;
    GoodsNamePopup* goodsPopup_ = nullptr;
};

}  // namespace tallux
