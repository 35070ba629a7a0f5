#pragma once

#include "platform/EventClock.h"
#include "platform/ProblemReporter.h"
#include "record/RecordDialog.h"

class LeftoverKeyGuard;
class QLabel;
class QLineEdit;
class QPushButton;

// frmUserName: asks a new champion for a name. OK with a name the score file can hold sends
// the name and score on and closes the window; closing it any other way would drop the record,
// so the player is asked first.
class UserNameWindow : public RecordDialog {
    Q_OBJECT
public:
    // `clock` times the keys the window keeps out as left over from the game.
    UserNameWindow(const Clock& clock, ProblemReporter reportProblem, QWidget* parent = nullptr);

    // Until OK sends it on, the window holds the only copy of the new record.
    bool holdsUnsavedRecord() const override { return !confirmed_; }

    QLineEdit* txtName() const { return txtName_; }
    QLabel* lblScore() const { return lblScore_; }
    QPushButton* cmdOK() const { return cmdOK_; }

    // Shown for a new record: keys the player is still typing into the game stay out of the box.
    void ignoreLeftoverKeys();
    const LeftoverKeyGuard& leftoverKeys() const { return *leftoverKeys_; }

signals:
    void nameConfirmed(const QString& name, const QString& score);

private:
    void cmdOKClicked();

    ProblemReporter reportProblem_;
    bool confirmed_ = false;
    QLineEdit* txtName_ = nullptr;
    QLabel* lblScore_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    EventClock times_;
    LeftoverKeyGuard* leftoverKeys_ = nullptr;
};
