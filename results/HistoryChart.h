#pragma once

#include <QWidget>

#include <vector>

// The score of every game in order as dots joined by a thin line, the best one ringed, and the
// mean of the last ten games as a second, thicker line; axes in ms and game numbers, a legend
// that names the best score.
class HistoryChart : public QWidget {
    Q_OBJECT
public:
    explicit HistoryChart(QWidget* parent = nullptr);
    void setScores(std::vector<double> scores, std::vector<double> runningMean, std::size_t bestGame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<double> scores_;
    std::vector<double> runningMean_;
    std::size_t bestGame_ = 0;
};
