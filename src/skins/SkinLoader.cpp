#include "SkinLoader.h"

#include "SkinReader.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

const QString kThemeValue = QStringLiteral("Theme");

std::unique_ptr<Registry> openStore() {
    try {
        return std::make_unique<Registry>();
    } catch (const RegistryError&) {
        return nullptr;
    }
}

// An empty or unreadable value names the default skin.
QString readTheme(const Registry* store) {
    QString theme;
    try {
        if (store)
            theme = store->readString(QString(), kThemeValue);
    } catch (const RegistryError&) {
        theme.clear();
    }
    return theme.isEmpty() ? SkinLoader::defaultTheme() : theme;
}

SkinError::Kind errorKind(SkinReader::Status status) {
    switch (status) {
    case SkinReader::Status::Ok:
        return SkinError::Kind::None;
    case SkinReader::Status::BadFormat:
        return SkinError::Kind::BadFormat;
    case SkinReader::Status::BadVersion:
        return SkinError::Kind::BadVersion;
    case SkinReader::Status::ReadError:
        break;
    }
    return SkinError::Kind::ReadError;
}

} // namespace

SkinLoader::Result SkinLoader::load(const QString& skinPath, const QString& workFolder) {
    Result result;
    result.error.path = skinPath;
    if (!QFileInfo(skinPath).isFile()) {
        result.error.kind = SkinError::Kind::NotFound;
        return result;
    }
    QFile file(skinPath);
    if (!file.open(QIODevice::ReadOnly) || workFolder.isEmpty()) {
        result.error.kind = SkinError::Kind::ReadError;
        return result;
    }
    SkinReader reader(file);
    SkinReader::Status status = reader.readHeader();
    if (status == SkinReader::Status::Ok)
        status = reader.unpackTo(workFolder);
    result.error.kind = errorKind(status);
    if (result.error.failed())
        return result;
    result.displayName = reader.name();
    result.workFolder = workFolder;
    result.colors = SkinColors::fromConfig(workFolder + QStringLiteral("Config.cfg"));
    return result;
}

SkinLoader::Result SkinLoader::loadActive() {
    const std::unique_ptr<Registry> store = openStore();
    const QString theme = readTheme(store.get());
    const QString path = AppPaths::skinFile(theme);
    Result result;
    // A Theme that names another folder is not one of our skins; it resets like a missing one.
    if (theme.contains(QLatin1Char('/')) || theme.contains(QLatin1Char('\\')))
        result.error = {SkinError::Kind::NotFound, path};
    else
        result = load(path, AppPaths::skinWorkFolder());
    if (result.error.kind == SkinError::Kind::NotFound && store) {
        try {
            store->writeString(QString(), kThemeValue, defaultTheme());
        } catch (const RegistryError&) {
            // The program ends next anyway and the message names the missing file.
        }
    }
    return result;
}
