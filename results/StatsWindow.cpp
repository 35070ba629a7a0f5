#include "results/StatsWindow.h"

#include "platform/Fonts.h"
#include "results/HistoryChart.h"
#include "results/HistoryCsv.h"
#include "results/KeyboardChart.h"
#include "results/LatestGameChart.h"
#include "results/ReactionHistogram.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* plainLabel(const QString& text = {})
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString milliseconds(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', 1);
}

} // namespace

StatsWindow::StatsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmStats"));
    setWindowTitle(QStringLiteral("成績"));
    setFont(gothicFont(10));
    resize(640, 480);

    tabs_ = new QTabWidget;
    const QString names[kTabs] = {QStringLiteral("最新のゲーム"), QStringLiteral("履歴"), QStringLiteral("キー別"),
                                  QStringLiteral("分布")};
    QWidget* contents[kTabs] = {};

    contents[0] = new QWidget;
    {
        auto* row = new QHBoxLayout(contents[0]);
        latestChart_ = new LatestGameChart;
        row->addWidget(latestChart_, 1);
        auto* form = new QFormLayout;
        for (const char* name : {"合計", "平均", "中央値", "最速", "最遅", "ばらつき", "ミス"}) {
            QLabel* value = plainLabel();
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            form->addRow(plainLabel(QString::fromUtf8(name)), value);
            latestFigures_.emplace_back(QString::fromUtf8(name), value);
        }
        row->addLayout(form);
    }
    contents[1] = new QWidget;
    {
        auto* column = new QVBoxLayout(contents[1]);
        historyChart_ = new HistoryChart;
        historyNote_ = plainLabel();
        column->addWidget(historyChart_, 1);
        column->addWidget(historyNote_);
    }
    contents[2] = new QWidget;
    {
        auto* column = new QVBoxLayout(contents[2]);
        keyboard_ = new KeyboardChart;
        slowestNote_ = plainLabel();
        slowestNote_->setWordWrap(true);
        column->addWidget(keyboard_, 1);
        column->addWidget(slowestNote_);
    }
    contents[3] = new QWidget;
    {
        auto* column = new QVBoxLayout(contents[3]);
        histogram_ = new ReactionHistogram;
        histogramNote_ = plainLabel();
        column->addWidget(histogram_, 1);
        column->addWidget(histogramNote_);
    }
    const QString descriptions[kTabs] = {
        QStringLiteral("終わったばかりのゲームの、止まるたびの反応時間と誤キー"),
        QStringLiteral("これまでのゲームのスコアの移り変わり"),
        QStringLiteral("文字ごとの反応時間の中央値と、遅い文字"),
        QStringLiteral("これまでの全ての反応時間の分布")};
    for (int i = 0; i < kTabs; ++i) {
        pages_[i] = new QStackedWidget;
        pages_[i]->setAccessibleName(names[i]);
        pages_[i]->setAccessibleDescription(descriptions[i]);
        sentences_[i] = plainLabel();
        sentences_[i]->setAlignment(Qt::AlignCenter);
        sentences_[i]->setWordWrap(true);
        pages_[i]->addWidget(sentences_[i]);
        pages_[i]->addWidget(contents[i]);
        tabs_->addTab(pages_[i], names[i]);
    }

    exportButton_ = new QPushButton(QStringLiteral("CSV 書き出し…"));
    closeButton_ = new QPushButton(QStringLiteral("閉じる"));
    connect(exportButton_, &QPushButton::clicked, this, &StatsWindow::exportRequested);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    exportButton_->setShortcut(QKeySequence::Save);
    exportButton_->setToolTip(exportButton_->text() + QStringLiteral(" (%1)").arg(
                                  exportButton_->shortcut().toString(QKeySequence::NativeText)));
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    // The tab widget itself only hears Ctrl+Tab while the focus is inside it, not on the buttons.
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this, this, [this] {
        tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % kTabs);
    });
    new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this, this, [this] {
        tabs_->setCurrentIndex((tabs_->currentIndex() + kTabs - 1) % kTabs);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(buttons);

    showLoading();
}

