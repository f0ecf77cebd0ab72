#pragma once

#include <QColor>
#include <QString>

#include <initializer_list>
#include <string>
#include <utility>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace tallux {

class LimitedTextEdit;
class LinkLabel;

// The building blocks the pre-entry form and its panes share, so that all
// of them are equally compact: every edit and combo one text line high,
// captions right-aligned against their fields.
namespace formcontrols {

// The colours the form's captions and marks speak in.
inline constexpr QColor kGreen(0, 128, 0);     // a caption with an assist, a new record, a known destination
inline constexpr QColor kRed(255, 0, 0);       // the chosen tab, a record being changed, the batch kind
inline constexpr QColor kDarkRed(128, 0, 0);   // a destination the kind does not serve
inline constexpr QColor kPurple(128, 0, 128);  // the remote-area query of the receiver postcode
inline constexpr QColor kBlue(0, 0, 255);      // the price query beside the fee

// Height of every one-line control of the form.
int RowHeight(const QWidget* widget);

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxCharacters);
// Edits for numbers, which accept only digits (and one decimal point).
QLineEdit* MakeIntegerEdit(QWidget* parent, const char* name);
QLineEdit* MakeDecimalEdit(QWidget* parent, const char* name);

// A drop list of fixed entries; Up and Down move between the fields as
// everywhere in the form, the list opens with Alt+Down or F4.
QComboBox* MakeDropList(QWidget* parent, const char* name, std::initializer_list<const char*> items);
// An edit of several lines, that many lines high, tinted so that the
// operator sees Enter starts a new line here.
LimitedTextEdit* MakeMultiLine(QWidget* parent, const char* name, int maxCharacters, int lines);

QLabel* MakeCaption(const QString& text, QWidget* parent);
// A caption that does nothing yet, in the colour it will have (greyed like
// any control while disabled).
QLabel* MakeColouredCaption(const QString& text, QWidget* parent, const QColor& colour);
// A caption that does something when clicked; colour invalid: the normal
// text colour.
LinkLabel* MakeLink(const QString& text, QWidget* parent, const QColor& colour = QColor());

// A grid with the form's spacing and no margins.
QGridLayout* MakeGrid(QWidget* parent = nullptr);
// The grid of one part of the form: captions in column 0, at least
// captionWidth wide, fields in columns 1 and 3, the left ones wider (kind,
// origin, waybill, names and companies hold longer texts than numbers,
// postcodes and the date).
QGridLayout* MakeSection(QWidget* owner, int captionWidth);
// A field with something beside it (a lock diamond before, a mark after):
// the parts side by side in a box of their own, edits and lists taking the
// room that is left.
QWidget* MakeBeside(QWidget* parent, std::initializer_list<QWidget*> parts);
// Three fields on one line, each after its caption; the first caption,
// which stands in the caption column, is nullptr here.
QWidget* MakeThreeUp(QWidget* parent, std::initializer_list<std::pair<QWidget*, QWidget*>> captionsAndFields);
// The diamond before a field that keeps it from being edited; shows
// unlocked until ShowLock says otherwise.
LinkLabel* MakeLockDiamond(QWidget* parent, const char* name);
void ShowLock(LinkLabel* diamond, bool locked);

std::u16string Text(const QLineEdit* edit);
void SetText(QLineEdit* edit, const std::u16string& text);
void SetNumber(QLineEdit* edit, double value);
void SetInteger(QLineEdit* edit, int value);

// The entry at index is selected; an index the list does not hold selects
// nothing.
void SetCombo(QComboBox* combo, int index);
// A list that selects nothing leaves value as it was.
void TakeCombo(const QComboBox* combo, int& value);
// Lists whose values travel as text (currency, settlement): a text the list
// does not hold selects nothing, and nothing selected reads as empty.
void SetComboText(QComboBox* combo, const std::u16string& text);
std::u16string ComboText(const QComboBox* combo);

// Numbers as the fields show them ("1", "0.5", "19.99") and as they are
// read back: C notation whatever the locale; an empty or unreadable field
// is 0.
QString NumberText(double value);
int IntegerOf(const QLineEdit* edit);
double DecimalOf(const QLineEdit* edit);

}  // namespace formcontrols
}  // namespace tallux
