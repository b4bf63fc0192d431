#include "CliContext.h"

#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "service/ServiceState.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"

#include <QtGlobal>

namespace {

// A profile made under a looser mask is closed before the store is opened in it.
std::shared_ptr<Registry> openPrivateProfile() {
    AppPaths::makeOwnFilesPrivate();
    return std::make_shared<Registry>();
}

} // namespace

CliContext::CliContext()
    : m_registry(openPrivateProfile())
    , m_link(std::make_shared<CliLink>()) {
    Settings settings(*m_registry);
    std::optional<Settings::ServerAddress> address = settings.serverAddress();
    if (!address)
        address = settings.runFirstStart({});
    ServiceState::SetSettingsStore(m_registry);
    ServiceState::SetServiceAddress(address->host, address->port);
    ServiceState::CheckTextLength.set(settings.checkTextLength());
    MainWindowLink::install(m_link);
}

CliContext::~CliContext() {
    MainWindowLink::install(nullptr);
    ServiceState::SetSettingsStore(nullptr);
}

bool CliContext::loadUserKey(QString* error) {
    const QByteArray stored = Ansi::fromUnicode(Settings(*m_registry).storedUserKey());
    if (StoredValueCipher::IsPlainUserKey(stored) || stored.size() <= 48) {
        ServiceState::UserKey.set(Ansi::toUnicode(stored));
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
    ServiceState::UserKey.set(Ansi::toUnicode(key));
    return true;
}
