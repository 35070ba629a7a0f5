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

// Where a window opens beside another one, all rectangles framed and on the screen whose free area
// is `available`: at its `preferred` size, or smaller as the room asks but never below `least`; to
// the right of `beside`, else below it, else to its left. Where no side has room it may cover
// `beside` but never `keepClear`, a part of it that must stay in view: it then stands to the right
// of that, else below, else to its left, else above. Where not even that has room, at the free
// area's top left.
QRect besidePlacement(QSize preferred, QSize least, const QRect& beside, const QRect& keepClear,
                      const QRect& available);
