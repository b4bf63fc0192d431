#pragma once

#include <QString>

#include <memory>

// What the service commands and the login routine do to the main window, without knowing
// any window. The main window implements it and carries every call over to its own thread;
// the calls come from whichever thread runs the command. The two that wait (messages 254 and
// 253) are best carried with RunAndWait (BlockingHandoff.h), so that a window stopping the
// login thread while closing never waits for a worker that waits for it.
class MainWindowLink {
public:
    enum class BalloonKind { Information, Error };

    virtual ~MainWindowLink() = default;

    // Timer1 off and on again: the balance is fetched 60 s after a paid command.
    virtual void RestartBalanceTimer() = 0;
    // The menu items N21, N22 and the separator N16.
    virtual void SetServerContactsVisible(bool visible) = 0;
    // Message 254: show ServiceState::ServiceMessage; returns once it has been handled.
    virtual void ShowServiceMessage() = 0;
    // Message 253: open the registration dialog; returns once it has been closed.
    virtual void OfferRegistration() = 0;

    virtual void SetStatusText(const QString& text) = 0;
    // Shown only when the user allows balloon tips.
    virtual void ShowBalloon(const QString& title, const QString& text, BalloonKind kind,
                             int timeoutMs) = 0;
    // ConnectTimeOutTimer on: a failed login is retried 30 s later.
    virtual void EnableConnectTimeOutTimer() = 0;
    // Plays an existing sound file and returns when it has ended.
    virtual void PlaySoundFile(const QString& path) = 0;

    // The link of the running program; without one installed, calls go nowhere (a program
    // without a main window, such as the command-line tool, may install its own).
    static void install(std::shared_ptr<MainWindowLink> link);
    static std::shared_ptr<MainWindowLink> current();
};
