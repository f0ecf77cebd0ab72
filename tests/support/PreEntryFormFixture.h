#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <string>

#include "app/ClientState.h"
#include "preentry/gui/PreEntryForm.h"
#include "tests/support/GbkText.h"
#include "widgets/LimitedTextEdit.h"

namespace tallux::test {

// Two kinds for the pre-entry form tests: a domestic one with one
// destination and an international one with three of the table's five;
// Mumbai belongs to neither. False when the table does not parse.
inline bool LoadFormKinds(BaseData& data) {
    data.kinds.Append("GN", G("国内快递"));
    data.kinds.Append("GJ", G("国际快递"));
    data.kinds.FindKindByCode("GN")->destinations = G("广东深圳") + "\t";
    data.kinds.FindKindByCode("GJ")->destinations =
        G("印度尼西亚雅加达") + "\t" + G("印度新德里") + "\t" + G("美国") + "\t";
    const std::string table = "0 0\tCN\tCN\t518000\t" + G("广东深圳") + "\tGuangdong Shenzhen\n" +
                              "2 0\tID\tID\t10110\t" + G("印度尼西亚雅加达") + "\tJakarta\n" + "2 0\tIN\tIN\t110001\t" +
                              G("印度新德里") + "\tNew Delhi\n" + "2 0\tIN\tIN\t400001\t" + G("印度孟买") +
                              "\tMumbai\n" + "2 0\tUS\tUS\t\t" + G("美国") + "\tUnited States\n";
    return data.destinations.Parse(table);
}

// Sends text as typed keys; CJK characters come as the text of key events,
// as an input method delivers them.
inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(widget, c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// The form in a shown, active window of its own, as tall as the client's.
inline std::unique_ptr<CPreEntryForm> ShowFormWindow(ClientState& state) {
    auto form = std::make_unique<CPreEntryForm>(state);
    form->resize(380, 700);
    form->show();
    QApplication::setActiveWindow(form.get());
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("form not active");
    return form;
}

// The form's control by object name; the test ends when there is none.
template <typename Widget = QLineEdit>
Widget* FormField(QWidget& form, const char* name) {
    auto* widget = form.findChild<Widget*>(QLatin1String(name));
    if (!widget) qFatal("no field %s", name);
    return widget;
}

// A shipment of the international kind that passes every check, filled in
// directly.
inline void FillValidShipment(QWidget& form) {
    FormField(form, "kindName")->setText(QStringLiteral("国际快递"));
    FormField(form, "destination")->setText(QStringLiteral("美国"));
    FormField(form, "waybill")->setText(QStringLiteral("TL0000001"));
    FormField(form, "receiverName")->setText(QStringLiteral("John Smith"));
    FormField(form, "receiverPhone")->setText(QStringLiteral("2125550100"));
    FormField<LimitedTextEdit>(form, "receiverAddress")->SetStoredText(QStringLiteral("350 Fifth Avenue"));
}

}  // namespace tallux::test
