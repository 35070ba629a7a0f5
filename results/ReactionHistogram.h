#pragma once

#include "results/Statistics.h"

#include <QWidget>

// Every reaction in 10 ms bins over axes of ms and counts, with the median and the 10th and 90th
// percentiles as lines, named with their values in a legend above.
class ReactionHistogram : public QWidget {
    Q_OBJECT
public:
    explicit ReactionHistogram(QWidget* parent = nullptr);
    void setHistogram(Statistics::Histogram histogram, double medianMs, double tenthMs, double ninetiethMs);
    const Statistics::Histogram& histogram() const { return histogram_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Statistics::Histogram histogram_;
    double medianMs_ = 0;
    double tenthMs_ = 0;
    double ninetiethMs_ = 0;
};
