#include "ConfigCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/RegFile.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QFile>

namespace ConfigCommand {

namespace {

const QString kHelp = QStringLiteral(
    "usage: varnelo-cli config get NAME\n"
    "       varnelo-cli config set NAME VALUE|- [--integer]\n"
    "       varnelo-cli config import FILE.reg\n"
    "       varnelo-cli config export\n"
    "\n"
    "The settings store (the key HKEY_CURRENT_USER\\Software\\Varnelo). NAME is a value of\n"
    "that key; '@' names its default value, the account key.\n"
    "  get      prints the value: a string as text, an integer in decimal; exit 1 when the\n"
    "           value is missing. A protected value (ProxyPassword) is never shown: it\n"
    "           prints 'set' or 'empty'\n"
    "  set      writes a setting of the program with its own type: a string, or a\n"
    "           32-bit integer in decimal (0 off, 1 on for a switch); text for an integer\n"
    "           setting, a number outside its range (Port 1 to 65535, ProxyPort 0 to\n"
    "           65535), or --integer for a string one, is refused. '@' takes a string.\n"
    "           A protected value is stored enciphered, as the settings dialog stores it.\n"
    "           VALUE '-' reads the value from one line of standard input (empty clears\n"
    "           it), so that a password does not show in the process list.\n"
    "           Any other NAME is written as a string, or with --integer as an integer,\n"
    "           with a warning. Names compare case-insensitively, as in the store\n"
    "  import   reads a registry export of the key (REGEDIT4 in code page 1251, or version\n"
    "           5.00 in UTF-16LE or UTF-8): string and dword values, the Contacts subtree\n"
    "           included; all of the file is applied or none of it\n"
    "  export   prints the whole store in version 5.00 syntax, UTF-8; protected values\n"
    "           stay enciphered, so import gives them back unchanged");

const QString kCommand = QStringLiteral("config");

QString valueName(const QString& argument) {
    return argument == QLatin1String("@") ? QString() : argument;
}

// The table's value of that name, when there is one and it is protected.
std::optional<Setting::Entry> protectedSetting(const QString& name) {
    const std::optional<Setting::Entry> setting = Setting::byName(name);
    return setting && setting->isProtected() ? setting : std::nullopt;
}

int get(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    if (arguments.size() != 1)
        return CliOutput::usage(kCommand, QStringLiteral("config get takes one NAME"));
    CliContext context(openStore);
    const QString name = valueName(arguments[0]);
    Registry& registry = context.registry();
    switch (registry.valueType(QString(), name)) {
    case Registry::ValueType::String:
        // Only whether the program reads a secret, never the secret itself.
        if (const std::optional<Setting::Entry> secret = protectedSetting(name))
            CliOutput::line(Settings(registry).findText(*secret).value_or(QString()).isEmpty()
                                ? QStringLiteral("empty")
                                : QStringLiteral("set"));
        else
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

using Type = Setting::Entry::Type;

QString typeText(Type type) {
    switch (type) {
    case Type::String:
        return QStringLiteral("a string");
    case Type::Integer:
        break;
    case Type::Flag:
        return QStringLiteral("an integer (0 off, 1 on)");
    }
    return QStringLiteral("an integer");
}

// One line of standard input without its line end; nothing when it cannot be read.
std::optional<QString> standardInputLine() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line = input.readLine();
    if (input.error() != QFileDevice::NoError)
        return std::nullopt;
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// The program reads a value of another type than its own as missing, and a Port that is not
// an integer even makes the next start reset every setting: so a value the program knows is
// written with its own type, whatever the command line asks.
int set(QStringList arguments, const CliContext::OpenStore& openStore) {
    const bool integerAsked = arguments.removeAll(QStringLiteral("--integer")) > 0;
    if (arguments.size() != 2)
        return CliOutput::usage(kCommand, QStringLiteral("config set takes NAME and VALUE"));
    const QString name = valueName(arguments[0]);
    std::optional<Setting::Entry> setting;
    std::optional<Type> known;
    if (name.isEmpty())
        known = Type::String; // the account key
    else if ((setting = Setting::byName(name)))
        known = setting->type;
    const Type type = known.value_or(integerAsked ? Type::Integer : Type::String);
    if (integerAsked && type == Type::String)
        return CliOutput::usage(kCommand, QStringLiteral("%1 holds %2; --integer does not apply")
                                              .arg(arguments[0], typeText(type)));
    QString text = arguments[1];
    if (text == QLatin1String("-")) {
        const std::optional<QString> line = standardInputLine();
        if (!line) {
            CliOutput::error(QStringLiteral("cannot read the value from standard input"));
            return CliOutput::kFailed;
        }
        text = *line;
    }
    qint32 number = 0;
    if (type != Type::String) {
        bool ok = false;
        number = text.toInt(&ok, 10);
        if (!ok) {
            const QString notNumber = QStringLiteral("'%1' is not a 32-bit integer").arg(text);
            return CliOutput::usage(
                kCommand,
                known
                    ? QStringLiteral("%1 holds %2; %3").arg(arguments[0], typeText(type), notNumber)
                    : notNumber);
        }
        if (setting && !setting->accepts(number))
            return CliOutput::usage(kCommand, QStringLiteral("%1 must be from %2 to %3, not %4")
                                                  .arg(arguments[0])
                                                  .arg(setting->minimum)
                                                  .arg(setting->maximum)
                                                  .arg(number));
    }
    if (!known)
        CliOutput::error(
            QStringLiteral("warning: %1 is not a setting of the program; written as %2")
                .arg(arguments[0], typeText(type)));
    CliContext context(openStore);
    if (setting && type == Type::String)
        Settings(context.registry()).setText(*setting, text); // enciphered when protected
    else if (type == Type::String)
        context.registry().writeString(QString(), name, text);
    else
        context.registry().writeInteger(QString(), name, number);
    return CliOutput::kOk;
}

int import(const QStringList& arguments, const CliContext::OpenStore& openStore) {
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
    CliContext context(openStore);
    RegFile::apply(context.registry(), *changes);
    return CliOutput::kOk;
}

int exportStore(const QStringList& arguments, const CliContext::OpenStore& openStore) {
    if (!arguments.isEmpty())
        return CliOutput::usage(kCommand, QStringLiteral("config export takes no arguments"));
    CliContext context(openStore);
    QStringList warnings;
    const QString text = RegFile::write(context.registry().readBranch(QString()), &warnings);
    for (const QString& warning : warnings)
        CliOutput::error(warning);
    CliOutput::line(text.chopped(1));
    return CliOutput::kOk;
}

} // namespace

int run(const QStringList& arguments, const CliContext::OpenStore& openStore) {
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
        return get(rest, openStore);
    if (action == QLatin1String("set"))
        return set(rest, openStore);
    if (action == QLatin1String("import"))
        return import(rest, openStore);
    if (action == QLatin1String("export"))
        return exportStore(rest, openStore);
    return CliOutput::usage(kCommand, QStringLiteral("unknown config action '%1'").arg(action));
}

} // namespace ConfigCommand
