#include "widgets/LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace tallux {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    ApplyLook();
}

void LinkLabel::SetColor(const QColor& color) {
    color_ = color;
    ApplyLook();
}

void LinkLabel::ApplyLook() {
    QPalette look = palette();
    look.setColor(QPalette::WindowText, color_);
    setPalette(look);
    QFont face = font();
    face.setUnderline(hovered_);
    setFont(face);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        // Only a release over the label counts, as with a button.
        if (rect().contains(event->position().toPoint())) emit Clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit Clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    ApplyLook();
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    ApplyLook();
    QLabel::leaveEvent(event);
}

}  // namespace tallux
