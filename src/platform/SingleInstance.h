#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Finds a running copy of the program through a local socket of the user and the profile.
// The first copy listens; a later one hands it a message and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // One per user session and settings folder, so that two profiles run side by side.
    static QString defaultName();
    static QString nameForProfile(const QString& settingsFolder);

    // The request a later start hands over, as both numbers: show the running copy's window.
    static constexpr int kShowWindow = 255;

    // True when another copy answered and took the message (`request`, `detail`).
    bool handOver(int request, int detail);
    // Waits until no copy answers on the name any more (a copy that is ending); false when
    // one still answers after `timeoutMs`. Sends nothing.
    bool waitUntilFree(int timeoutMs);
    // Starts listening; false when the name cannot be taken.
    bool listen();

signals:
    void messageReceived(int request, int detail);

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};
