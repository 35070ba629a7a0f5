#include "platform/TransientParent.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// Qt hands a parentless window a transient parent of its own choosing when it shows it, and
// a window whose platform window is made anew has none, so the owner is named again then.
class KeepsTransientParent : public QObject {
public:
    KeepsTransientParent(QWidget& window, QWidget& owner)
        : QObject(&window), owner_(&owner)
    {
    }

    void apply(QWidget& window) const
    {
        QWindow* handle = window.windowHandle();
        if (owner_ == nullptr || handle == nullptr)
            return;
        QWindow* ownerHandle = owner_->window()->windowHandle();
        if (ownerHandle != nullptr && handle->transientParent() != ownerHandle)
            handle->setTransientParent(ownerHandle);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::WinIdChange || type == QEvent::ShowToParent
            || type == QEvent::Polish)
            apply(*static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> owner_;
};

} // namespace

void setTransientParent(QWidget& window, QWidget* owner)
{
    if (owner == nullptr)
        return;
    // Both need their platform windows before one can name the other.
    window.winId();
    owner->winId();
    auto* keeper = new KeepsTransientParent(window, *owner);
    keeper->apply(window);
    window.installEventFilter(keeper);
}
