#pragma once

class QWidget;

// Shows `window` if hidden, raises it over the others and asks for it to become active: the
// menu commands that open a window that is already open.
void bringForward(QWidget& window);
