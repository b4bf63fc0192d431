#include "LoggedInProfile.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "shell/MainUnit.h"

#include <QFile>

namespace LoggedInProfile {

std::unique_ptr<TMainForm> start(const QList<BookGroup>& book, int port,
                                 const QString& instanceName) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(AppPaths::registryFile() + QLatin1String(suffix));
    {
        Registry registry;
        registry.writeString({}, {}, kKey);
        registry.writeString({}, QStringLiteral("Host"), QStringLiteral("localhost"));
        registry.writeInteger({}, QStringLiteral("Port"), port);
        ContactBook start;
        start.setGroups(book);
        ContactStore::writeBook(registry, start);
    }
    TMainForm::Options options;
    options.refresh = [] {};
    options.instanceName = instanceName;
    return std::make_unique<TMainForm>(options);
}

} // namespace LoggedInProfile
