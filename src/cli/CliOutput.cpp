#include "CliOutput.h"

#include <cstdio>

namespace CliOutput {

namespace {

void write(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

QString flat(QString field) {
    for (QChar& c : field) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return field;
}

} // namespace

void line(const QString& text) {
    write(stdout, text);
}

void record(const QStringList& fields) {
    QStringList flattened;
    flattened.reserve(fields.size());
    for (const QString& field : fields)
        flattened.append(flat(field));
    line(flattened.join(QLatin1Char('\t')));
}

void raw(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void error(const QString& text) {
    write(stderr, QStringLiteral("varnelo-cli: ") + text);
}

int usage(const QString& command, const QString& text) {
    error(text);
    error(QStringLiteral("try 'varnelo-cli %1 --help'").arg(command));
    return kUsage;
}

} // namespace CliOutput
