#include "platform/BringForward.h"

#include <QWidget>

void bringForward(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}
