// skinpack DIR OUT.skn --name NAME
//
// Packs every file of DIR (Config.cfg and the numbered pictures), in name order, into a skin
// file with the given display name. The output is replaced whole or left as it was.

#include "skins/SkinWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: skinpack DIR OUT.skn --name NAME\n", stderr);
    return 2;
}

int fail(const QString& message) {
    std::fprintf(stderr, "skinpack: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    QStringList positional;
    QString name;
    bool haveName = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--name")) {
            if (++i >= args.size())
                return usage();
            name = args[i];
            haveName = true;
        } else {
            positional << args[i];
        }
    }
    if (positional.size() != 2 || !haveName)
        return usage();

    const QDir source(positional[0]);
    if (!source.exists())
        return fail(QStringLiteral("no such folder: ") + positional[0]);
    const QStringList files = source.entryList(QDir::Files, QDir::Name);

    QSaveFile out(positional[1]);
    if (!out.open(QIODevice::WriteOnly))
        return fail(positional[1] + QStringLiteral(": ") + out.errorString());
    SkinWriter writer(out);
    if (!writer.writeHeader(name))
        return fail(writer.errorString());
    for (const QString& fileName : files) {
        QFile file(source.filePath(fileName));
        if (!file.open(QIODevice::ReadOnly))
            return fail(file.fileName() + QStringLiteral(": ") + file.errorString());
        if (!writer.addEntry(fileName, file))
            return fail(writer.errorString());
    }
    if (!out.commit())
        return fail(positional[1] + QStringLiteral(": ") + out.errorString());
    return 0;
}
