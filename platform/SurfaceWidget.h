#pragma once

#include "platform/Surface.h"

#include <QWidget>

// Shows a Surface pixel for pixel. The owner draws into surface() and then calls update() or,
// where the picture must be on screen before the next step, repaint().
class SurfaceWidget : public QWidget {
    Q_OBJECT
public:
    SurfaceWidget(int width, int height, std::uint32_t background, QWidget* parent = nullptr);

    Surface& surface() { return surface_; }
    const Surface& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Surface surface_;
};
