#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ServiceClient;

// What one login asks of the main window, in the order the window does it.
struct LoginOutcome {
    enum class BalloonKind { Information, Error };
    struct Balloon {
        QString title;
        QString text;
        BalloonKind kind = BalloonKind::Information;
        int timeoutMs = 0;
    };

    std::optional<bool> serverContactsVisible; // the menu items of the book on the service
    QString notice;                            // a notice of the service, shown first
    std::optional<QString> statusText;
    std::optional<Balloon> balloon; // shown only when the user allows balloon tips
    bool retryLater = false;        // the retry timer: a failed login is tried again 30 s later
    bool offerRegistration = false; // the service does not know the key
    QString sound;                  // a sound file, played once the window has done the rest
};

// One login after another: asks the service for the account's information and tells what
// the window must show — status text, balloon, sound, retry, registration. It remembers
// whether the last one failed, so a failure repeated is not announced again.
class LoginRoutine {
public:
    explicit LoginRoutine(std::shared_ptr<ServiceClient> client);

    // What the window shows while a login runs.
    static LoginOutcome connecting();

    // One login; never throws. Nothing when the calling thread is asked to stop meanwhile.
    std::optional<LoginOutcome> login();

    // One login as the login thread runs it: `show` hands "connecting", then the outcome to
    // the window and returns once it is shown (false: the window has gone); the sound plays
    // here afterwards, so the window never waits for it.
    void refresh(const std::function<bool(const LoginOutcome&)>& show);

    bool lastConnectFailed() const { return m_lastConnectFailed; }
    void setLastConnectFailed(bool failed) { m_lastConnectFailed = failed; }

private:
    LoginOutcome judge(const QString& reply);
    LoginOutcome balanceShown();
    LoginOutcome failed();
    QString soundOf(bool connected) const;

    std::shared_ptr<ServiceClient> m_client;
    bool m_lastConnectFailed = false;
};

// An optional "-" (when more follows), then at least one character, each a digit, "," or ".".
bool IsNumberText(const QString& text);
