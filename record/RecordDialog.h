#pragma once

#include <QDialog>

// What the name-entry and best-score windows share in how they behave: a window of their own that
// frees itself when closed, that Escape does not close (the layout has no such key, and in these
// windows it would throw a new record away at one key press), and that asks before a close loses
// a new record not yet in the file.
class RecordDialog : public QDialog {
    Q_OBJECT
public:
    // Why a new record would be lost: the player asked to close the window that holds it, or to
    // quit the program.
    enum class Loss { ClosingWindow, Quitting };

    // A new record shown here that is not in the file yet.
    virtual bool holdsUnsavedRecord() const = 0;

    // Brings the window forward and asks the player, over it, whether the record may be lost;
    // true without a question when it holds none.
    bool mayLoseRecord(Loss loss);

protected:
    explicit RecordDialog(QWidget* parent = nullptr);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
