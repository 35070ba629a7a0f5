#include "results/KeyboardLayout.h"

#include <algorithm>

namespace KeyboardLayout {

Keyboard layout(ChartBox area, const TextMetrics& metrics)
{
    Keyboard keyboard;
    const double h = metrics.lineHeight;
    const double legendHeight = 10 + 2 + h;
    keyboard.faster.text = "速い";
    keyboard.slower.text = "遅い";
    const double barLeft = area.left + 6 + metrics.width(keyboard.faster.text) + 6;
    const double barRight = area.right() - 6 - metrics.width(keyboard.slower.text) - 6;
    const double barTop = area.bottom() - 4 - legendHeight;
    keyboard.bar = {barLeft, barTop, std::max(1.0, barRight - barLeft), 10};
    keyboard.faster.box = {area.left + 6, barTop + 5 - h / 2, barLeft - area.left - 12, h};
    keyboard.slower.box = {barRight + 6, barTop + 5 - h / 2, area.right() - barRight - 12, h};
    keyboard.scale = {barLeft, barTop + 12, keyboard.bar.width, h};

    const char* const rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const double gap = 3;
    const double keysBottom = barTop - 8;
    const double keyWidth = std::max(8.0, (area.width - 12 - 9 * gap) / 10);
    const double keyHeight = std::max(8.0, std::min(keyWidth * 1.5, (keysBottom - area.top - 4 - 2 * gap) / 3));
    const double left0 = area.left + (area.width - (10 * keyWidth + 9 * gap)) / 2;
    const double top0 = area.top + std::max(4.0, (keysBottom - area.top - (3 * keyHeight + 2 * gap)) / 2);
    for (int row = 0; row < 3; ++row) {
        const double indent = row * keyWidth / 2;
        for (int column = 0; rows[row][column] != '\0'; ++column)
            keyboard.keys.push_back({rows[row][column],
                                     {left0 + indent + column * (keyWidth + gap), top0 + row * (keyHeight + gap),
                                      keyWidth, keyHeight}});
    }
    return keyboard;
}

} // namespace KeyboardLayout
