#pragma once

#include <QDialog>

namespace tallux {

// "关于": the program icon, its name and its version line.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

// The version line shown in the about box.
QString ProgramVersionLine();

}  // namespace tallux
