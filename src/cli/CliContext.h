#pragma once

#include <QString>

#include <functional>
#include <memory>

class ContactBook;
class Registry;
class ServiceClient;

// What a command runs in: the user's settings store (with the first-start values written
// when the profile is new, as the desktop program does) and a client of the service over it.
// Throws RegistryError when the store cannot be opened.
class CliContext {
public:
    // The environment variable that supplies the access password of a protected account key.
    static inline const char* const kPasswordVariable = "VARNELO_ACCESS_PASSWORD";

    // Opens the user's settings store; main() hands it down to every command.
    using OpenStore = std::function<std::shared_ptr<Registry>()>;

    explicit CliContext(const OpenStore& openStore);
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    Registry& registry() const { return *m_registry; }
    std::shared_ptr<Registry> sharedRegistry() const { return m_registry; }
    ServiceClient& client() const { return *m_client; }
    const std::shared_ptr<ServiceClient>& sharedClient() const { return m_client; }

    // Gives the client the account key, unlocking a protected one with the access password.
    // False with a text for the user when it cannot be unlocked.
    bool loadUserKey(QString* error);
    // Reads the contact book from the store; false, with the reason on stderr, when it
    // cannot be read.
    bool loadBook(ContactBook& book) const;

private:
    std::shared_ptr<Registry> m_registry;
    std::shared_ptr<ServiceClient> m_client;
};
