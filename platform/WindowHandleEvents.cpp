#include "platform/WindowHandleEvents.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

void listenToWindowHandle(QWidget& widget, QObject& filter)
{
    if (QWindow* handle = widget.windowHandle())
        handle->installEventFilter(&filter);
}

bool followWindowHandle(QWidget& widget, QObject& filter, const QObject* watched, const QEvent& event)
{
    if (watched != &widget)
        return false;
    if (event.type() == QEvent::Show || event.type() == QEvent::WinIdChange)
        listenToWindowHandle(widget, filter);
    return true;
}
