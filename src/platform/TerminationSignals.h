#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP handed to the event loop as a Qt signal, so that the program takes
// its ordinary closing steps instead of dying where it stands. The handler only writes the
// signal's number to a socket pair, the one thing it may safely do; the loop reads it.
// One object at a time; it restores the default handling when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the socket pair could not be made: the signals then keep their default.
    bool isActive() const { return m_notifier != nullptr; }

signals:
    // On the thread that made the object, once for each signal received.
    void received(int signalNumber);

private:
    void readPending();

    int m_sockets[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};
