#include "ui/CommandKeys.h"

#include <QAction>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShortcut>
#include <QToolTip>

namespace {

bool choosesOrMoves(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Escape:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        return false;
    }
}

} // namespace

CommandKeys::CommandKeys(QMenuBar& bar, std::vector<Command> commands, QWidget& home)
    : QObject(&bar), bar_(bar), commands_(std::move(commands)), home_(home)
{
    for (const Command& command : commands_)
        command.action->setToolTip(QStringLiteral("%1 (%2)").arg(command.action->text(),
                                                                 command.key.toString(QKeySequence::NativeText)));
    openKey_ = new QShortcut(QKeySequence(Qt::Key_F10), &bar_);
    openKey_->setContext(Qt::WindowShortcut);
    connect(openKey_, &QShortcut::activated, this, &CommandKeys::openBar);
    bar_.installEventFilter(this);
    setEnabled(true);
}

void CommandKeys::setEnabled(bool enabled)
{
    enabled_ = enabled;
    openKey_->setEnabled(enabled);
    // An action keeps its shortcut only while it may act, so that Qt's own places (a screen
    // reader's key binding) never name a key that would do something else.
    for (const Command& command : commands_)
        command.action->setShortcut(enabled ? command.key : QKeySequence());
    if (!enabled && barIsOpen())
        leaveBar();
}

bool CommandKeys::barIsOpen() const
{
    return bar_.hasFocus() && bar_.activeAction() != nullptr;
}

void CommandKeys::openBar()
{
    const QList<QAction*> actions = bar_.actions();
    if (actions.isEmpty())
        return;
    bar_.setFocus(Qt::MenuBarFocusReason);
    bar_.setActiveAction(actions.first());
}

void CommandKeys::leaveBar()
{
    bar_.setActiveAction(nullptr);
    home_.setFocus(Qt::MenuBarFocusReason);
}

bool CommandKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &bar_)
        return false;
    switch (event->type()) {
    case QEvent::ToolTip: {
        // The bar shows no tooltips of its own.
        const auto* help = static_cast<const QHelpEvent*>(event);
        if (QAction* action = bar_.actionAt(help->pos()))
            QToolTip::showText(help->globalPos(), action->toolTip(), &bar_, bar_.actionGeometry(action));
        else
            QToolTip::hideText();
        return true;
    }
    case QEvent::ShortcutOverride: {
        // Within the open bar Enter chooses the command instead of pressing the start button.
        auto* key = static_cast<QKeyEvent*>(event);
        if (enabled_ && barIsOpen() && choosesOrMoves(key->key())) {
            key->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        if (!barIsOpen())
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            leaveBar();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            QAction* chosen = bar_.activeAction();
            leaveBar();
            chosen->trigger();
            return true;
        }
        return false;  // the arrows: the bar moves along itself
    }
    case QEvent::FocusOut:
        bar_.setActiveAction(nullptr);
        return false;
    default:
        return false;
    }
}
