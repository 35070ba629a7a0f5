#include "platform/ElidingLabel.h"

#include <QEvent>
#include <QPainter>

ElidingLabel::ElidingLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
}

QRect ElidingLabel::textArea() const
{
    // As QLabel leaves room inside a frame: half an "x" on either side.
    const int inset = margin() + (frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0);
    return contentsRect().adjusted(inset, margin(), -inset, -margin());
}

bool ElidingLabel::elided() const
{
    return fontMetrics().horizontalAdvance(text()) > textArea().width();
}

bool ElidingLabel::event(QEvent* event)
{
    // The tooltip follows the text, however it was set.
    if (event->type() == QEvent::ToolTip && toolTip() != text())
        setToolTip(text());
    return QLabel::event(event);
}

void ElidingLabel::paintEvent(QPaintEvent* event)
{
    if (!elided()) {
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = textArea();
    painter.drawText(area, static_cast<int>(alignment()),
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}
