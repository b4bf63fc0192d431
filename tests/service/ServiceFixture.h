#pragma once

#include "RecordingLink.h"

#include <QString>

#include <memory>

class Registry;
class Settings;

// The program-wide service state set up as a fresh start would leave it: a new settings
// store in the test profile with the first-start values, the address of a test peer, a
// recording main window and the login values at their initial state.
class ServiceFixture {
public:
    explicit ServiceFixture(const QString& folder);
    ~ServiceFixture();

    // A new store and initial values; the link's record is emptied.
    void reset(quint16 port, const QString& host = QStringLiteral("127.0.0.1"));

    // SendSms through the client object, as the other commands report theirs: the reply, a
    // ServiceError when there is none, and the balance refresh on the recording main window.
    QString sendSms(const QString& userKey, const QString& sender, const QString& text,
                    const QString& number, int delayMinutes) const;

    Registry& registry() const { return *m_registry; }
    std::shared_ptr<Registry> sharedRegistry() const { return m_registry; }
    Settings settings() const;
    RecordingLink& link() const { return *m_link; }

private:
    QString m_folder;
    int m_generation = 0;
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<RecordingLink> m_link;
};
