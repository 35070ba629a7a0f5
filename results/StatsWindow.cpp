#include "results/StatsWindow.h"

#include "platform/ElidingLabel.h"
#include "platform/Fonts.h"
#include "platform/PlainLabel.h"
#include "platform/WindowPlacement.h"
#include "results/HistoryChart.h"
#include "results/HistoryCsv.h"
#include "results/KeyboardChart.h"
#include "results/LatestGameChart.h"
#include "results/ReactionHistogram.h"

#include <QEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A note under a chart: wrapped, so that no text of the figures can widen the window.
QLabel* noteLabel(const QString& text = {})
{
    QLabel* label = plainLabel(nullptr, text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A wrapped label asks for a width of its own; the charts set the window's least width.
    label->setMinimumWidth(160);
    return label;
}

QString milliseconds(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', 1);
}

QString wholeMs(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', 0);
}

// Lower is better: a minus says faster.
QString signedMs(double ms)
{
    if (ms == 0)
        return QStringLiteral("±0 ms");
    return QStringLiteral("%1%2 ms").arg(ms < 0 ? QStringLiteral("−") : QStringLiteral("+")).arg(std::abs(ms), 0, 'f', 0);
}

} // namespace

StatsWindow::StatsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmStats"));
    setWindowTitle(QStringLiteral("成績"));
    setAccessibleName(QStringLiteral("成績"));
    setAccessibleDescription(QStringLiteral("最新のゲーム、履歴、キー別、分布の 4 つのタブで、これまでのゲームの成績を見せます。"));
    setFont(gothicFont(10));
    resize(kPreferredSize);

    tabs_ = new QTabWidget;
    tabs_->setAccessibleName(QStringLiteral("成績のタブ"));
    const QString names[kTabs] = {QStringLiteral("最新のゲーム"), QStringLiteral("履歴"), QStringLiteral("キー別"),
                                  QStringLiteral("分布")};
    QWidget* contents[kTabs] = {};

    contents[0] = new QWidget;
    {
        auto* column = new QVBoxLayout(contents[0]);
        comparison_ = noteLabel();
        column->addWidget(comparison_);
        latestChart_ = new LatestGameChart;
        latestChart_->setAccessibleName(QStringLiteral("最新のゲームの棒グラフ"));
        stopsTable_ = new QTableWidget(0, 4);
        stopsTable_->setAccessibleName(QStringLiteral("10 回の停止の表"));
        stopsTable_->setHorizontalHeaderLabels(
            {QStringLiteral("回"), QStringLiteral("文字"), QStringLiteral("反応 (ms)"), QStringLiteral("誤キー")});
        stopsTable_->verticalHeader()->hide();
        stopsTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        stopsTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        stopsTable_->setMinimumSize(latestChart_->minimumSize());
        latestViews_ = new QStackedWidget;
        latestViews_->addWidget(latestChart_);
        latestViews_->addWidget(stopsTable_);
        column->addWidget(latestViews_, 1);
        tableButton_ = new QPushButton(QStringLiteral("表で見る"));
        tableButton_->setCheckable(true);
        connect(tableButton_, &QPushButton::toggled, this, [this](bool table) {
            latestViews_->setCurrentIndex(table ? 1 : 0);
            tableButton_->setText(table ? QStringLiteral("グラフで見る") : QStringLiteral("表で見る"));
        });
        auto* buttonRow = new QHBoxLayout;
        buttonRow->addStretch(1);
        buttonRow->addWidget(tableButton_);
        column->addLayout(buttonRow);
        column->addWidget(noteLabel(QStringLiteral(
            "合計はこのゲームのスコアで、1〜9 回目の反応に、誤キー 1 回ごとに 500 ms を足したものです。"
            "10 回目（薄い棒）の時間はスコアに入りません。平均から ばらつきまでは 10 回すべての反応です。")));
        auto* form = new QFormLayout;
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        const std::pair<const char*, const char*> rows[] = {
            {"合計", "合計（スコア）"},    {"平均", "平均（10 回）"}, {"中央値", "中央値（10 回）"},
            {"最速", "最速（10 回）"},     {"最遅", "最遅（10 回）"}, {"ばらつき", "ばらつき（10 回）"},
            {"ミス", "ミス（誤キー）"}};
        for (const auto& [name, caption] : rows) {
            QLabel* value = plainLabel(nullptr, QString());
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            QLabel* label = plainLabel(nullptr, QString::fromUtf8(caption));
            label->setBuddy(value);
            form->addRow(label, value);
            latestFigures_.emplace_back(QString::fromUtf8(name), value);
        }
        column->addLayout(form);
    }
    contents[1] = new QWidget;
    {
        auto* column = new QVBoxLayout(contents[1]);
        historyChart_ = new HistoryChart;
        historyChart_->setAccessibleName(QStringLiteral("履歴のグラフ"));
        historyNote_ = noteLabel();
        column->addWidget(historyChart_, 1);
        column->addWidget(historyNote_);
    }
    contents[2] = new QWidget;
    {
        auto* column = new QVBoxLayout(contents[2]);
        keyboard_ = new KeyboardChart;
        keyboard_->setAccessibleName(QStringLiteral("キー別のキーボード"));
        slowestNote_ = noteLabel();
        column->addWidget(keyboard_, 1);
        column->addWidget(slowestNote_);
    }
    contents[3] = new QWidget;
    {
        auto* column = new QVBoxLayout(contents[3]);
        histogram_ = new ReactionHistogram;
        histogram_->setAccessibleName(QStringLiteral("分布のグラフ"));
        histogramNote_ = noteLabel();
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
        sentences_[i] = noteLabel();
        sentences_[i]->setAlignment(Qt::AlignCenter);
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
    // Elided, so that a long path cannot widen the window.
    exportDone_ = plainLabel<ElidingLabel>(this, QString(), "lblExportDone");
    exportDone_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportButton_);
    buttons->addWidget(exportDone_, 1);
    buttons->addWidget(closeButton_);
    notice_ = noteLabel();
    notice_->setObjectName(QStringLiteral("lblHistoryNotice"));
    notice_->hide();
    historySource_ = plainLabel<ElidingLabel>(this, QString());
    historySource_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice_);
    layout->addWidget(tabs_, 1);
    layout->addWidget(historySource_);
    layout->addLayout(buttons);

    showLoading();
}

