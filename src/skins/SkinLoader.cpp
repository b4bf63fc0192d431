#include "SkinLoader.h"

#include "SkinReader.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>

namespace {

// An empty or unreadable value names the default skin.
QString readTheme(Registry& store) {
    try {
        return Settings(store).theme();
    } catch (const RegistryError&) {
        return SkinLoader::defaultTheme();
    }
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

// Names the skin file (as it was) that the working folder was last filled from, then the
// pictures that came out of it. No skin entry can have this name, since entries never
// contain "..".
const QString kUnpackedStamp = QStringLiteral("..unpacked");

QByteArray unpackSource(const QString& skinPath) {
    const QFileInfo info(skinPath);
    return QStringLiteral("%1\n%2\n%3")
        .arg(info.absoluteFilePath())
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .toUtf8();
}

// Unpacking is skipped at a start whose skin file has not changed since the folder was
// filled, as long as every picture is still there.
bool stillUnpacked(const QString& workFolder, const QByteArray& source) {
    QFile stamp(workFolder + kUnpackedStamp);
    if (!stamp.open(QIODevice::ReadOnly) || stamp.size() > 64 * 1024)
        return false;
    const QList<QByteArray> lines = stamp.readAll().split('\n');
    if (lines.size() < 3 || lines.mid(0, 3).join('\n') != source)
        return false;
    for (const QByteArray& name : lines.mid(3)) {
        const QString entry = QString::fromUtf8(name);
        if (!SkinReader::isSafeEntryName(entry) || !QFileInfo(workFolder + entry).isFile())
            return false;
    }
    return true;
}

SkinReader::Status unpack(SkinReader& reader, const QString& skinPath, const QString& workFolder) {
    const QByteArray source = unpackSource(skinPath);
    if (stillUnpacked(workFolder, source))
        return SkinReader::Status::Ok;
    QFile::remove(workFolder + kUnpackedStamp);
    QStringList written;
    const SkinReader::Status status = reader.unpackTo(workFolder, &written);
    if (status != SkinReader::Status::Ok)
        return status;
    QSaveFile stamp(workFolder + kUnpackedStamp);
    if (stamp.open(QIODevice::WriteOnly)) {
        stamp.setDirectWriteFallback(false);
        stamp.write(source);
        for (const QString& name : std::as_const(written))
            stamp.write('\n' + name.toUtf8());
        stamp.commit(); // without it the next start simply unpacks again
    }
    return status;
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
        status = unpack(reader, skinPath, workFolder);
    result.error.kind = errorKind(status);
    if (result.error.failed())
        return result;
    result.displayName = reader.name();
    result.workFolder = workFolder;
    result.colors = SkinColors::fromConfig(workFolder + QStringLiteral("Config.cfg"));
    return result;
}

SkinLoader::Result SkinLoader::loadActive(Registry& store) {
    const QString theme = readTheme(store);
    const QString path = AppPaths::skinFile(theme);
    Result result;
    // A Theme that names another folder is not one of our skins; it resets like a missing one.
    if (theme.contains(QLatin1Char('/')) || theme.contains(QLatin1Char('\\')))
        result.error = {SkinError::Kind::NotFound, path};
    else
        result = load(path, AppPaths::skinWorkFolder());
    if (result.error.kind == SkinError::Kind::NotFound) {
        try {
            Settings(store).set(Setting::Theme, defaultTheme());
        } catch (const RegistryError&) {
            // The program ends next anyway and the message names the missing file.
        }
    }
    return result;
}
