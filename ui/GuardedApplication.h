#pragma once

#include <QApplication>

// A QApplication that turns an exception escaping an event handler into a message naming it,
// then ends the program, instead of an abort with nothing said.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    static void reportFatal(const QString& what);
};
