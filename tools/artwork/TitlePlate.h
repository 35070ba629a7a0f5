#pragma once

#include <QImage>
#include <QPainterPath>

class OutlineFont;

// The title plate in its two frames. The dim frame darkens only the plate; the lettering and
// the rivets are drawn on top of either plate the same way, so the frames differ in the plate alone.
class TitlePlate {
public:
    static constexpr int width = 300;
    static constexpr int height = 91;
    static constexpr QRgb letterColour = 0xFF42FF42;

    explicit TitlePlate(const OutlineFont& serif);

    QImage bright() const;
    QImage dim() const;

private:
    static QImage plate();
    void decorate(QImage& plate) const;

    QPainterPath name_;
};
