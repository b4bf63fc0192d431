// Any bytes as History.dat: every reader of the file, and the conversion of older layouts.
#include "history/HistoryFile.h"
#include "history/HistoryReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Memory-backed when there is such a folder: every run rewrites the file.
    static const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                    ? QStringLiteral("/dev/shm")
                                    : QDir::tempPath();
    static QTemporaryDir folder(base + QStringLiteral("/fuzz_history_reader-XXXXXX"));
    const QString path = folder.path() + QStringLiteral("/History.dat");
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    auto put = [&] {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(input);
    };

    put();
    const HistoryFile history(path);
    for (const TMess& record : history.readAll())
        record.moment();

    // After the conversion the file must read as a current history.
    history.ConvertHistory();
    HistoryReader reader(path);
    if (!reader.OpenHistory())
        __builtin_trap();
    reader.close();

    put();
    history.AppendHistory(TMess(), 2);
    if (history.readAll().isEmpty())
        __builtin_trap();
    // Every run leaves its copies; they must not pile up.
    for (const QString& name :
         QDir(folder.path()).entryList({QStringLiteral("History.dat.damaged-*")}, QDir::Files))
        QFile::remove(folder.path() + QLatin1Char('/') + name);
    return 0;
}
