#include "SkinList.h"

#include "platform/AppPaths.h"
#include "skins/SkinReader.h"

#include <QDir>
#include <QSet>

QList<SkinChoice> ListSkinFiles() {
    QList<SkinChoice> choices;
    QSet<QString> seen;
    for (const QString& folder : AppPaths::skinFolders()) {
        const QDir dir(folder);
        const QStringList files =
            dir.entryList({QStringLiteral("*.skn")}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& file : files) {
            if (seen.contains(file))
                continue;
            seen.insert(file);
            // A file whose header cannot be read has no name to show and is left out.
            const QString name = SkinReader::readDisplayName(dir.filePath(file));
            if (!name.isEmpty())
                choices.append({name, file});
        }
    }
    return choices;
}
