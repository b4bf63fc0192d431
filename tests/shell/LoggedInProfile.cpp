#include "LoggedInProfile.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QFile>

namespace LoggedInProfile {

void write(const QList<BookGroup>& book, int port) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(AppPaths::registryFile() + QLatin1String(suffix));
    Registry registry;
    Settings settings(registry);
    settings.runFirstStart({});
    settings.set(Setting::ShowSplash, false);
    registry.writeString({}, {}, kKey);
    registry.writeString({}, QStringLiteral("Host"), QStringLiteral("localhost"));
    registry.writeInteger({}, QStringLiteral("Port"), port);
    ContactBook start;
    start.setGroups(book);
    ContactStore::writeBook(registry, start);
}

std::unique_ptr<TMainForm> start(const QList<BookGroup>& book, int port,
                                 const QString& instanceName, TMainForm::Dialogs dialogs) {
    write(book, port);
    TMainForm::Options options;
    options.dialogs = std::move(dialogs);
    options.refresh = [] {};
    options.instanceName = instanceName;
    return std::make_unique<TMainForm>(options);
}

} // namespace LoggedInProfile
