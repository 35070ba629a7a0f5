#include "platform/MaximizeRefusal.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"

void MaximizeRefusal::attachTo(QWidget& window)
{
    if (QGuiApplication::platformName() == QStringLiteral("wayland"))
        new MaximizeRefusal(window);
}

MaximizeRefusal::MaximizeRefusal(QWidget& window) : QObject(&window), window_(window)
{
    window_.installEventFilter(this);
    watchWindowHandle();
}

bool MaximizeRefusal::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange)
        watchWindowHandle();
    return false;
}

void MaximizeRefusal::watchWindowHandle()
{
    QWindow* handle = window_.windowHandle();
    if (watching_ || !handle)
        return;
    watching_ = true;
    QObject::connect(handle, &QWindow::windowStateChanged, this, [handle](Qt::WindowState state) {
        if (state != Qt::WindowMaximized)
            return;
        // Qt resends only what differs from the state the compositor last confirmed, so asking
        // Qt for the normal state would send nothing: the request goes to the toplevel itself,
        // right behind the maximize, and the compositor's answers end in the normal state.
        QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
        auto* toplevel =
            native ? static_cast<xdg_toplevel*>(native->nativeResourceForWindow("xdg_toplevel", handle)) : nullptr;
        if (toplevel)
            xdg_toplevel_unset_maximized(toplevel);
        // The compositor's last word is the normal state Qt already knew, which Qt does not
        // report again: its own record of the state is set back here, once this change is done.
        QMetaObject::invokeMethod(
            handle, [handle] { handle->setWindowStates(handle->windowStates() & ~Qt::WindowMaximized); },
            Qt::QueuedConnection);
    });
}
