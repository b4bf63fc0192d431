// storage_writer KIND PATH FROM COUNT: runs steps FROM, FROM + 1, ... of KIND (history,
// templates, vouchers, contacts) on the file at PATH, COUNT of them or, with COUNT 0, until it
// is killed. Prints "done N" once step N is in the file; exits 1 on the first failed step.

#include "StorageSteps.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const std::optional<StorageSteps::Kind> kind =
        arguments.size() == 5 ? StorageSteps::kindFromName(arguments[1]) : std::nullopt;
    bool fromOk = false;
    bool countOk = false;
    const qint64 from = arguments.value(3).toLongLong(&fromOk);
    const qint64 count = arguments.value(4).toLongLong(&countOk);
    if (!kind || !fromOk || !countOk || from < 1 || count < 0) {
        std::fprintf(stderr, "usage: storage_writer history|templates|vouchers|contacts PATH "
                             "FROM COUNT\n");
        return 2;
    }
    const QString path = arguments[2];
    for (qint64 n = from; count == 0 || n < from + count; ++n) {
        const QString error = StorageSteps::runStep(*kind, path, n);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "step %lld: %s\n", n, qPrintable(error));
            return 1;
        }
        std::printf("done %lld\n", n);
        std::fflush(stdout);
    }
    return 0;
}