void StatsWindow::showSentence(const QString& sentence)
{
    for (int i = 0; i < kTabs; ++i) {
        sentences_[i]->setText(sentence);
        pages_[i]->setCurrentIndex(0);
    }
}

void StatsWindow::showLoading()
{
    showSentence(QStringLiteral("成績を読み込んでいます…"));
    exportButton_->setEnabled(false);
}

void StatsWindow::setFigures(const ResultsFigures& figures)
{
    const HistorySummary& summary = figures.summary;
    if (summary.empty() || !summary.latest) {
        showSentence(QStringLiteral("終わったゲームはまだありません。\n10 回目の文字まで打ち終えると、ここに成績が出ます。"));
        exportButton_->setEnabled(false);
        return;
    }
    for (int i = 0; i < kTabs; ++i) {
        sentences_[i]->clear();
        pages_[i]->setCurrentIndex(1);
    }
    exportButton_->setEnabled(true);

    const FinishedGame& latest = *summary.latest;
    latestChart_->setGame(latest);
    const QString values[] = {QString::number(latest.score),
                              milliseconds(figures.latestMeanMs),
                              milliseconds(figures.latestMedianMs),
                              milliseconds(figures.latestFastestMs),
                              milliseconds(figures.latestSlowestMs),
                              milliseconds(figures.latestSpreadMs),
                              QString::number(latest.misses)};
    for (std::size_t i = 0; i < latestFigures_.size(); ++i)
        latestFigures_[i].second->setText(values[i]);

    historyChart_->setScores(summary.scores, figures.runningMean, figures.bestGame);
    historyNote_->setText(QStringLiteral("ゲーム %1 回（最初のゲーム %2）。点は各ゲームのスコア、太い線は直近 10 ゲームの平均、赤い輪は最高スコアです。")
                              .arg(summary.scores.size())
                              .arg(QString::fromStdString(
                                  isoTimestamp(summary.firstFinishedAtMs, summary.firstUtcOffsetMinutes).substr(0, 10))));

    keyboard_->setLetters(figures.letters, ResultsFigures::kLeastReactionsPerLetter);
    if (figures.slowest.empty()) {
        slowestNote_->setText(QStringLiteral("どの文字もまだ %1 回に満たないため、遅い文字はまだ言えません（灰色のキー）。")
                                  .arg(ResultsFigures::kLeastReactionsPerLetter));
    } else {
        QStringList names;
        for (const Statistics::LetterSummary& letter : figures.slowest)
            names << QStringLiteral("%1（%2 ms）").arg(QChar(letter.letter)).arg(letter.medianMs, 0, 'f', 0);
        slowestNote_->setText(QStringLiteral("反応が遅い文字: %1。キーの数字は反応時間の中央値と回数、灰色は %2 回未満の文字です。")
                                  .arg(names.join(QStringLiteral("、")))
                                  .arg(ResultsFigures::kLeastReactionsPerLetter));
    }

    histogram_->setHistogram(figures.histogram, figures.medianMs, figures.tenthPercentileMs,
                             figures.ninetiethPercentileMs);
    histogramNote_->setText(QStringLiteral("反応 %1 回（10 ms ごと）。中央値 %2、10%: %3、90%: %4")
                                .arg(summary.reactions.size())
                                .arg(milliseconds(figures.medianMs), milliseconds(figures.tenthPercentileMs),
                                     milliseconds(figures.ninetiethPercentileMs)));
}

QString StatsWindow::sentenceShown(int tab) const
{
    if (tab < 0 || tab >= kTabs || pages_[tab]->currentIndex() != 0)
        return {};
    return sentences_[tab]->text();
}

QString StatsWindow::latestFigure(const QString& name) const
{
    for (const auto& [label, value] : latestFigures_)
        if (label == name)
            return value->text();
    return {};
}

QString StatsWindow::slowestLettersSentence() const
{
    return slowestNote_->text();
}
