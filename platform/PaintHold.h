#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// Keeps a widget's paints off the screen for a while: what it paints meanwhile stays where it
// was drawn (its surface), and is painted once the hold is released.
class PaintHold final : public QObject {
public:
    explicit PaintHold(QWidget& widget) : widget_(&widget) { widget.installEventFilter(this); }
    ~PaintHold() override { release(); }

    void hold();
    // Paints the widget as it now stands, unless it was never held.
    void release();
    bool held() const { return held_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> widget_;
    bool held_ = false;
};
