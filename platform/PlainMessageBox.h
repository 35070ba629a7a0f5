#pragma once

#include <QString>

class QWidget;

// The program's message boxes. Their text often comes from outside (a file's content, a name,
// a system error), so it is always shown as plain text: markup such as <img src=...> is shown,
// never rendered or loaded.
class PlainMessageBox {
public:
    // Titled with the program's name, an OK button, no icon. Returns when the player closes it.
    static void show(QWidget* parent, const QString& text);

    // A yes/no question in the program's words. "いいえ" is the default and what Escape or the
    // close box answer, so a stray Enter keeps things as they are. True for "はい".
    static bool ask(QWidget* parent, const QString& question);

    // The same box, but it does not wait: it stands over the owner's window until the player
    // closes it, while the program goes on.
    static void notify(QWidget* owner, const QString& text);

    // A critical error box without a parent, for the last words before the program ends.
    static void showFatal(const QString& text);
};
