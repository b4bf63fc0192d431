#pragma once

#include "WindowRecord.h"

#include <QString>

#include <memory>

class LoginRoutine;
class Registry;
class ServiceClient;
class Settings;

// A service client as a fresh start would leave it: a new settings store in the test profile
// with the first-start values and the address of a test peer, no account key, and a record of
// what the main window would be asked to do.
class ServiceFixture {
public:
    explicit ServiceFixture(const QString& folder);
    ~ServiceFixture();

    // A new store, client and login routine; the record is emptied.
    void reset(quint16 port, const QString& host = QStringLiteral("127.0.0.1"));

    // One login round as the login thread runs it, without the sound: "connecting", then the
    // outcome, both recorded.
    void login();

    // SendSms through the client, as the other commands report theirs: the reply, a
    // ServiceError when there is none, and the balance refresh in the record.
    QString sendSms(const QString& userKey, const QString& sender, const QString& text,
                    const QString& number, int delayMinutes);

    Registry& registry() const { return *m_registry; }
    std::shared_ptr<Registry> sharedRegistry() const { return m_registry; }
    ServiceClient& client() const { return *m_client; }
    const std::shared_ptr<ServiceClient>& sharedClient() const { return m_client; }
    LoginRoutine& routine() const { return *m_routine; }
    Settings settings() const;
    WindowRecord& record() const { return m_record; }

private:
    QString m_folder;
    int m_generation = 0;
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<ServiceClient> m_client;
    std::unique_ptr<LoginRoutine> m_routine;
    mutable WindowRecord m_record;
};
