#pragma once

#include <QImage>

// The decorative pull lever beside the title: a glossy black knob on a steel rod that runs
// down into a metal block on a dark mounting plate.
class Lever {
public:
    static constexpr int width = 40;
    static constexpr int height = 229;

    QImage image() const;
};
