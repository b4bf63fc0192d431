#pragma once

#include "BenchProfile.h"
#include "SandboxProcess.h"

#include <QProcessEnvironment>
#include <QStringList>

class Registry;

// A profile as a regular user has it: 2,000 contacts in 50 groups (every other one open),
// 3,000 history records, no splash, and an account on a sandbox service started for the
// bench, so that the program logs in and idles as it does at a user's.
class StartupProfile {
public:
    // Starts the sandbox and writes the profile; false with `error` set.
    bool prepare(QString* error);
    // The window fades (SlowHideOnClose and UseAlphaBlend) on or off for the next starts.
    void setFades(bool on);

    // For the programs started in this profile, on the X server of $DISPLAY.
    const QProcessEnvironment& environment() const { return m_profile.environment(); }
    // The protocol commands the service has answered since the last call, by name.
    QStringList newCommands();

private:
    void writeContacts(Registry& registry) const;
    void writeHistory() const;

    BenchProfile m_profile;
    SandboxProcess m_sandbox;
    qint64 m_logSeen = 0;
};
