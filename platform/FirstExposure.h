#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

// Runs an action once, as soon as a shown window is on screen. A message box opened before then
// has no placed window to stand over (Wayland puts it in a corner). Should the window never
// appear (started minimised, say), the action runs after a second all the same.
class FirstExposure : public QObject {
    Q_OBJECT
public:
    FirstExposure(QWidget& shownWindow, std::function<void()> action);

    bool done() const { return !action_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run();

    std::function<void()> action_;
    QTimer fallback_;
};
