#include "ModuleFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

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

} // namespace ModuleFiles
