#pragma once

#include "results/Statistics.h"

#include <QColor>
#include <QWidget>

#include <array>

// The letter keys in their QWERTY rows, each coloured by the median reaction to its letter, from
// green (the fastest letter) to red (the slowest), with the median and the count written on it.
// A letter seen fewer than `leastReactions` times says too little and stays grey.
class KeyboardChart : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardChart(QWidget* parent = nullptr);
    void setLetters(const std::array<Statistics::LetterSummary, 26>& letters, int leastReactions);

    QColor keyColour(char letter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<Statistics::LetterSummary, 26> letters_{};
    int leastReactions_ = 3;
    double fastestMs_ = 0;
    double slowestMs_ = 0;
};