void StatsWindow::placeBeside(const QWidget& mainWindow, const QRect& keepClear)
{
    const QScreen* screen = mainWindow.screen() != nullptr ? mainWindow.screen() : QGuiApplication::primaryScreen();
    keepLeastSize();
    if (screen == nullptr)
        return;
    // This window is not framed yet; the main window's frame says what the window manager adds.
    const QRect outer = mainWindow.frameGeometry();
    const QRect client = mainWindow.geometry();
    const QMargins frame(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                         outer.bottom() - client.bottom());
    const QRect placed = besidePlacement(kPreferredSize.grownBy(frame), minimumSize().grownBy(frame), outer, keepClear,
                                         screen->availableGeometry());
    setGeometry(placed.marginsRemoved(frame));
}

void StatsWindow::keepLeastSize()
{
    // Wrapped lines need more height the narrower they are, which a layout's minimum size leaves
    // out: the least size is the least width with the height its texts take there.
    QLayout* whole = layout();
    const int width = whole->totalMinimumSize().width();
    const int height = whole->hasHeightForWidth() ? whole->totalHeightForWidth(width) : 0;
    const QSize least(width, std::max(height, whole->totalMinimumSize().height()));
    if (least != minimumSize())
        setMinimumSize(least);
}

bool StatsWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // After the layouts have taken in every text that changed.
    if (event->type() == QEvent::LayoutRequest)
        keepLeastSize();
    return handled;
}

void StatsWindow::setHistorySource(const QString& sentence)
{
    historySource_->setText(sentence);
    historySource_->setVisible(!sentence.isEmpty());
}

void StatsWindow::setExportDone(const QString& sentence)
{
    exportDone_->setText(sentence);
    exportDone_->setToolTip(sentence);
}

QString StatsWindow::exportDone() const
{
    return exportDone_->text();
}

QString StatsWindow::historySource() const
{
    return historySource_->isHidden() ? QString() : historySource_->text();
}

void StatsWindow::showSentence(const QString& sentence)
{
    for (int i = 0; i < kTabs; ++i) {
        sentences_[i]->setText(sentence);
        pages_[i]->setCurrentIndex(0);
        chart(i)->setAccessibleDescription(sentence);
    }
}

void StatsWindow::showLoading()
{
    showSentence(QStringLiteral("成績を読み込んでいます…"));
    exportButton_->setEnabled(false);
}

void StatsWindow::showNotice(const QString& text)
{
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
}

