#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window of `size` (its client area) with `frame` around it opens on a screen whose free
// area is `available`: centred, but where the framed window is larger than that area it stands
// at the area's top or left edge, so its caption and menu bar stay on screen and what does not
// fit is cut off at the right and bottom. Returns the client area.
QRect centredPlacement(QSize size, QMargins frame, const QRect& available);

// Places a top-level window so on its screen. Before the window manager has framed it, the frame
// is unknown and taken as none.
void centreOnScreen(QWidget& window);
