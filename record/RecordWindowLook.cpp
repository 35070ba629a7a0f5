#include "record/RecordWindowLook.h"

#include "platform/ElidingLabel.h"
#include "platform/PlainLabel.h"

#include <QLabel>

QLabel* RecordWindowLook::label(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    QLabel* label = plainLabel(parent, text, name);
    label->setGeometry(geometry);
    return label;
}

QLabel* RecordWindowLook::valueLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                                     const QColor& background, Qt::Alignment alignment, const QFont& font)
{
    QLabel* value = plainLabel<ElidingLabel>(parent, text, name);
    value->setGeometry(geometry);
    setSingleBorder(*value);
    value->setAlignment(alignment | Qt::AlignVCenter);
    value->setFont(font);
    value->setAutoFillBackground(true);
    QPalette palette = value->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::black);
    value->setPalette(palette);
    return value;
}
