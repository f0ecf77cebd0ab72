#pragma once

#include <QColor>
#include <QLabel>

namespace tallux {

// A text that acts like a link: hand cursor, its own colour, underlined
// while the pointer is over it, and Clicked() on a left click (or Space /
// Enter when it has the keyboard focus).
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text = {}, QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    QColor Color() const { return color_; }

signals:
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ApplyLook();

    QColor color_{0, 0, 204};
    bool hovered_ = false;
    bool pressed_ = false;
};

}  // namespace tallux
