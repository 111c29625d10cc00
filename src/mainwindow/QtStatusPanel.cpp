#include "mainwindow/QtStatusPanel.h"

#include <QPainter>
#include <QStyle>

QtStatusPanel::QtStatusPanel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    setIndent(3);
}

int QtStatusPanel::IconSide() const {
    return style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
}

void QtStatusPanel::SetImage(const QIcon& icon, const QString& imageKey) {
    m_icon = icon;
    m_imageKey = imageKey;
    // The text moves right of the image, inside the panel's frame.
    setIndent(m_icon.isNull() ? 3 : IconSide() + 6);
    updateGeometry();
    update();
}

QSize QtStatusPanel::sizeHint() const {
    QSize s = QLabel::sizeHint();
    if (!m_icon.isNull()) s.setHeight(std::max(s.height(), IconSide() + 2 * frameWidth() + 2));
    return s;
}

QSize QtStatusPanel::minimumSizeHint() const {
    QSize s = QLabel::minimumSizeHint();
    if (!m_icon.isNull()) s.setHeight(std::max(s.height(), IconSide() + 2 * frameWidth() + 2));
    return s;
}

void QtStatusPanel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (m_icon.isNull()) return;
    const int side = IconSide();
    const QRect r(frameWidth() + 2, (height() - side) / 2, side, side);
    QPainter p(this);
    m_icon.paint(&p, r); // drawn at the screen's scale, so it stays sharp
}
