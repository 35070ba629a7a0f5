#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect centredPlacement(QSize size, QMargins frame, const QRect& available)
{
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveCenter(available.center());
    outer.moveTopLeft(QPoint(std::max(outer.left(), available.left()), std::max(outer.top(), available.top())));
    return outer.marginsRemoved(frame);
}

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // A window laid out by its layout has its final size only once shown; its hint says it now.
    const QSize size = window.layout() != nullptr ? window.sizeHint() : window.size();
    const QRect frameRect = window.frameGeometry();
    const QRect client = window.geometry();
    const QMargins frame(client.left() - frameRect.left(), client.top() - frameRect.top(),
                         frameRect.right() - client.right(), frameRect.bottom() - client.bottom());
    // The client area is placed: before the window manager has framed the window, a position
    // given for the frame would be taken for the client's on one platform and not on another.
    window.setGeometry(centredPlacement(size, frame, screen->availableGeometry()));
}
