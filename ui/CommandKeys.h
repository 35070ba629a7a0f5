#pragma once

#include <QKeySequence>
#include <QObject>

#include <vector>

class QAction;
class QMenuBar;
class QShortcut;
class QWidget;

// The keyboard's way to the menu bar's commands, whose captions stay as they are: each command
// has a shortcut, named in its tooltip; F10 highlights the first command, the arrows move along
// the bar, Enter or Space chooses and Escape leaves. While a game runs every key-down belongs to
// the game, so all of this is switched off and each of these keys is judged like any other.
class CommandKeys final : public QObject {
public:
    struct Command {
        QAction* action;
        QKeySequence key;
    };

    // `home` takes the keyboard focus back when the bar is left.
    CommandKeys(QMenuBar& bar, std::vector<Command> commands, QWidget& home);

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openBar();
    void leaveBar();
    bool barIsOpen() const;

    QMenuBar& bar_;
    std::vector<Command> commands_;
    QWidget& home_;
    QShortcut* openKey_ = nullptr;
    bool enabled_ = true;
};
