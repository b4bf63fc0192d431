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

QString configFolder() {
    const QString folder =
        withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) +
        kFolderName + QLatin1Char('/');
    // A link or a folder of another user is left as it is: it was put there on purpose.
    makePrivateFolder(folder);
    return folder;
}

// The files the program and varnelo-cli write in their folders: the data files, the settings
// store, and beside them their lock files, journals, copies of damaged files and the
// temporary files of a rewrite.
bool isOwnFile(const QString& name) {
    static const QStringList kOwn = {QStringLiteral("History.dat"), QStringLiteral("Templates.dat"),
                                     QStringLiteral("Vouchers.txt"), QStringLiteral("registry.db")};
    for (const QString& own : kOwn) {
        if (name == own || (name.startsWith(own) && name.at(own.size()) == QLatin1Char('.')))
            return true;
    }
    return false;
}

void makeOwnFilesPrivateIn(const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!isOwnFile(name))
            continue;
        const QByteArray native = QFile::encodeName(folder + name);
        struct stat info {};
        // By name, never through a link; and only files of this user.
        if (::lstat(native.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::getuid() && (info.st_mode & 0077) != 0)
            ::chmod(native.constData(), info.st_mode & 0700);
    }
}

} // namespace

namespace AppPaths {

QString dataFolder() {
    const QString folder =
        withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
        kFolderName + QLatin1Char('/');
    // A link or a folder of another user is left as it is: it was put there on purpose.
    makePrivateFolder(folder);
    return folder;
}

QString registryFile() {
    return configFolder() + QStringLiteral("registry.db");
}

void makeOwnFilesPrivate() {
    makeOwnFilesPrivateIn(dataFolder());
    makeOwnFilesPrivateIn(configFolder());
    skinWorkFolder();
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
