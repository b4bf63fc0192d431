#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFolderName = QStringLiteral("Varnelo");

QString withSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// A folder of ours that nobody else can read or plant files in: a real directory (not a
// link), owned by this user, mode 0700.
bool makePrivateFolder(const QString& path) {
    QDir().mkpath(path);
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace

namespace AppPaths {

QString dataFolder() {
    const QString folder =
        withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
        kFolderName + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

QString registryFile() {
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) +
           kFolderName + QStringLiteral("/registry.db");
}

QString shareFolder() {
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/varnelo");
    candidates << QStringLiteral(VARNELO_BUILD_SHARE_DIR)
               << QStringLiteral(VARNELO_INSTALL_SHARE_DIR);
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate + QStringLiteral("/skins")).isDir())
            return withSlash(QDir::cleanPath(candidate));
    }
    return withSlash(QDir::cleanPath(candidates.constLast()));
}

QStringList skinFolders() {
    return {dataFolder(), shareFolder() + QStringLiteral("skins/")};
}

QString skinFile(const QString& fileName) {
    const bool safe = !fileName.isEmpty() && !fileName.contains(QLatin1Char('/')) &&
                      !fileName.contains(QLatin1Char('\\')) && fileName != QLatin1String("..") &&
                      fileName != QLatin1String(".");
    if (safe) {
        for (const QString& folder : skinFolders()) {
            if (QFileInfo(folder + fileName).isFile())
                return folder + fileName;
        }
    }
    // Never a path outside the data folder, even for a hostile name.
    QString flattened = fileName;
    flattened.replace(QLatin1Char('/'), QLatin1Char('_'))
        .replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (flattened == QLatin1String("..") || flattened == QLatin1String("."))
        flattened = QStringLiteral("_");
    return dataFolder() + flattened;
}

QString skinWorkFolder() {
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QFileInfo(base).isDir())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString parent = withSlash(base) + kFolderName;
    const QString folder = parent + QStringLiteral("/skin");
    if (!makePrivateFolder(parent) || !makePrivateFolder(folder))
        return {};
    return folder + QLatin1Char('/');
}

} // namespace AppPaths
