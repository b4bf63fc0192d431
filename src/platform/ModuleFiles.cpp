#include "ModuleFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

namespace ModuleFiles {

QString path(const QString& fileName) {
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() +
                       QStringLiteral("/../" VARNELO_MODULE_SUBDIR);
    folders << QStringLiteral(VARNELO_BUILD_MODULE_DIR)
            << QStringLiteral(VARNELO_INSTALL_MODULE_DIR);
    for (const QString& folder : folders) {
        const QFileInfo file(folder + QLatin1Char('/') + fileName);
        if (file.isFile())
            return file.canonicalFilePath();
    }
    return {};
}

void* load(const QString& fileName, const char* symbol, QString* error) {
    const QString file = path(fileName);
    if (file.isEmpty()) {
        *error = QStringLiteral("%1: not found").arg(fileName);
        return nullptr;
    }
    // Never closed: what the module set up is reused for the rest of the run.
    void* handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        *error = QString::fromLocal8Bit(dlerror());
        return nullptr;
    }
    void* function = dlsym(handle, symbol);
    if (!function) {
        *error = QString::fromLocal8Bit(dlerror());
        dlclose(handle);
    }
    return function;
}

} // namespace ModuleFiles
