#pragma once

#include "platform/ProblemReporter.h"
#include "record/RecordDialog.h"
#include "game/RecordStore.h"

class QLabel;
class QPushButton;

// frmScore: shows the record holder's name and score; OK stores them in the score file.
// The labels are the only copy of the record the window holds.
class ScoreWindow : public RecordDialog {
    Q_OBJECT
public:
    // `file` outlives the window.
    ScoreWindow(const RecordStore& file, ProblemReporter reportProblem, QWidget* parent = nullptr);

    // Fills the labels from the file. Without a file the layout's "-" and "0" stay; a damaged
    // file is reported, and as the window then shows no record, OK will not overwrite it.
    void load();

    void setRecord(const QString& name, const QString& score);

    // A record that is not in the file yet: closing the window without OK asks first.
    void showNewRecord(const QString& name, const QString& score);
    bool holdsUnsavedRecord() const override { return unsaved_; }

    QLabel* lblName() const { return lblName_; }
    QLabel* lblScore() const { return lblScore_; }
    QPushButton* cmdClose() const { return cmdClose_; }

private:
    void cmdCloseClicked();

    const RecordStore& file_;
    ProblemReporter reportProblem_;
    bool holdsRecord_ = true;
    bool unsaved_ = false;
    QLabel* lblName_ = nullptr;
    QLabel* lblScore_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};
