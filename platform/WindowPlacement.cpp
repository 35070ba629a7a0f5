#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace {

enum class Side { Right, Below, Left, Above };

// The window in the free `room` on `side` of `obstacle`, against it and level with its top or
// left edge as far as the room allows; nothing where the room is smaller than `least`.
std::optional<QRect> inRoom(Side side, const QRect& obstacle, const QRect& available, QSize preferred, QSize least)
{
    QRect room = available;
    switch (side) {
    case Side::Right: room.setLeft(obstacle.right() + 1); break;
    case Side::Below: room.setTop(obstacle.bottom() + 1); break;
    case Side::Left: room.setRight(obstacle.left() - 1); break;
    case Side::Above: room.setBottom(obstacle.top() - 1); break;
    }
    if (room.width() < least.width() || room.height() < least.height())
        return std::nullopt;
    const QSize size = preferred.boundedTo(room.size()).expandedTo(least);
    const auto clamped = [](int wanted, int first, int last) { return std::clamp(wanted, first, std::max(first, last)); };
    const int lastLeft = room.right() - size.width() + 1;
    const int lastTop = room.bottom() - size.height() + 1;
    int left = clamped(obstacle.left(), room.left(), lastLeft);
    int top = clamped(obstacle.top(), room.top(), lastTop);
    if (side == Side::Right)
        left = room.left();
    else if (side == Side::Left)
        left = lastLeft;
    else if (side == Side::Below)
        top = room.top();
    else
        top = lastTop;
    return QRect(QPoint(left, top), size);
}

} // namespace

QRect besidePlacement(QSize preferred, QSize least, const QRect& beside, const QRect& keepClear,
                      const QRect& available)
{
    for (Side side : {Side::Right, Side::Below, Side::Left})
        if (const auto placed = inRoom(side, beside, available, preferred, least))
            return *placed;
    if (keepClear.isValid())
        for (Side side : {Side::Right, Side::Below, Side::Left, Side::Above})
            if (const auto placed = inRoom(side, keepClear, available, preferred, least))
                return *placed;
    return QRect(available.topLeft(), preferred.boundedTo(available.size()).expandedTo(least));
}

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
