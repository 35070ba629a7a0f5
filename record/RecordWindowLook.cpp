#include "record/RecordWindowLook.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

QLabel* RecordWindowLook::label(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QLabel* RecordWindowLook::valueLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                                     const QColor& background, Qt::Alignment alignment, const QFont& font)
{
    QLabel* value = label(parent, name, text, geometry);
    value->setFrameStyle(QFrame::Box | QFrame::Plain);
    value->setLineWidth(1);
    value->setAlignment(alignment | Qt::AlignVCenter);
    value->setFont(font);
    value->setAutoFillBackground(true);
    QPalette palette = value->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::black);
    value->setPalette(palette);
    return value;
}

void RecordWindowLook::centreOnScreen(QWidget& window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // The frame is unknown until the window manager has framed the window, so it is the client
    // area that is centred.
    QRect client(QPoint(), window.size());
    client.moveCenter(screen->availableGeometry().center());
    window.setGeometry(client);
}
