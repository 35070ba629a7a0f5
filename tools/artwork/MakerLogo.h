#pragma once

#include <QImage>
#include <QPainterPath>

class OutlineFont;

// The maker's logo for the version window: the name in yellow script with a dark outline,
// standing on a faint mirror image of itself.
class MakerLogo {
public:
    static constexpr int width = 234;
    static constexpr int height = 60;

    explicit MakerLogo(const OutlineFont& script);

    QImage image() const;

private:
    QPainterPath name_; // baseline at y = 0
};
