#include "preentry/gui/SpareFieldsPane.h"

#include <QGridLayout>
#include <QLineEdit>

#include "app/ClientState.h"
#include "preentry/gui/FormControls.h"
#include "widgets/LinkLabel.h"
#include "widgets/ListChoiceDialog.h"

namespace tallux {

using namespace formcontrols;

namespace {

constexpr int kSpareMax = 62;
constexpr int kLastSpareMax = 254;

}  // namespace

CSpareFieldsPane::CSpareFieldsPane(const ClientState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("spareFieldsPane"));
    static const char* const kNames[] = {"spare1", "spare2", "spare3", "spare4", "spare5"};
    static const char* const kCaptions[] = {"备用一:", "备用二:", "备用三:", "备用四:", "备用五:"};
    QGridLayout* grid = MakeGrid(this);
    for (std::size_t i = 0; i < spares_.size(); ++i) {
        QLineEdit* edit = MakeEdit(this, kNames[i], i + 1 < spares_.size() ? kSpareMax : kLastSpareMax);
        spares_[i] = edit;
        LinkLabel* link = MakeLink(QString::fromUtf8(kCaptions[i]), this);
        connect(link, &LinkLabel::Clicked, this, [this, edit] {
            QString hint;
            if (ChooseHint(state_, this, hint)) edit->setText(hint);
        });
        // Two a row, the long fifth one alone.
        const int row = static_cast<int>(i) / 2;
        const int column = static_cast<int>(i) % 2 * 2;
        grid->addWidget(link, row, column);
        if (i + 1 < spares_.size())
            grid->addWidget(edit, row, column + 1);
        else
            grid->addWidget(edit, row, column + 1, 1, 3);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);
    for (std::size_t i = 1; i < spares_.size(); ++i) setTabOrder(spares_[i - 1], spares_[i]);
}

void CSpareFieldsPane::ShowValues(const PreEntryPaneValues& values) {
    SetText(spares_[0], values.spare1);
    SetText(spares_[1], values.spare2);
    SetText(spares_[2], values.spare3);
    SetText(spares_[3], values.spare4);
    SetText(spares_[4], values.spare5);
}

void CSpareFieldsPane::TakeValues(PreEntryPaneValues& values) const {
    values.spare1 = Text(spares_[0]);
    values.spare2 = Text(spares_[1]);
    values.spare3 = Text(spares_[2]);
    values.spare4 = Text(spares_[3]);
    values.spare5 = Text(spares_[4]);
}

QWidget* CSpareFieldsPane::FirstField() const { return spares_[0]; }

QWidget* CSpareFieldsPane::FieldWidget(PreEntryField field) const {
    switch (field) {
    case PreEntryField::Spare1: return spares_[0];
    case PreEntryField::Spare2: return spares_[1];
    case PreEntryField::Spare3: return spares_[2];
    case PreEntryField::Spare4: return spares_[3];
    case PreEntryField::Spare5: return spares_[4];
    default: return nullptr;
    }
}

}  // namespace tallux
