#pragma once

#include "results/KeyboardLayout.h"
#include "results/Statistics.h"

#include <QColor>
#include <QWidget>

#include <array>

// The letter keys in their QWERTY rows, each coloured by how its median reaction compares with the
// player's usual, the median of all reactions: green for faster, red for slower, pale for as usual,
// the full colour at `scaleMs` or more away; the median and the count are written on each key and
// a legend under the keys gives the scale in ms. A letter seen fewer than `leastReactions` times
// says too little and stays grey.
class KeyboardChart : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardChart(QWidget* parent = nullptr);
    void setLetters(const std::array<Statistics::LetterSummary, 26>& letters, int leastReactions, double usualMs,
                    double scaleMs);

    QColor keyColour(char letter) const;
    // Where the keys and the legend go at the widget's size, in its font.
    KeyboardLayout::Keyboard layout() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<Statistics::LetterSummary, 26> letters_{};
    int leastReactions_ = 3;
    double usualMs_ = 0;
    double scaleMs_ = 0;
};
