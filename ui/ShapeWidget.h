#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A rectangle outline, optionally filled, drawn with its pen centred on the rectangle's edge
// (half of a thick outline lies outside the rectangle). Transparent to the mouse.
class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    ShapeWidget(const QRect& rectangle, int outlineWidth, std::optional<QColor> fill, QWidget* parent);

    QRect rectangle() const { return rectangle_; }
    int outlineWidth() const { return outlineWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect rectangle_;
    int outlineWidth_;
    std::optional<QColor> fill_;
};
