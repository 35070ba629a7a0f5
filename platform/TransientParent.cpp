#include "platform/TransientParent.h"

#include <QWidget>
#include <QWindow>

void setTransientParent(QWidget& window, QWidget* owner)
{
    if (owner == nullptr)
        return;
    // Both need their platform windows before one can name the other.
    window.winId();
    owner->winId();
    window.windowHandle()->setTransientParent(owner->window()->windowHandle());
}
