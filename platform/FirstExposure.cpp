#include "platform/FirstExposure.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

FirstExposure::FirstExposure(QWidget& shownWindow, std::function<void()> action)
    : QObject(&shownWindow), action_(std::move(action))
{
    fallback_.setSingleShot(true);
    connect(&fallback_, &QTimer::timeout, this, &FirstExposure::run);
    QWindow* window = shownWindow.windowHandle();
    if (window != nullptr && window->isExposed()) {
        // Queued, so that it runs from the event loop like the exposure would.
        fallback_.start(0);
        return;
    }
    if (window != nullptr)
        window->installEventFilter(this);
    fallback_.start(1000);
}

bool FirstExposure::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose) {
        const auto* window = qobject_cast<QWindow*>(watched);
        if (window != nullptr && window->isExposed())
            // After the exposure itself has been handled and the window painted.
            QTimer::singleShot(0, this, &FirstExposure::run);
    }
    return QObject::eventFilter(watched, event);
}

void FirstExposure::run()
{
    if (!action_)
        return;
    fallback_.stop();
    const std::function<void()> action = std::move(action_);
    action_ = nullptr;
    action();
}
