#include "CommandLine.h"

#include "Money.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdio>

namespace {

QString defaultDatabasePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Varnelo/sandbox.db");
}

std::optional<bool> readSwitch(const QString& text) {
    const QString t = text.toLower();
    if (t == QLatin1String("on") || t == QLatin1String("1") || t == QLatin1String("yes") ||
        t == QLatin1String("true"))
        return true;
    if (t == QLatin1String("off") || t == QLatin1String("0") || t == QLatin1String("no") ||
        t == QLatin1String("false"))
        return false;
    return std::nullopt;
}

bool readCount(const QString& text, int minimum, int maximum, int* value) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        return false;
    *value = number;
    return true;
}

bool readTariff(const QString& text, Tariff* tariff) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() == 4) // PRICE,EXTRA,PARTLEN,MAXLEN with points as decimal marks
        return Money::parse(parts[0], &tariff->smsPrice) &&
               Money::parse(parts[1], &tariff->extraPartPrice) &&
               readCount(parts[2], 1, 5000, &tariff->partLength) &&
               readCount(parts[3], 1, 5000, &tariff->maxMessageLength);
    return false;
}

// An option with a value, its default told at the end of its description.
QCommandLineOption valueOption(const QString& name, const QString& description,
                               const QString& valueName, const QString& defaultValue) {
    return QCommandLineOption(name, description + QStringLiteral(" Default: %1").arg(defaultValue),
                              valueName, defaultValue);
}

bool readListen(const QString& text, QString* host, int* port) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    *host = text.left(colon);
    return readCount(text.mid(colon + 1), 0, 65535, port);
}

} // namespace

std::optional<CommandLine> CommandLine::parse(const QStringList& arguments, int* exitCode) {
    CommandLine line;
    const Settings defaults;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A local Varnelo SMS service for trying the client without an account and for tests.\n"
        "It answers every command of the protocol with real state (accounts, balances, messages\n"
        "and their delivery status, vouchers, stored contact books) and sends no real SMS.\n"
        "Admin interface: JSON under /admin/ for callers on 127.0.0.1 (see the README)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listen = valueOption(
        QStringLiteral("listen"),
        QStringLiteral("Address and port to listen on; port 0 takes a free one, printed at start."),
        QStringLiteral("HOST:PORT"), QStringLiteral("127.0.0.1:3000"));
    const QCommandLineOption db = valueOption(
        QStringLiteral("db"),
        QStringLiteral(
            "SQLite file that keeps the state, or :memory: for a state that ends with the "
            "process."),
        QStringLiteral("FILE"), defaultDatabasePath());
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Do not log a line per request."));
    const QCommandLineOption autoActivate = valueOption(
        QStringLiteral("auto-activate"),
        QStringLiteral("on: new accounts are activated at once; off: they wait for activation "
                       "through the admin interface."),
        QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption startBalance = valueOption(
        QStringLiteral("start-balance"), QStringLiteral("Balance of a new account, in roubles."),
        QStringLiteral("AMOUNT"), QString::fromLatin1(Money::format(defaults.startBalance)));
    const QCommandLineOption tariff = valueOption(
        QStringLiteral("tariff"),
        QStringLiteral("Price of a one-part message, price of each further part, characters per "
                       "part, longest message."),
        QStringLiteral("PRICE,EXTRA,PARTLEN,MAXLEN"), QStringLiteral("1.50,1.50,70,70"));
    const QCommandLineOption serverContacts = valueOption(
        QStringLiteral("server-contacts"),
        QStringLiteral("Whether accounts may keep their contact book with the service."),
        QStringLiteral("on|off"), QStringLiteral("on"));
    const QCommandLineOption extraOption = valueOption(
        QStringLiteral("extra-option"), QStringLiteral("The extra option flag told at login."),
        QStringLiteral("on|off"), QStringLiteral("off"));
    const QCommandLineOption voucherFee = valueOption(
        QStringLiteral("voucher-fee"),
        QStringLiteral("Fee added to the price of a bought voucher, in roubles."),
        QStringLiteral("AMOUNT"), QString::fromLatin1(Money::format(defaults.voucherFee)));
    const QCommandLineOption detailPrice = valueOption(
        QStringLiteral("detail-price"),
        QStringLiteral("Price of one day of message detail, in roubles."), QStringLiteral("AMOUNT"),
        QString::fromLatin1(Money::format(defaults.detailPrice)));
    const QCommandLineOption statusStep = valueOption(
        QStringLiteral("status-step-ms"),
        QStringLiteral("How long a message stays sent (10), then queued (1), before its final "
                       "status."),
        QStringLiteral("MS"), QString::number(defaults.statusStepMs));
    const QCommandLineOption minute =
        valueOption(QStringLiteral("minute-ms"),
                    QStringLiteral("Length of one minute of a message's delivery delay."),
                    QStringLiteral("MS"), QString::number(defaults.minuteMs));
    const QCommandLineOption refuse(
        QStringLiteral("refuse"),
        QStringLiteral("A number whose owner refused the service's messages; may be repeated."),
        QStringLiteral("NUMBER"));
    const QCommandLineOption logSize =
        valueOption(QStringLiteral("log-size"),
                    QStringLiteral("How many decoded requests the admin log keeps."),
                    QStringLiteral("N"), QString::number(defaults.logSize));
    parser.addOptions({listen, db, quiet, autoActivate, startBalance, tariff, serverContacts,
                       extraOption, voucherFee, detailPrice, statusStep, minute, refuse, logSize});

    const auto fail = [&](const QString& message) -> std::optional<CommandLine> {
        std::fprintf(stderr, "varnelo-sandbox: %s\nTry --help.\n", qPrintable(message));
        *exitCode = 2;
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        *exitCode = 0;
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("varnelo-sandbox %s\n", qPrintable(QCoreApplication::applicationVersion()));
        *exitCode = 0;
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().front()));

    Settings& s = line.settings;
    const auto bad = [&](const QCommandLineOption& option) {
        return fail(QStringLiteral("bad value for --%1: %2")
                        .arg(option.names().front(), parser.value(option)));
    };
    if (!readListen(parser.value(listen), &line.host, &line.port))
        return bad(listen);
    line.databasePath = parser.value(db);
    line.quiet = parser.isSet(quiet);
    const std::optional<bool> activate = readSwitch(parser.value(autoActivate));
    const std::optional<bool> contacts = readSwitch(parser.value(serverContacts));
    const std::optional<bool> extra = readSwitch(parser.value(extraOption));
    if (!activate)
        return bad(autoActivate);
    if (!contacts)
        return bad(serverContacts);
    if (!extra)
        return bad(extraOption);
    s.autoActivate = *activate;
    s.serverContacts = *contacts;
    s.extraOption = *extra;
    if (!Money::parse(parser.value(startBalance), &s.startBalance))
        return bad(startBalance);
    if (!readTariff(parser.value(tariff), &s.tariff))
        return bad(tariff);
    if (!Money::parse(parser.value(voucherFee), &s.voucherFee))
        return bad(voucherFee);
    if (!Money::parse(parser.value(detailPrice), &s.detailPrice))
        return bad(detailPrice);
    if (!readCount(parser.value(statusStep), 0, 3'600'000, &s.statusStepMs))
        return bad(statusStep);
    if (!readCount(parser.value(minute), 0, 3'600'000, &s.minuteMs))
        return bad(minute);
    if (!readCount(parser.value(logSize), 0, 1'000'000, &s.logSize))
        return bad(logSize);
    s.refusedNumbers = parser.values(refuse);
    return line;
}
