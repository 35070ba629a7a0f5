#pragma once

#include "game/FinishedGame.h"

#include <QWidget>

// The last game: one bar per stop over a y axis in ms, and under the bars each stop's letter, its
// reaction in ms and its wrong keys in rows that read like a table. The tenth bar is pale, as its
// time is not in the score.
class LatestGameChart : public QWidget {
    Q_OBJECT
public:
    explicit LatestGameChart(QWidget* parent = nullptr);
    void setGame(const FinishedGame& game);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FinishedGame game_;
};
