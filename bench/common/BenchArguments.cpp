#include "BenchArguments.h"

bool readBenchArguments(QCommandLineParser& parser, const QStringList& arguments,
                        QString* error, bool* help) {
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(helpOption);
    *help = false;
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(helpOption)) {
        *help = true;
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]);
        return false;
    }
    return true;
}
