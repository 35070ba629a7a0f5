#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP (the session is ending, or someone asks the program to stop) into
// a Qt signal on the event loop, so the program can end as its quit command does. The handler
// only writes a byte into a pipe; everything else happens on the user-interface thread.
// One instance at a time.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
};