QString StatsWindow::leftOutSentence(const GameCheck::FaultCounts& leftOut)
{
    const char* const reasons[GameCheck::kFaults] = {"ストップが 10 個でない", "文字が A〜Z でない",
                                                     "反応時間が 0〜1 時間の外", "日時がありえない",
                                                     "スコア・ミス・誤キーが負か数でない"};
    QStringList parts;
    int total = 0;
    for (std::size_t i = 0; i < GameCheck::kFaults; ++i) {
        if (leftOut[i] == 0)
            continue;
        total += leftOut[i];
        parts << QStringLiteral("%1: %2").arg(QString::fromUtf8(reasons[i])).arg(leftOut[i]);
    }
    if (total == 0)
        return {};
    return QStringLiteral("履歴のうち %1 ゲームは読めない値を含むため、成績から除きました（%2）。CSV には記録されたまま書き出します。")
        .arg(total)
        .arg(parts.join(QStringLiteral("、")));
}

void StatsWindow::setFigures(const ResultsFigures& figures)
{
    const HistorySummary& summary = figures.summary;
    const QString readProblem = QString::fromStdString(summary.readProblem);
    const QString leftOut = leftOutSentence(summary.leftOut);
    if (summary.empty() || !summary.latest) {
        showNotice({});
        if (!readProblem.isEmpty())
            showSentence(QStringLiteral("成績の履歴を読めませんでした。\n%1\nこの実行で終えたゲームは、ここに出ます。").arg(readProblem));
        else if (!leftOut.isEmpty())
            showSentence(leftOut);
        else
            showSentence(QStringLiteral("終わったゲームはまだありません。\n10 回目の文字まで打ち終えると、ここに成績が出ます。"));
        exportButton_->setEnabled(readProblem.isEmpty() && !leftOut.isEmpty());
        return;
    }
    showNotice(readProblem.isEmpty() ? leftOut
                                     : QStringLiteral("成績の履歴を読めませんでした。%1 この実行で終えたゲームだけを出しています。")
                                           .arg(readProblem));
    for (int i = 0; i < kTabs; ++i) {
        sentences_[i]->clear();
        pages_[i]->setCurrentIndex(1);
    }
    exportButton_->setEnabled(true);

    setLatestGame(figures);

    historyChart_->setScores(summary.scores, figures.runningMean, figures.bestGame);
    historyNote_->setText(QStringLiteral("ゲーム %1 回（最初のゲーム %2）。点は各ゲームのスコア、太い線は直近 10 ゲームの平均、赤い輪は最高スコアです。")
                              .arg(summary.scores.size())
                              .arg(QString::fromStdString(
                                  isoTimestamp(summary.firstFinishedAtMs, summary.firstUtcOffsetMinutes)
                                      .value_or(std::string())
                                      .substr(0, 10))));
    historyChart_->setAccessibleDescription(
        QStringLiteral("ゲーム %1 回のスコア。最高は %2 ゲーム目の %3、直近 10 ゲームの平均は %4。")
            .arg(summary.scores.size())
            .arg(figures.bestGame + 1)
            .arg(wholeMs(summary.scores[figures.bestGame]), wholeMs(figures.runningMean.back())));

    setKeyboard(figures);

    histogram_->setHistogram(figures.histogram, figures.medianMs, figures.tenthPercentileMs,
                             figures.ninetiethPercentileMs);
    histogramNote_->setText(
        QStringLiteral("全ゲームの反応 %1 回（10 回目も含む）を 10 ms ごとに数えています。%2")
            .arg(summary.reactions.size())
            .arg(figures.histogram.lastBinOpen ? QStringLiteral("右端の棒には、それより遅い反応もすべて入っています。")
                                               : QString()));
    histogram_->setAccessibleDescription(QStringLiteral("反応 %1 回の分布。中央値 %2、速い方から 10% は %3、90% は %4。")
                                             .arg(summary.reactions.size())
                                             .arg(wholeMs(figures.medianMs), wholeMs(figures.tenthPercentileMs),
                                                  wholeMs(figures.ninetiethPercentileMs)));
}

