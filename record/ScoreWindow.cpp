#include "record/ScoreWindow.h"

#include "platform/Fonts.h"
#include "platform/WindowPlacement.h"
#include "record/RecordWindowLook.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

ScoreWindow::ScoreWindow(const RecordStore& file, ProblemReporter reportProblem, QWidget* parent)
    : RecordDialog(parent),
      file_(file),
      reportProblem_(std::move(reportProblem))
{
    using Look = RecordWindowLook;
    setObjectName(QStringLiteral("frmScore"));
    setWindowTitle(QStringLiteral("過去最高スコア"));
    setFixedSize(312, 135);
    setFont(gothicFont(9));

    growToText(*Look::label(this, "Label1", QStringLiteral("このゲームではスコアの少ない方が高得点です。"),
                            QRect(32, 16, 250, 12)),
               QRect(4, 2, 304, 44));  // above the boxes
    QLabel* champion = Look::label(this, "Label2", QStringLiteral("チャンピオン"), QRect(8, 52, 62, 12));  // the layout's top is 52.5

    const QColor paleYellow(0xFF, 0xFF, 0xC0);
    lblName_ = Look::valueLabel(this, "lblName", QStringLiteral("-"), QRect(72, 48, 137, 21), paleYellow,
                                Qt::AlignLeft, gothicFont(12));
    lblScore_ = Look::valueLabel(this, "lblScore", QStringLiteral("0"), QRect(208, 48, 97, 21), paleYellow,
                                 Qt::AlignRight, gothicFont(12));
    // Any name (kanji, Latin letters with descenders) and any score stay whole in their boxes;
    // where a font's lines are taller than the boxes, both grow alike above and below.
    growToText(*lblName_, QRect(72, 40, 137, 37), QStringLiteral("山田太郎Quigley"));
    growToText(*lblScore_, QRect(208, 40, 97, 37), QStringLiteral("0123456789"));
    // Grown to its text, the heading would run under the name box in a wider font: it then moves
    // left, but stays clear of the window's edge, and the name box gives up the rest of its
    // left part (a name has room to spare there).
    constexpr int kEdgeGap = 4;
    constexpr int kHeadingGap = 2;
    growToText(*champion, QRect(kEdgeGap, 40, 200, 36));
    const int overlap = champion->geometry().right() + 1 + kHeadingGap - lblName_->x();
    if (overlap > 0) {
        const int byMoving = std::min(overlap, champion->x() - kEdgeGap);
        champion->move(champion->x() - byMoving, champion->y());
        lblName_->setGeometry(lblName_->geometry().adjusted(overlap - byMoving, 0, 0, 0));
    }

    cmdClose_ = new QPushButton(QStringLiteral("OK"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setGeometry(112, 96, 89, 25);
    cmdClose_->setDefault(true);
    connect(cmdClose_, &QPushButton::clicked, this, &ScoreWindow::cmdCloseClicked);

    centreOnScreen(*this);
}

void ScoreWindow::load()
{
    const ScoreReadResult result = file_.read();
    switch (result.status) {
    case ScoreReadResult::Status::Ok:
        setRecord(QString::fromStdString(result.record.name), QString::fromStdString(result.record.score));
        break;
    case ScoreReadResult::Status::Missing:
        break;
    case ScoreReadResult::Status::Damaged:
        holdsRecord_ = false;
        reportProblem_(this, QString::fromStdString(result.problem));
        break;
    }
}

void ScoreWindow::setRecord(const QString& name, const QString& score)
{
    lblName_->setText(name);
    lblScore_->setText(score);
    holdsRecord_ = true;
}

void ScoreWindow::showNewRecord(const QString& name, const QString& score)
{
    setRecord(name, score);
    unsaved_ = true;
}

void ScoreWindow::cmdCloseClicked()
{
    if (holdsRecord_) {
        const std::optional<std::string> problem =
            file_.write({lblName_->text().toStdString(), lblScore_->text().toStdString()});
        if (problem) {
            // The window stays open with the record, so the player can try OK again. This is
            // also where a better record saved meanwhile by another copy is reported.
            reportProblem_(this, QString::fromStdString(*problem));
            return;
        }
    }
    unsaved_ = false;
    close();
}
