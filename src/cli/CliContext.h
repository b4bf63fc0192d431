#pragma once

#include "cli/CliLink.h"

#include <QString>

#include <memory>

class Registry;

// The program-wide state a command runs in: the user's settings store (with the first-start
// values written when the profile is new, as the desktop program does), the service address
// and a stand-in main window. Throws RegistryError when the store cannot be opened.
class CliContext {
public:
    // The environment variable that supplies the access password of a protected account key.
    static inline const char* const kPasswordVariable = "VARNELO_ACCESS_PASSWORD";

    CliContext();
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    Registry& registry() const { return *m_registry; }
    std::shared_ptr<Registry> sharedRegistry() const { return m_registry; }
    CliLink& link() const { return *m_link; }

    // Reads the account key into ServiceState::UserKey, unlocking a protected one with the
    // access password. False with a text for the user when it cannot be unlocked.
    bool loadUserKey(QString* error);

private:
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<CliLink> m_link;
};
