#pragma once

#include <QObject>

class QWidget;

// Keeps a fixed-size window from being maximized through Qt's own window decorations on
// Wayland, which draw a maximize button whatever the window's flags say. A compositor such as
// weston ends the program when a maximized window keeps its own size, so the request is taken
// back before the compositor answers it.
class MaximizeRefusal final : public QObject {
public:
    // Watches `window` (a top-level widget) for as long as it lives.
    static void attachTo(QWidget& window);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit MaximizeRefusal(QWidget& window);
    void watchWindowHandle();

    QWidget& window_;
    bool watching_ = false;
};
