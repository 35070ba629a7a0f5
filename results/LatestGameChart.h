#pragma once

#include "game/FinishedGame.h"

#include <QWidget>

#include <optional>

// The last game: one bar per stop with its reaction in ms above it and its letter under it;
// a stop with wrong keys carries a red mark with their number.
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
