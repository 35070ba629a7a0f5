#pragma once

#include "platform/EventClock.h"
#include "platform/SteadyClock.h"
#include "record/ProblemReporter.h"

#include <QDialog>

class LeftoverKeyGuard;
class QLabel;
class QLineEdit;
class QPushButton;

// frmUserName: asks a new champion for a name. OK with a name the score file can hold sends
// the name and score on and closes the window; closing it any other way would drop the record,
// so the player is asked first.
class UserNameWindow : public QDialog {
    Q_OBJECT
public:
    explicit UserNameWindow(ProblemReporter reportProblem, QWidget* parent = nullptr);

    QLineEdit* txtName() const { return txtName_; }
    QLabel* lblScore() const { return lblScore_; }
    QPushButton* cmdOK() const { return cmdOK_; }

    // Shown for a new record: keys the player is still typing into the game stay out of the box.
    void ignoreLeftoverKeys();
    const LeftoverKeyGuard& leftoverKeys() const { return *leftoverKeys_; }

signals:
    void nameConfirmed(const QString& name, const QString& score);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdOKClicked();

    ProblemReporter reportProblem_;
    bool confirmed_ = false;
    QLineEdit* txtName_ = nullptr;
    QLabel* lblScore_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    SteadyClock clock_;
    EventClock times_{clock_};
    LeftoverKeyGuard* leftoverKeys_ = nullptr;
};