void StatsWindow::setLatestGame(const ResultsFigures& figures)
{
    const FinishedGame& latest = *figures.summary.latest;
    latestChart_->setGame(latest);
    const QString values[] = {wholeMs(static_cast<double>(latest.score)),
                              milliseconds(figures.latestMeanMs),
                              milliseconds(figures.latestMedianMs),
                              milliseconds(figures.latestFastestMs),
                              milliseconds(figures.latestSlowestMs),
                              milliseconds(figures.latestSpreadMs),
                              QStringLiteral("%1 回").arg(latest.misses)};
    for (std::size_t i = 0; i < latestFigures_.size(); ++i)
        latestFigures_[i].second->setText(values[i]);

    if (!figures.versusPreviousMs || !figures.versusBestMs)
        comparison_->setText(QStringLiteral("最初のゲームです。次のゲームからは前回と自己ベストに比べます。"));
    else if (figures.newBest)
        comparison_->setText(QStringLiteral("★ 自己ベスト更新！ これまでのベスト比 %1、前回比 %2（マイナスは速い）。")
                                 .arg(signedMs(*figures.versusBestMs), signedMs(*figures.versusPreviousMs)));
    else
        comparison_->setText(QStringLiteral("前回比 %1、自己ベスト比 %2（マイナスは速い）。")
                                 .arg(signedMs(*figures.versusPreviousMs), signedMs(*figures.versusBestMs)));

    stopsTable_->setRowCount(static_cast<int>(latest.stops.size()));
    std::size_t slowest = 0;
    for (std::size_t i = 0; i < latest.stops.size(); ++i) {
        const StopResult& stop = latest.stops[i];
        if (stop.reactionUs > latest.stops[slowest].reactionUs)
            slowest = i;
        const bool tenth = i == 9;
        const QString cells[] = {tenth ? QStringLiteral("10（スコア外）") : QString::number(i + 1),
                                 QString(QChar(stop.letter >= 'A' && stop.letter <= 'Z' ? stop.letter : '?')),
                                 QString::number(static_cast<double>(stop.reactionUs) / 1000.0, 'f', 1),
                                 QString::number(stop.wrongKeys)};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(column >= 2 ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter);
            stopsTable_->setItem(static_cast<int>(i), column, item);
        }
    }
    const QString description =
        latest.stops.empty()
            ? QStringLiteral("合計 %1、ミス %2 回。").arg(values[0]).arg(latest.misses)
            : QStringLiteral("合計 %1、ミス %2 回。いちばん遅かったのは %3 回目の %4 で %5。")
                  .arg(values[0])
                  .arg(latest.misses)
                  .arg(slowest + 1)
                  .arg(QChar(latest.stops[slowest].letter))
                  .arg(wholeMs(static_cast<double>(latest.stops[slowest].reactionUs) / 1000.0));
    latestChart_->setAccessibleDescription(description);
    stopsTable_->setAccessibleDescription(description);
}

void StatsWindow::setKeyboard(const ResultsFigures& figures)
{
    keyboard_->setLetters(figures.letters, ResultsFigures::kLeastReactionsPerLetter, figures.medianMs,
                          figures.keyScaleMs);
    const QString stillNeeded =
        QStringLiteral("あと %1 ゲームほどで、ほとんどの文字が %2 回以上出ます。")
            .arg(figures.gamesStillNeeded)
            .arg(ResultsFigures::kLeastReactionsPerLetter);
    QString sentence;
    if (!figures.slowest.empty()) {
        QStringList names;
        for (const Statistics::LetterSummary& letter : figures.slowest)
            names << QStringLiteral("%1（%2）").arg(QChar(letter.letter)).arg(wholeMs(letter.medianMs));
        sentence = QStringLiteral("いつも（中央値 %1）より遅い文字: %2。")
                       .arg(wholeMs(figures.medianMs), names.join(QStringLiteral("、")));
        if (figures.gamesStillNeeded > 0)
            sentence += QStringLiteral("まだデータが少なく、変わることがあります。") + stillNeeded;
    } else if (figures.gamesStillNeeded > 0) {
        sentence = QStringLiteral("遅い文字はまだ言えません。") + stillNeeded;
    } else {
        sentence = QStringLiteral("いつも（中央値 %1）より遅く、%2 回以上出た文字はありません。")
                       .arg(wholeMs(figures.medianMs))
                       .arg(ResultsFigures::kLeastReactionsPerLetter);
    }
    keyboard_->setAccessibleDescription(sentence);
    slowestNote_->setText(sentence
                          + QStringLiteral("キーの数字は反応時間の中央値 (ms) と回数で、色はいつもより速い（緑）か遅い（赤）か、灰色は %1 回未満の文字です。")
                                .arg(ResultsFigures::kLeastReactionsPerLetter));
}

QString StatsWindow::notice() const
{
    return notice_->isVisibleTo(this) ? notice_->text() : QString();
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

QString StatsWindow::comparisonSentence() const
{
    return comparison_->text();
}

QString StatsWindow::slowestLettersSentence() const
{
    return slowestNote_->text();
}

QWidget* StatsWindow::chart(int tab) const
{
    QWidget* const charts[kTabs] = {latestChart_, historyChart_, keyboard_, histogram_};
    return tab >= 0 && tab < kTabs ? charts[tab] : nullptr;
}
