#include "LoggedInProfile.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QFile>

namespace LoggedInProfile {

std::shared_ptr<ServiceClient> write(const QList<BookGroup>& book, int port) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(AppPaths::registryFile() + QLatin1String(suffix));
    const auto store = std::make_shared<Registry>();
    Registry& registry = *store;
    Settings settings(registry);
    settings.runFirstStart({});
    settings.set(Setting::ShowSplash, false);
    registry.writeString({}, {}, kKey);
    registry.writeString({}, QStringLiteral("Host"), QStringLiteral("localhost"));
    registry.writeInteger({}, QStringLiteral("Port"), port);
    ContactBook start;
    start.setGroups(book);
    ContactStore::writeBook(registry, start);
    return std::make_shared<ServiceClient>(store);
}

std::unique_ptr<TMainForm> start(std::shared_ptr<ServiceClient> client, const QString& instanceName,
                                 TMainForm::Dialogs dialogs) {
    TMainForm::Options options;
    options.client = std::move(client);
    options.dialogs = std::move(dialogs);
    options.refresh = [] {};
    options.instanceName = instanceName;
    return std::make_unique<TMainForm>(options);
}

std::unique_ptr<TMainForm> start(const QList<BookGroup>& book, int port,
                                 const QString& instanceName, TMainForm::Dialogs dialogs) {
    return start(write(book, port), instanceName, std::move(dialogs));
}

} // namespace LoggedInProfile
