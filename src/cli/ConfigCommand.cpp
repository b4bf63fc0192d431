#include "ConfigCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/RegFile.h"
#include "platform/Registry.h"

#include <QFile>

namespace ConfigCommand {

namespace {

const QString kHelp = QStringLiteral(
    "usage: varnelo-cli config get NAME\n"
    "       varnelo-cli config set NAME VALUE [--integer]\n"
    "       varnelo-cli config import FILE.reg\n"
    "       varnelo-cli config export\n"
    "\n"
    "The settings store (the key HKEY_CURRENT_USER\\Software\\Varnelo). NAME is a value of\n"
    "that key; '@' names its default value, the account key.\n"
    "  get      prints the value: a string as text, an integer in decimal; exit 1 when the\n"
    "           value is missing\n"
    "  set      writes a string, or with --integer a 32-bit integer in decimal\n"
    "  import   reads a registry export of the key (REGEDIT4 in code page 1251, or version\n"
    "           5.00 in UTF-16LE or UTF-8): string and dword values, the Contacts subtree\n"
    "           included; all of the file is applied or none of it\n"
    "  export   prints the whole store in version 5.00 syntax, UTF-8");

const QString kCommand = QStringLiteral("config");

QString valueName(const QString& argument) {
    return argument == QLatin1String("@") ? QString() : argument;
}

int get(const QStringList& arguments) {
    if (arguments.size() != 1)
        return CliOutput::usage(kCommand, QStringLiteral("config get takes one NAME"));
    CliContext context;
    const QString name = valueName(arguments[0]);
    const Registry& registry = context.registry();
    switch (registry.valueType(QString(), name)) {
    case Registry::ValueType::String:
        CliOutput::line(registry.readString(QString(), name));
        return CliOutput::kOk;
    case Registry::ValueType::Integer:
        CliOutput::line(QString::number(*registry.readInteger(QString(), name)));
        return CliOutput::kOk;
    case Registry::ValueType::Other:
        CliOutput::error(QStringLiteral("%1 is neither a string nor an integer").arg(arguments[0]));
        return CliOutput::kFailed;
    case Registry::ValueType::Missing:
        break;
    }
    CliOutput::error(QStringLiteral("%1 is not set").arg(arguments[0]));
    return CliOutput::kFailed;
}

int set(QStringList arguments) {
    const bool integer = arguments.removeAll(QStringLiteral("--integer")) > 0;
    if (arguments.size() != 2)
        return CliOutput::usage(kCommand, QStringLiteral("config set takes NAME and VALUE"));
    const QString name = valueName(arguments[0]);
    qint32 number = 0;
    if (integer) {
        bool ok = false;
        number = arguments[1].toInt(&ok, 10);
        if (!ok)
            return CliOutput::usage(
                kCommand, QStringLiteral("'%1' is not a 32-bit integer").arg(arguments[1]));
    }
    CliContext context;
    if (integer)
        context.registry().writeInteger(QString(), name, number);
    else
        context.registry().writeString(QString(), name, arguments[1]);
    return CliOutput::kOk;
}

int import(const QStringList& arguments) {
    if (arguments.size() != 1)
        return CliOutput::usage(kCommand, QStringLiteral("config import takes one FILE.reg"));
    QFile file(arguments[0]);
    if (!file.open(QIODevice::ReadOnly)) {
        CliOutput::error(
            QStringLiteral("cannot open %1: %2").arg(arguments[0], file.errorString()));
        return CliOutput::kFailed;
    }
    // Registry exports are small; anything this large is not one.
    constexpr qint64 kLargestFile = 256 * 1024 * 1024;
    if (file.size() > kLargestFile) {
        CliOutput::error(QStringLiteral("%1 is too large for a registry export").arg(arguments[0]));
        return CliOutput::kFailed;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        CliOutput::error(
            QStringLiteral("cannot read %1: %2").arg(arguments[0], file.errorString()));
        return CliOutput::kFailed;
    }
    QString error;
    QStringList warnings;
    const std::optional<QList<RegFile::Change>> changes = RegFile::parse(bytes, &error, &warnings);
    for (const QString& warning : warnings)
        CliOutput::error(QStringLiteral("%1: %2").arg(arguments[0], warning));
    if (!changes) {
        CliOutput::error(QStringLiteral("%1: %2; nothing imported").arg(arguments[0], error));
        return CliOutput::kFailed;
    }
    CliContext context;
    RegFile::apply(context.registry(), *changes);
    return CliOutput::kOk;
}

int exportStore(const QStringList& arguments) {
    if (!arguments.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("config export takes no arguments"));
    CliContext context;
    QStringList warnings;
    const QString text = RegFile::write(context.registry().readBranch(QString()), &warnings);
    for (const QString& warning : warnings)
        CliOutput::error(warning);
    CliOutput::line(text.chopped(1));
    return CliOutput::kOk;
}

} // namespace

int run(const QStringList& arguments) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        CliOutput::line(kHelp);
        return CliOutput::kOk;
    }
    if (arguments.isEmpty())
        return CliOutput::usage(kCommand,
                                QStringLiteral("config needs get, set, import or export"));
    const QString action = arguments[0];
    const QStringList rest = arguments.mid(1);
    if (action == QLatin1String("get"))
        return get(rest);
    if (action == QLatin1String("set"))
        return set(rest);
    if (action == QLatin1String("import"))
        return import(rest);
    if (action == QLatin1String("export"))
        return exportStore(rest);
    return CliOutput::usage(kCommand, QStringLiteral("unknown config action '%1'").arg(action));
}

} // namespace ConfigCommand
