#include "platform/ModalWatcher.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

ModalWatcher::ModalWatcher(std::function<void()> changed, QObject* parent)
    : QObject(parent), changed_(std::move(changed))
{
    qGuiApp->installEventFilter(this);
}

ModalWatcher::~ModalWatcher()
{
    if (qGuiApp)
        qGuiApp->removeEventFilter(this);
}

bool ModalWatcher::modalOpen() const
{
    return QGuiApplication::modalWindow() != nullptr;
}

bool ModalWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->isWindowType()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::Close) {
            recheck();
            // Qt updates its list of modal windows around these events; look again once it has.
            QMetaObject::invokeMethod(this, &ModalWatcher::recheck, Qt::QueuedConnection);
        }
    }
    return false;
}

void ModalWatcher::recheck()
{
    const bool open = modalOpen();
    if (open == open_)
        return;
    open_ = open;
    if (changed_)
        changed_();
}
