#include "CliContext.h"

#include "cli/CliOutput.h"
#include "contacts/ContactStore.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"

#include <QtGlobal>

namespace {

// A profile made under a looser mask is closed before the store is opened in it.
std::shared_ptr<Registry> openPrivateProfile(const CliContext::OpenStore& openStore) {
    AppPaths::makeOwnFilesPrivate();
    std::shared_ptr<Registry> store = openStore();
    Settings settings(*store);
    if (!settings.serverAddress())
        settings.runFirstStart({});
    return store;
}

} // namespace

CliContext::CliContext(const OpenStore& openStore)
    : m_registry(openPrivateProfile(openStore))
    , m_client(std::make_shared<ServiceClient>(m_registry)) {
}

CliContext::~CliContext() = default;

bool CliContext::loadUserKey(QString* error) {
    const QByteArray stored = Ansi::fromUnicode(Settings(*m_registry).storedUserKey());
    if (StoredValueCipher::IsPlainUserKey(stored) || stored.size() <= 48) {
        m_client->setUserKey(Ansi::toUnicode(stored));
        return true;
    }
    const std::optional<QByteArray> protectedKey =
        StoredValueCipher::DecipherValue(stored, StoredValueCipher::kUserKeyKey);
    if (!protectedKey) {
        *error = QStringLiteral("the stored account key is damaged");
        return false;
    }
    if (!qEnvironmentVariableIsSet(kPasswordVariable)) {
        *error = QStringLiteral("the account key is protected by an access password; "
                                "set %1")
                     .arg(QLatin1String(kPasswordVariable));
        return false;
    }
    const QByteArray password = Ansi::fromUnicode(qEnvironmentVariable(kPasswordVariable));
    const QByteArray key = StoredValueCipher::ScrambleWithPassword(*protectedKey, password);
    if (!StoredValueCipher::IsPlainUserKey(key)) {
        *error = QStringLiteral("wrong access password");
        return false;
    }
    m_client->setUserKey(Ansi::toUnicode(key));
    return true;
}

bool CliContext::loadBook(ContactBook& book) const {
    try {
        ContactStore(*m_registry).LoadContacts(book);
        return true;
    } catch (const ContactStoreError& e) {
        CliOutput::error(QString::fromStdString(e.what()));
        return false;
    }
}
