#pragma once

#include "results/ResultsFigures.h"

#include <QWidget>

class HistoryChart;
class KeyboardChart;
class LatestGameChart;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class ReactionHistogram;

// `frmStats`, the results window: the last game, the history of scores, the letters by their
// median reaction and the spread of all reactions, one tab each, every chart with a sentence for
// a screen reader. Until a game is finished every tab says so in a sentence; a history that could
// not be read says that instead, with why, and games left out of the figures are counted in a
// line over the tabs.
class StatsWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTabs = 4;
    static constexpr QSize kPreferredSize{560, 660};

    explicit StatsWindow(QWidget* parent = nullptr);

    // Sizes and places the hidden window beside `mainWindow` on its screen, never over
    // `keepClear` (in screen coordinates).
    void placeBeside(const QWidget& mainWindow, const QRect& keepClear);

    void showLoading();
    void setFigures(const ResultsFigures& figures);
    // Which history the window shows, when that needs saying (it is not beside the record);
    // empty hides the line.
    void setHistorySource(const QString& sentence);
    QString historySource() const;
    // One line beside the export button: where the last export went; empty hides it.
    void setExportDone(const QString& sentence);
    QString exportDone() const;

    QTabWidget* tabs() const { return tabs_; }
    // The sentence a tab shows instead of its chart, or an empty text while it shows the chart.
    QString sentenceShown(int tab) const;
    // The last game's figure written beside the name, as "合計", "ミス", "中央値".
    QString latestFigure(const QString& name) const;
    QString comparisonSentence() const;
    QString slowestLettersSentence() const;
    // The chart of each tab, for what it tells a screen reader.
    QWidget* chart(int tab) const;
    // The line over the tabs: why the history could not be read, or which games were left out.
    QString notice() const;
    static QString leftOutSentence(const GameCheck::FaultCounts& leftOut);
    const KeyboardChart* keyboard() const { return keyboard_; }
    const ReactionHistogram* histogram() const { return histogram_; }
    QTableWidget* stopsTable() const { return stopsTable_; }
    QPushButton* tableButton() const { return tableButton_; }
    QPushButton* exportButton() const { return exportButton_; }
    QPushButton* closeButton() const { return closeButton_; }

signals:
    void exportRequested();

protected:
    bool event(QEvent* event) override;

private:
    void showSentence(const QString& sentence);
    void setLatestGame(const ResultsFigures& figures);
    void setKeyboard(const ResultsFigures& figures);
    void showNotice(const QString& text);
    void keepLeastSize();

    QLabel* notice_ = nullptr;
    QLabel* exportDone_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QStackedWidget* pages_[kTabs] = {};
    QLabel* sentences_[kTabs] = {};
    QLabel* comparison_ = nullptr;
    QStackedWidget* latestViews_ = nullptr;
    LatestGameChart* latestChart_ = nullptr;
    QTableWidget* stopsTable_ = nullptr;
    QPushButton* tableButton_ = nullptr;
    std::vector<std::pair<QString, QLabel*>> latestFigures_;
    HistoryChart* historyChart_ = nullptr;
    QLabel* historyNote_ = nullptr;
    KeyboardChart* keyboard_ = nullptr;
    QLabel* slowestNote_ = nullptr;
    ReactionHistogram* histogram_ = nullptr;
    QLabel* histogramNote_ = nullptr;
    QLabel* historySource_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};
