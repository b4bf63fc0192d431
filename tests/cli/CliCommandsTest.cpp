#include "HistoryBytes.h"
#include "HistoryRecords.h"
#include "SandboxProcess.h"
#include "StoreDamage.h"
#include "TestProfile.h"
#include "history/HistoryFile.h"
#include "messaging/SendJournal.h"
#include "messaging/SendOutcome.h"
#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "shared/Settings.h"
#include "shared/StoredValueCipher.h"
#include "shared/TContactEntry.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <sys/stat.h>

namespace {

using HistoryRecords::record;

struct Run {
    int code = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

QByteArray hexBytes(const QJsonValue& value) {
    return QByteArray::fromHex(value.toObject().value(QLatin1String("hex")).toString().toLatin1());
}

} // namespace

// The real varnelo-cli in its own process, against the real sandbox service.
class CliCommandsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    SandboxProcess m_sandbox;
    QString m_key;

    Run cli(const QStringList& arguments, const QString& password = QString(),
            const QByteArray& input = QByteArray()) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
        if (!password.isNull())
            environment.insert(QStringLiteral("VARNELO_ACCESS_PASSWORD"), password);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VARNELO_CLI_EXE), arguments);
        process.write(input);
        process.closeWriteChannel();
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.err = QStringLiteral("did not finish");
            return run;
        }
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    // Runs and expects exit 0; the output.
    QString ok(const QStringList& arguments) const {
        const Run run = cli(arguments);
        if (run.code != 0)
            qWarning() << arguments << run.code << run.err;
        return run.code == 0 ? run.out : QStringLiteral("<failed>");
    }
    // What the program reads as the proxy password.
    static QString storedProxyPassword() {
        Registry store;
        return Settings(store).proxyPassword();
    }
    QByteArray lastRequest() const {
        return hexBytes(m_sandbox.log().last().toObject().value(QLatin1String("request")));
    }
    QString dataFile(const QString& name) const {
        return m_profile.dataFolder() + QLatin1Char('/') + name;
    }
    // A book of two contacts, one with a comma in its name, as an old Contacts.dat that the
    // program moves into the settings store when it first reads the book.
    void writeBook() const {
        QDir().mkpath(m_profile.dataFolder());
        QFile file(dataFile(QStringLiteral("Contacts.dat")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TContactEntry::make("Работа", "", "", true, 0).toRecord());
        file.write(TContactEntry::make("Иван", "+79160000001", "", false, 0).toRecord());
        file.write(TContactEntry::make("Петров, Пётр", "+79160000002", "", false, 0).toRecord());
    }
    // Two groups as an old Contacts.dat: "Работа" with a contact without a number between
    // two with one, and "Пустые" with none that has a number.
    void writeGroups() const {
        QDir().mkpath(m_profile.dataFolder());
        QFile file(dataFile(QStringLiteral("Contacts.dat")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TContactEntry::make("Работа", "", "", true, 0).toRecord());
        file.write(TContactEntry::make("Иван", "+79160000001", "Ив", false, 0).toRecord());
        file.write(TContactEntry::make("Пётр", "", "", false, 0).toRecord());
        file.write(TContactEntry::make("Маша", "+79160000003", "", false, 0).toRecord());
        file.write(TContactEntry::make("Пустые", "", "", true, 0).toRecord());
        file.write(TContactEntry::make("Коля", "", "", false, 0).toRecord());
    }
    static inline const QString kFieldsText = QStringLiteral("Привет, {Имя}! {Подпись} {Фамилия}");
    // When the records of these tests were sent, local time.
    static inline const QDateTime kSentAt{QDate(2025, 3, 4), QTime(5, 6, 7)};
    void writeHistory(const QList<TMess>& records) const {
        QDir().mkpath(m_profile.dataFolder());
        QCOMPARE(HistoryFile(dataFile(QStringLiteral("History.dat"))).rewrite(records), QString());
    }
    // Runs and expects exit 0 and nothing on stderr; the output's bytes.
    QByteArray okBytes(const QStringList& arguments) const {
        QProcess process;
        process.start(QStringLiteral(VARNELO_CLI_EXE), arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            qWarning() << arguments << process.exitCode() << process.readAllStandardError();
            return "<failed>";
        }
        const QByteArray err = process.readAllStandardError();
        if (!err.isEmpty())
            qWarning() << err;
        return process.readAllStandardOutput();
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_sandbox.start({QStringLiteral("--status-step-ms"), QStringLiteral("100000")}),
                 qPrintable(m_sandbox.errorString()));
    }

    void init() {
        QVERIFY(m_sandbox.reset());
        QFile::remove(AppPaths::registryFile());
        QDir(m_profile.dataFolder()).removeRecursively();
        m_key = m_sandbox.createAccount({{QStringLiteral("balance"), QStringLiteral("100.00")}});
        QCOMPARE(m_key.size(), 48);
        QCOMPARE(cli({"config", "set", "Host", m_sandbox.host()}).code, 0);
        QCOMPARE(
            cli({"config", "set", "Port", QString::number(m_sandbox.port()), "--integer"}).code, 0);
        QCOMPARE(cli({"config", "set", "@", m_key}).code, 0);
    }

    void helpAndUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("usageLine");
        QTest::newRow("tool") << QStringList{"--help"} << 0 << "usage: varnelo-cli COMMAND";
        for (const char* command :
             {"config", "balance", "send", "status", "history", "contacts", "outbox"})
            QTest::newRow(command) << QStringList{command, "--help"} << 0
                                   << QStringLiteral("usage: varnelo-cli %1").arg(command);
        QTest::newRow("no command") << QStringList{} << 2 << "usage: varnelo-cli COMMAND";
        QTest::newRow("unknown command") << QStringList{"fly"} << 2 << "";
        QTest::newRow("send without text") << QStringList{"send", "--to", "1"} << 2 << "";
        QTest::newRow("bad delay")
            << QStringList{"send", "--to", "1", "--text", "x", "--delay", "7"} << 2 << "";
        QTest::newRow("bad id") << QStringList{"status", "12x"} << 2 << "";
        QTest::newRow("at with delay")
            << QStringList{"send",    "--to", "1", "--text", "x", "--at", "2099-01-01 09:00",
                           "--delay", "5"}
            << 2 << "";
        QTest::newRow("cancel without id") << QStringList{"outbox", "cancel"} << 2 << "";
        QTest::newRow("run with id") << QStringList{"outbox", "run", "1"} << 2 << "";
        QTest::newRow("bad integer")
            << QStringList{"config", "set", "A", "1e3", "--integer"} << 2 << "";
        QTest::newRow("contacts without list") << QStringList{"contacts"} << 2 << "";
        QTest::newRow("export without format") << QStringList{"contacts", "export"} << 2 << "";
        QTest::newRow("export format without a value")
            << QStringList{"contacts", "export", "--format"} << 2 << "";
        QTest::newRow("export unknown format")
            << QStringList{"contacts", "export", "--format", "xml"} << 2 << "";
        QTest::newRow("export stray argument")
            << QStringList{"contacts", "export", "--format", "csv", "x"} << 2 << "";
        QTest::newRow("history format without a value")
            << QStringList{"history", "--format"} << 2 << "";
    }
    void helpAndUsage() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, usageLine);
        const Run run = cli(arguments);
        QCOMPARE(run.code, code);
        if (!usageLine.isEmpty())
            QVERIFY2(run.out.startsWith(usageLine), qPrintable(run.out));
        if (code != 0)
            QVERIFY(run.err.startsWith(QLatin1String("varnelo-cli: ")));
    }

    void configGetSet() {
        QCOMPARE(ok({"config", "get", "Port"}), QString::number(m_sandbox.port()) + "\n");
        QCOMPARE(ok({"config", "get", "@"}), m_key + "\n");
        QCOMPARE(cli({"config", "set", "Name", "Ёлка\tи \"ель\""}).code, 0);
        QCOMPARE(ok({"config", "get", "name"}), QStringLiteral("Ёлка\tи \"ель\"\n"));
        QCOMPARE(cli({"config", "set", "Big", "-2147483648", "--integer"}).code, 0);
        QCOMPARE(ok({"config", "get", "Big"}), QStringLiteral("-2147483648\n"));
        const Run missing = cli({"config", "get", "Missing"});
        QCOMPARE(missing.code, 1);
        QVERIFY(missing.out.isEmpty());
        QVERIFY(missing.err.contains(QLatin1String("Missing")));
    }

    // A value the program knows is stored with the program's type whatever the command line
    // says; what does not fit that type is refused and leaves the store as it was.
    void configSetTypedBySettingsTable_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QVariant>("stored"); // for exit 0: the value read back, typed
        QTest::addColumn<QStringList>("errorWords");
        const QStringList quiet;
        QTest::newRow("integer setting, plain number")
            << QStringList{"Port", "3001"} << 0 << QVariant(3001) << quiet;
        QTest::newRow("integer setting, name in other case")
            << QStringList{"hISTORYmESScOUNT", "50"} << 0 << QVariant(50) << quiet;
        QTest::newRow("on/off setting, plain number")
            << QStringList{"UseProxy", "1"} << 0 << QVariant(1) << quiet;
        QTest::newRow("integer setting, --integer")
            << QStringList{"AlphaBlendValue", "100", "--integer"} << 0 << QVariant(100) << quiet;
        QTest::newRow("string setting") << QStringList{"ProxyServer", "proxy.example.org"} << 0
                                        << QVariant(QStringLiteral("proxy.example.org")) << quiet;
        QTest::newRow("string setting, a number")
            << QStringList{"TimeFormat", "12"} << 0 << QVariant(QStringLiteral("12")) << quiet;
        QTest::newRow("account key, a number")
            << QStringList{"@", "12345"} << 0 << QVariant(QStringLiteral("12345")) << quiet;
        QTest::newRow("unknown name")
            << QStringList{"Colour", "blue"} << 0 << QVariant(QStringLiteral("blue"))
            << QStringList{"warning", "Colour", "string"};
        QTest::newRow("unknown name, a number")
            << QStringList{"Colour", "42"} << 0 << QVariant(QStringLiteral("42"))
            << QStringList{"warning", "Colour", "string"};
        QTest::newRow("unknown name, --integer")
            << QStringList{"Colour", "42", "--integer"} << 0 << QVariant(42)
            << QStringList{"warning", "Colour", "integer"};
        QTest::newRow("integer setting, text")
            << QStringList{"Port", "3001a"} << 2 << QVariant() << QStringList{"Port", "integer"};
        QTest::newRow("integer setting, text, --integer")
            << QStringList{"port", "x", "--integer"} << 2 << QVariant()
            << QStringList{"port", "integer"};
        QTest::newRow("integer setting, past 32 bits")
            << QStringList{"HideTime", "4294967296"} << 2 << QVariant()
            << QStringList{"HideTime", "integer"};
        QTest::newRow("on/off setting, a word")
            << QStringList{"ShowBalance", "yes"} << 2 << QVariant()
            << QStringList{"ShowBalance", "integer"};
        QTest::newRow("string setting, --integer") << QStringList{"Host", "5", "--integer"} << 2
                                                   << QVariant() << QStringList{"Host", "string"};
        QTest::newRow("account key, --integer")
            << QStringList{"@", "5", "--integer"} << 2 << QVariant() << QStringList{"@", "string"};
        QTest::newRow("port, highest")
            << QStringList{"Port", "65535"} << 0 << QVariant(65535) << quiet;
        QTest::newRow("proxy port, none")
            << QStringList{"ProxyPort", "0"} << 0 << QVariant(0) << quiet;
        for (const char* number : {"70000", "-5", "0"})
            QTest::addRow("port %s", number) << QStringList{"Port", number} << 2 << QVariant()
                                             << QStringList{"Port", "1 to 65535", number};
        QTest::newRow("opacity past 255")
            << QStringList{"AlphaBlendValue", "256"} << 2 << QVariant() << QStringList{"0 to 255"};
        QTest::newRow("history count below 0") << QStringList{"HistoryMessCount", "-5"} << 2
                                               << QVariant() << QStringList{"0 to 10000000"};
    }
    void configSetTypedBySettingsTable() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QVariant, stored);
        QFETCH(QStringList, errorWords);
        const QString before = ok({"config", "export"});
        const Run run = cli(QStringList{"config", "set"} + arguments);
        QCOMPARE(run.code, code);
        for (const QString& word : errorWords)
            QVERIFY2(run.err.contains(word), qPrintable(run.err));
        if (errorWords.isEmpty())
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        if (code != 0) {
            QCOMPARE(ok({"config", "export"}), before);
            return;
        }
        const Registry store(AppPaths::registryFile());
        const QString name = arguments[0] == QLatin1String("@") ? QString() : arguments[0];
        if (stored.typeId() == QMetaType::Int)
            QCOMPARE(store.readInteger({}, name), std::optional<qint32>(stored.toInt()));
        else
            QCOMPARE(store.readStringValue({}, name), std::optional<QString>(stored.toString()));
    }

    // An ordinary command on a fresh profile must not make the next start reset the others.
    void portByPlainNumberKeepsHost() {
        QVERIFY(QFile::remove(AppPaths::registryFile()));
        QCOMPARE(cli({"config", "set", "Host", "example.org"}).code, 0);
        QCOMPARE(cli({"config", "set", "Port", "3001"}).code, 0);
        {
            Registry store(AppPaths::registryFile());
            const std::optional<Settings::ServerAddress> address = Settings(store).serverAddress();
            QVERIFY(address.has_value()); // no first start
            QCOMPARE(address->host, QStringLiteral("example.org"));
            QCOMPARE(address->port, 3001);
        }
        QCOMPARE(ok({"config", "get", "Host"}), QStringLiteral("example.org\n"));
        QCOMPARE(ok({"config", "get", "Port"}), QStringLiteral("3001\n"));
    }

    // A secret from standard input is stored as the settings dialog stores it and never shown.
    void protectedValueFromStandardInput() {
        const QString password = QStringLiteral("пароль с пробелом ");
        QCOMPARE(cli({"config", "set", "ProxyPassword", "-"}, {}, password.toUtf8() + "\n").code,
                 0);
        QCOMPARE(storedProxyPassword(), password);
        QCOMPARE(ok({"config", "get", "ProxyPassword"}), QStringLiteral("set\n"));
        QCOMPARE(cli({"config", "set", "proxypassword", "-"}).code, 0); // empty input clears it
        QCOMPARE(ok({"config", "get", "ProxyPassword"}), QStringLiteral("empty\n"));
    }

    void configExportImportRoundTrip() {
        QCOMPARE(cli({"config", "set", "ProxyPassword", "-"}, {}, "тайна").code, 0);
        QCOMPARE(cli({"config", "set", "Theme", "Синий \\ \"скин\""}).code, 0);
        QCOMPARE(cli({"config", "set", "Code", "4294", "--integer"}).code, 0);
        // A contact book in the store, so the Contacts subtree goes along.
        const QString book = dataFile(QStringLiteral("book.reg"));
        QDir().mkpath(m_profile.dataFolder());
        QFile reg4(book);
        QVERIFY(reg4.open(QIODevice::WriteOnly));
        reg4.write(Ansi::fromUnicode(QStringLiteral(
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Семья]\r\n@=\"0|1\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Семья\\Мама]\r\n@=\"0\"\r\n"
            "\"Number\"=\"+79161111111\"\r\n\"Sender\"=\"Olga\"\r\n\"Sign\"=\"Оля\"\r\n"
            "\"Translit\"=dword:00000001\r\n")));
        reg4.close();
        QCOMPARE(cli({"config", "import", book}).code, 0);
        const QString contacts = QStringLiteral("group\t1\tСемья\n"
                                                "contact\tМама\t+79161111111\tОля\tOlga\t1\n");
        QCOMPARE(ok({"contacts", "list"}), contacts);

        const QString exported = ok({"config", "export"});
        QVERIFY(exported.startsWith(QLatin1String("Windows Registry Editor Version 5.00\n\n"
                                                  "[HKEY_CURRENT_USER\\Software\\Varnelo]\n")));
        QVERIFY(exported.contains(QStringLiteral("\"Theme\"=\"Синий \\\\ \\\"скин\\\"\"\n")));
        QVERIFY(exported.contains(QStringLiteral("\"Code\"=dword:000010c6\n")));
        QVERIFY(exported.contains(
            QStringLiteral("[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Семья\\Мама]\n")));

        // Windows saves version 5.00 in UTF-16LE; a fresh store takes it back whole.
        const QString saved = dataFile(QStringLiteral("saved.reg"));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xFF\xFE", 2);
        file.write(reinterpret_cast<const char*>(exported.utf16()), exported.size() * 2);
        file.close();
        QVERIFY(QFile::remove(AppPaths::registryFile()));
        QCOMPARE(cli({"config", "get", "Theme"}).out, QStringLiteral("Default.skn\n"));
        QCOMPARE(cli({"config", "import", saved}).code, 0);
        QCOMPARE(ok({"config", "export"}), exported);
        QCOMPARE(ok({"contacts", "list"}), contacts);
        QCOMPARE(storedProxyPassword(), QStringLiteral("тайна"));
    }

    // A store that fails is told in its own sentence alone.
    void storeFailureIsOneSentence() {
        QFile file(AppPaths::registryFile());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'Z')) == 4096);
        file.close();
        const Run run = cli({"config", "get", "Host"});
        QCOMPARE(run.code, 1);
        QVERIFY2(StoreDamage::isReported(run.err.mid(13), file.fileName()), qPrintable(run.err));
    }

    void badImportChangesNothing() {
        const QString before = ok({"config", "export"});
        const QString bad = dataFile(QStringLiteral("bad.reg"));
        QDir().mkpath(m_profile.dataFolder());
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Varnelo]\n\"Host\"=\"elsewhere\"\n"
                   "\"Port\"=dword:xyz\n");
        file.close();
        const Run run = cli({"config", "import", bad});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QLatin1String("line 4")), qPrintable(run.err));
        QCOMPARE(ok({"config", "export"}), before);
        QCOMPARE(cli({"config", "import", dataFile(QStringLiteral("none.reg"))}).code, 1);
    }

    void balance_data() {
        QTest::addColumn<QJsonObject>("account");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("showBalance");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code");
        QTest::newRow("balance") << QJsonObject{} << "" << 1 << "Баланс: 100,00\u00a0₽"
                                 << 0;
        QTest::newRow("message count") << QJsonObject{} << "" << 0 << "SMS: 67" << 0;
        QTest::newRow("not activated")
            << QJsonObject{{"activated", false}} << "" << 1 << "Не активирован" << 3;
        QTest::newRow("server error")
            << QJsonObject{} << "http500" << 1 << "Ошибка. Проверьте настройки." << 1;
        QTest::newRow("garbage") << QJsonObject{} << "garbage" << 1
                                 << "Ошибка. Проверьте настройки." << 1;
    }
    void balance() {
        QFETCH(QJsonObject, account);
        QFETCH(QString, fault);
        QFETCH(int, showBalance);
        QFETCH(QString, line);
        QFETCH(int, code);
        QVERIFY(m_sandbox.changeAccount(m_key, account));
        QCOMPARE(
            cli({"config", "set", "ShowBalance", QString::number(showBalance), "--integer"}).code,
            0);
        if (!fault.isEmpty())
            QVERIFY(m_sandbox.failNext(1, fault));
        const Run run = cli({"balance"});
        QCOMPARE(run.out, line + "\n");
        QCOMPARE(run.code, code);
    }

    void balanceWithUnknownOrNoKey() {
        QCOMPARE(cli({"config", "set", "@", QString(48, QLatin1Char('F'))}).code, 0);
        Run run = cli({"balance"});
        QCOMPARE(run.code, 3);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains(QLatin1String("does not know")));
        QCOMPARE(cli({"config", "set", "@", ""}).code, 0);
        run = cli({"balance"});
        QCOMPARE(run.code, 3);
        QVERIFY(run.err.contains(QLatin1String("no account key")));
    }

    void keyProtectedByAccessPassword() {
        const QByteArray password = Ansi::fromUnicode(QStringLiteral("пароль"));
        const QByteArray stored = StoredValueCipher::EncipherValue(
            StoredValueCipher::ScrambleWithPassword(m_key.toLatin1(), password),
            StoredValueCipher::kUserKeyKey);
        QCOMPARE(cli({"config", "set", "@", QString::fromLatin1(stored)}).code, 0);
        QCOMPARE(cli({"balance"}, QStringLiteral("пароль")).out,
                 QStringLiteral("Баланс: 100,00\u00a0₽\n"));
        Run run = cli({"balance"}, QStringLiteral("другой"));
        QCOMPARE(run.code, 3);
        QVERIFY(run.err.contains(QLatin1String("wrong access password")));
        run = cli({"send", "--to", "+79161234567", "--text", "x"});
        QCOMPARE(run.code, 3);
        QVERIFY(run.err.contains(QLatin1String("VARNELO_ACCESS_PASSWORD")));
    }

    void olderHistoryBroughtUpToDate() {
        HistoryBytes::Fixed fixed;
        fixed.id = 5;
        fixed.date = 46000;
        fixed.time = 0.5;
        fixed.status = 11;
        fixed.numberLength = 12;
        fixed.number = "+79161234567";
        QDir().mkpath(m_profile.dataFolder());
        const QString path = dataFile(QStringLiteral("History.dat"));
        HistoryBytes::writeFile(path, "Varnelo History v2.1" +
                                          HistoryBytes::v21Record(fixed, "Hi", "Olga"));
        const QString day =
            QDate(1899, 12, 30).addDays(46000).toString(QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(ok({"history"}),
                 QStringLiteral("5\t%1 12:00:00\t11\t+79161234567\tOlga\tHi\t\n").arg(day));
        QVERIFY(HistoryBytes::readFile(path).startsWith("Varnelo History v2.2"));
    }

    void historyCsv_data() {
        // Number, sender, text and signature of the record.
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("plain, contact in the book")
            << QStringList{"+79160000001", "Olga", "Hi", ""} << 11
            << QByteArray("7,2025-03-04T05:06:07,+79160000001,Иван,Olga,Hi,,11,Доставлено\r\n");
        QTest::newRow("number not in the book")
            << QStringList{"+79169999999", "Olga", "Hi", ""} << 10
            << QByteArray("7,2025-03-04T05:06:07,+79169999999,,Olga,Hi,,10,Отправлено\r\n");
        QTest::newRow("contact name with a comma")
            << QStringList{"+79160000002", "Olga", "Hi", ""} << 1
            << QByteArray("7,2025-03-04T05:06:07,+79160000002,\"Петров, Пётр\",Olga,Hi,,1,"
                          "В очереди\r\n");
        QTest::newRow("comma in the text")
            << QStringList{"+79169999999", "Olga", "Завтра, в 10", "Оля"} << 2
            << QByteArray("7,2025-03-04T05:06:07,+79169999999,,Olga,\"Завтра, в 10\",Оля,2,"
                          "Ошибка при отправке\r\n");
        QTest::newRow("quotes doubled")
            << QStringList{"+79169999999", "ООО \"Ромашка\"", "\"Да\"", ""} << 5
            << QByteArray("7,2025-03-04T05:06:07,+79169999999,,\"ООО \"\"Ромашка\"\"\","
                          "\"\"\"Да\"\"\",,5,Ошибка при отправке\r\n");
        QTest::newRow("line breaks kept inside quotes")
            << QStringList{"+79169999999", "Olga", "one\ntwo", "a\r\nb"} << 3
            << QByteArray("7,2025-03-04T05:06:07,+79169999999,,Olga,\"one\ntwo\",\"a\r\nb\",3,"
                          "Не отправлено (кончились СМС)\r\n");
        QTest::newRow("TAB and semicolon need no quotes")
            << QStringList{"+79169999999", "Olga", "a\tb;c", ""} << 12
            << QByteArray("7,2025-03-04T05:06:07,+79169999999,,Olga,a\tb;c,,12,"
                          "Истекло время ожидания\r\n");
        QTest::newRow("status without a legend text")
            << QStringList{"+79160000001", "Olga", "Hi", ""} << 19
            << QByteArray("7,2025-03-04T05:06:07,+79160000001,Иван,Olga,Hi,,19,\r\n");
        QTest::newRow("unknown status") << QStringList{"+79160000001", "", "", ""} << 255
                                        << QByteArray("7,2025-03-04T05:06:07,+79160000001,Иван,"
                                                      ",,,255,\r\n");
    }
    void historyCsv() {
        QFETCH(QStringList, fields);
        QFETCH(int, status);
        QFETCH(QByteArray, row);
        writeBook();
        writeHistory(
            {record(7, fields[0], fields[2], quint8(status), fields[1], fields[3], kSentAt)});
        const QByteArray header = "id,sent,number,contact,sender,text,signature,status,"
                                  "status_text\r\n";
        QCOMPARE(okBytes({"history", "--format", "csv"}), header + row);
    }

    // Rows in file order like the TSV lines, --number narrows them, and a moment the file
    // cannot hold leaves "sent" empty.
    void historyCsvOrderAndNumber() {
        writeBook();
        TMess noMoment = record(3, "+79160000001", "c", 10, "S", "", kSentAt);
        noMoment.Date = qQNaN();
        writeHistory({record(9, "+79160000002", "a", 11, "S", "", kSentAt),
                      record(2, "+79160000001", "b", 11, "S", "", kSentAt), noMoment});
        const QByteArray header = "id,sent,number,contact,sender,text,signature,status,"
                                  "status_text\r\n";
        QCOMPARE(okBytes({"history", "--format", "csv"}),
                 header +
                     "9,2025-03-04T05:06:07,+79160000002,\"Петров, Пётр\",S,a,,11,Доставлено\r\n"
                     "2,2025-03-04T05:06:07,+79160000001,Иван,S,b,,11,Доставлено\r\n"
                     "3,,+79160000001,Иван,S,c,,10,Отправлено\r\n");
        QCOMPARE(okBytes({"history", "--number", "+79160000002", "--format", "csv"}),
                 header +
                     "9,2025-03-04T05:06:07,+79160000002,\"Петров, Пётр\",S,a,,11,Доставлено\r\n");
        writeHistory({});
        QCOMPARE(okBytes({"history", "--format", "csv"}), header);
    }

    // A format the command does not know is named in the message, and nothing is written.
    void historyUnknownFormat() {
        writeHistory({record(7, "+79160000001", "a", 11, "S", "", kSentAt)});
        const Run run = cli({"history", "--format", "xlsx"});
        QCOMPARE(run.code, 2);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.contains(QLatin1String("'xlsx'")), qPrintable(run.err));
    }

    // The TSV lines stay as they were, with or without --format tsv and a book: no names,
    // TAB and line breaks as blanks, LF line ends.
    void historyTsvUnchanged() {
        writeBook();
        writeHistory({record(7, "+79160000002", "a,b\tc\nd", 11, "ООО \"Р\"", "x\r\ny", kSentAt),
                      record(8, "+79160000001", "Привет", 19, "S", "", kSentAt)});
        const QByteArray tsv =
            "7\t04.03.2025 05:06:07\t11\t+79160000002\tООО \"Р\"\ta,b c d\tx  y\n"
            "8\t04.03.2025 05:06:07\t19\t+79160000001\tS\tПривет\t\n";
        QCOMPARE(okBytes({"history"}), tsv);
        QCOMPARE(okBytes({"history", "--format", "tsv"}), tsv);
    }

    // A damaged history is told on stderr, once; the next send keeps the records read. What
    // the tool finds and writes is the user's alone.
    void damagedHistoryIsToldAndKept() {
        writeHistory({record(7, "+79160000001", "a", 11, "S", "", kSentAt)});
        const QString path = dataFile(QStringLiteral("History.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append) && file.write(QByteArray(100, '\0')) == 100);
        file.close();
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_profile.dataFolder()).constData(), 0755) == 0);

        const Run run = cli({"history"});
        QCOMPARE(run.lines().size(), 1);
        HistoryFile::Damage damage;
        HistoryFile(path).readAll(nullptr, &damage);
        QVERIFY(damage);
        QCOMPARE(run.err, QStringLiteral("varnelo-cli: %1\n").arg(damage->message()));
        QCOMPARE(cli({"send", "--to", "+79161234567", "--text", "x"}).code, 0);
        QCOMPARE(HistoryFile(path).readAll().size(), 2);
        for (const QString& own : {path, damage->copyPath, m_profile.dataFolder()})
            QCOMPARE(int(QFile::permissions(own) & 0x0077), 0); // no group or other bits
    }

    void sendOneAndHistory() {
        const Run run = cli({"send", "--to", "+79161234567", "--text", "Привет\x01 мир", "--sign",
                             "Оля", "--sender", "Olga", "--delay", "5"});
        QCOMPARE(run.code, 0);
        QCOMPARE(lastRequest(), "B" + m_key.toLatin1() + "\x01" +
                                    Ansi::fromUnicode(QStringLiteral("Привет мир Оля")) +
                                    "\x01+79161234567\x01Olga\x01"
                                    "5");
        const QStringList lines = run.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Сообщение с идентификатором ")) &&
                     lines[0].endsWith(QStringLiteral(" отправлено")),
                 qPrintable(run.out));
        const QString id = lines[0].section(QLatin1Char(' '), 3, 3);

        const QList<TMess> records = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(records.size(), 1);
        QCOMPARE(QString::number(records[0].Id), id);
        QCOMPARE(records[0].Status, TMess::kStatusSent);
        QCOMPARE(records[0].Text, QStringLiteral("Привет мир"));
        QCOMPARE(records[0].Sign, QStringLiteral("Оля"));

        const QStringList fields = ok({"history"}).chopped(1).split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 7);
        QCOMPARE(fields[0], id);
        const QDateTime when =
            QDateTime::fromString(fields[1], QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        QVERIFY(when.isValid());
        QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTime())) < 120);
        QCOMPARE(fields.mid(2), (QStringList{"10", "+79161234567", "Olga", "Привет мир", "Оля"}));
    }

    // Whatever line breaks the shell hands over go out, and into the history, as the send
    // window's do: CR LF on the wire, one blank each in the stored text.
    void sendLineBreaks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("storedSign");
        QTest::newRow("LF") << QStringLiteral("Раз\nДва") << QStringLiteral("Оля")
                            << Ansi::fromUnicode(QStringLiteral("Раз\r\nДва Оля"))
                            << QStringLiteral("Раз Два") << QStringLiteral("Оля");
        QTest::newRow("CR LF") << QStringLiteral("Раз\r\nДва") << QString()
                               << Ansi::fromUnicode(QStringLiteral("Раз\r\nДва"))
                               << QStringLiteral("Раз Два") << QString();
        QTest::newRow("lone CR") << QStringLiteral("Раз\rДва") << QString()
                                 << Ansi::fromUnicode(QStringLiteral("Раз\r\nДва"))
                                 << QStringLiteral("Раз Два") << QString();
        QTest::newRow("mixed, blank line")
            << QStringLiteral("a\n\nb\r\nc\rd\n") << QString()
            << QByteArray("a\r\n\r\nb\r\nc\r\nd\r\n") << QStringLiteral("a  b c d ") << QString();
        QTest::newRow("break in the signature")
            << QStringLiteral("Привет") << QStringLiteral("Оля\nМаша")
            << Ansi::fromUnicode(QStringLiteral("Привет Оля\r\nМаша")) << QStringLiteral("Привет")
            << QStringLiteral("Оля\r\nМаша");
    }
    void sendLineBreaks() {
        QFETCH(QString, text);
        QFETCH(QString, sign);
        QFETCH(QByteArray, sent);
        QFETCH(QString, stored);
        QFETCH(QString, storedSign);
        QStringList arguments{"send", "--to", "+79161234567", "--text", text};
        if (!sign.isEmpty())
            arguments << "--sign" << sign;
        const Run run = cli(arguments);
        QCOMPARE(run.code, 0);
        QCOMPARE(lastRequest(), "B" + m_key.toLatin1() + "\x01" + sent +
                                    "\x01+79161234567\x01varnelo.ru\x01"
                                    "0");
        const QList<TMess> records = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].Text, stored);
        QCOMPARE(records[0].Sign, storedSign);
    }

    void sendTranslitWithDefaultSender() {
        const Run run =
            cli({"send", "--to", "+79161234567", "--text", "Щука", "--sign", "Оля", "--translit"});
        QCOMPARE(run.code, 0);
        QCOMPARE(lastRequest(), "B" + m_key.toLatin1() +
                                    "\x01SCHuka Olja\x01+79161234567\x01"
                                    "varnelo.ru\x01"
                                    "0");
        const QList<TMess> records = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].Text, QStringLiteral("SCHuka"));
        QCOMPARE(records[0].Sign, QStringLiteral("Olja"));
        QCOMPARE(records[0].Sender, QStringLiteral("varnelo.ru"));
    }

    void sendToGroup() {
        const Run run = cli({"send", "--to", "+79161111111|bad|+79162222222", "--text", "Всем"});
        QCOMPARE(run.out, QStringLiteral("2 из 3 SMS отправлено\n"));
        QCOMPARE(run.code, 1); // one recipient was refused
        const QStringList lines = ok({"history"}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].section(QLatin1Char('\t'), 3, 3), QStringLiteral("+79161111111"));
        QCOMPARE(lines[1].section(QLatin1Char('\t'), 3, 3), QStringLiteral("+79162222222"));
        QCOMPARE(ok({"history", "--number", "+79162222222"}), lines[1] + "\n");

        const Run all = cli({"send", "--to", "+79163333333|+79164444444", "--text", "Всем"});
        QCOMPARE(all.out, QStringLiteral("2 из 2 SMS отправлено\n"));
        QCOMPARE(all.code, 0);
    }

    void sendFailures_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<QString>("line");
        QTest::newRow("no money") << ""
                                  << "0.00"
                                  << "На Вашем балансе недостаточно средств!";
        // The request reached the service: the message may have been charged.
        QTest::newRow("server error") << "http500"
                                      << "100.00" << SendOutcome::kLostReply;
        QTest::newRow("dropped") << "close"
                                 << "100.00" << SendOutcome::kLostReply;
        QTest::newRow("unreadable reply") << "garbage"
                                          << "100.00" << SendOutcome::kUnreadReply;
    }
    void sendFailures() {
        QFETCH(QString, fault);
        QFETCH(QString, balance);
        QFETCH(QString, line);
        QVERIFY(m_sandbox.changeAccount(m_key, {{"balance", balance}}));
        if (!fault.isEmpty())
            QVERIFY(m_sandbox.failNext(1, fault));
        const Run run = cli({"send", "--to", "+79161234567", "--text", "Привет"});
        QCOMPARE(run.out, line + "\n");
        QCOMPARE(run.code, 1);
        QVERIFY(!QFile::exists(dataFile(QStringLiteral("History.dat"))) ||
                HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll().isEmpty());
        // What may have been charged stays in the journal until the user says what it was.
        const QStringList outbox = ok({"outbox"}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(outbox.size(), fault.isEmpty() ? 0 : 1);
        if (!fault.isEmpty()) {
            QVERIFY(run.err.contains(QStringLiteral("outcome unknown for +79161234567")));
            const QStringList fields = outbox[0].split('\t');
            QCOMPARE(fields.mid(3), (QStringList{"+79161234567", QStringLiteral("Привет")}));
            QCOMPARE(fields[1], QStringLiteral("unknown"));
            QCOMPARE(cli({"outbox", "resolve", fields[0], "--drop"}).code, 0);
        }
        QCOMPARE(ok({"outbox"}), QString());
    }

    // A reply that names fewer messages than numbers: what it names is recorded, the rest
    // waits in the journal; settled as sent, it reaches the history as of unknown delivery.
    void replyShortOfNumbers() {
        QVERIFY(m_sandbox
                    .admin("POST", QStringLiteral("/admin/faults"),
                           {{"mode", "reply"}, {"reply", "9101|9102|"}})
                    .contains(QLatin1String("mode")));
        const Run run =
            cli({"send", "--to", "+79161111111|+79162222222|+79163333333", "--text", "Трем"});
        QCOMPARE(run.out,
                 QStringLiteral("Сервер принял 2 из 3 — результат остальных неизвестен\n"));
        QCOMPARE(run.code, 1);
        const QStringList outbox = ok({"outbox"}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(outbox.size(), 1);
        const QStringList fields = outbox[0].split('\t');
        QCOMPARE(fields[3], QStringLiteral("+79163333333"));
        QCOMPARE(cli({"outbox", "resolve", fields[0], "--sent"}).code, 0);
        QCOMPARE(cli({"outbox", "resolve", fields[0], "--sent"}).code, 1); // settled already
        QCOMPARE(ok({"outbox"}), QString());
        const QList<TMess> records = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0].Id, 9101);
        QCOMPARE(records[1].Id, 9102);
        QCOMPARE(records[2].Number, QStringLiteral("+79163333333"));
        QCOMPARE(records[2].Status, TMess::kStatusOutcomeUnknown);
    }

    // Nothing goes out when the journal cannot be written; here another writer makes the
    // store refuse the journal's rows, as a full disk would refuse them.
    void journalRefusedSendsNothing() {
        QCOMPARE(ok({"outbox"}), QString());
        {
            Registry store;
            QVERIFY(StoreDamage::execute(store.filePath(),
                                         "CREATE TRIGGER refuse BEFORE INSERT ON send_journal "
                                         "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); "
                                         "END"));
        }
        const int requests = int(m_sandbox.log().size());
        const Run run = cli({"send", "--to", "+79161234567", "--text", "x"});
        QVERIFY2(run.out.startsWith(QStringLiteral("Сообщение не отправлено: не удалось записать "
                                                   "журнал отправки.")),
                 qPrintable(run.out + run.err));
        QVERIFY(run.out.contains(QStringLiteral("database or disk is full")));
        QCOMPARE(run.code, 1);
        QCOMPARE(int(m_sandbox.log().size()), requests);
        QVERIFY(StoreDamage::execute(Registry().filePath(), "DROP TRIGGER refuse"));
    }

    void sendWithoutKeyMakesNoRequest() {
        QCOMPARE(cli({"config", "set", "@", ""}).code, 0);
        const int requests = int(m_sandbox.log().size());
        const Run run = cli({"send", "--to", "+79161234567", "--text", "Привет"});
        QCOMPARE(run.out, QStringLiteral("Невозможно установить соединение с сервером!\n"));
        QCOMPARE(run.code, 1);
        QCOMPARE(int(m_sandbox.log().size()), requests);
    }

    void noticeInsteadOfSend() {
        QVERIFY(m_sandbox.changeAccount(m_key, {{"notice", "Плановые работы"}}));
        const Run run = cli({"send", "--to", "+79161234567", "--text", "Привет"});
        QCOMPARE(run.code, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains(QStringLiteral("Плановые работы")));
        QVERIFY(!QFile::exists(dataFile(QStringLiteral("History.dat"))) ||
                HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll().isEmpty());
    }

    void statusUpdatesHistory() {
        QCOMPARE(cli({"send", "--to", "+79161111111|+79162222222", "--text", "Всем"}).code, 0);
        const QList<TMess> sent = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(sent.size(), 2);
        QVERIFY(m_sandbox.setMessageStatus(sent[0].Id, 11));

        QCOMPARE(ok({"status", QString::number(sent[0].Id)}),
                 QStringLiteral("%1\t11\n").arg(sent[0].Id));
        QCOMPARE(lastRequest(), "4" + QByteArray::number(sent[0].Id) + "\x01");
        QList<TMess> records = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(records[0].Status, quint8(11));
        QCOMPARE(records[1].Status, TMess::kStatusSent);

        // Without ids: every record still waiting.
        QVERIFY(m_sandbox.setMessageStatus(sent[1].Id, 12));
        QCOMPARE(ok({"status"}), QStringLiteral("%1\t12\n").arg(sent[1].Id));
        records = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(records[1].Status, quint8(12));

        QVERIFY(m_sandbox.failNext(1, QStringLiteral("garbage")));
        const Run failed = cli({"status", QString::number(sent[0].Id)});
        QCOMPARE(failed.code, 1);
        QVERIFY(failed.err.contains(QStringLiteral("Ошибка при подключении!")));
        QCOMPARE(HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll(), records);
    }

    // The plan of a group send: fields filled per contact, priced by the login's tariff, by
    // the one remembered from the last login, or at no price when none is known.
    void groupDryRun_data() {
        QTest::addColumn<bool>("loginBefore");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<QString>("out");
        QTest::addColumn<bool>("pricesUnknown");
        const QString priced = QStringLiteral("+79160000001\tИван\t26\t2\t2.50\n"
                                              "+79160000003\tМаша\t24\t1\t2.00\n"
                                              "recipients\t2\nparts\t3\ntotal\t4.50\n");
        QTest::newRow("login") << false << false << priced + "balance\t100.00\n" << false;
        QTest::newRow("offline, last login's tariff") << true << true << priced << false;
        QTest::newRow("offline, no tariff known")
            << false << true
            << QStringLiteral("+79160000001\tИван\t26\t1\t0.00\n"
                              "+79160000003\tМаша\t24\t1\t0.00\n"
                              "recipients\t2\nparts\t2\ntotal\t0.00\n")
            << true;
    }
    void groupDryRun() {
        QFETCH(bool, loginBefore);
        QFETCH(bool, offline);
        QFETCH(QString, out);
        QFETCH(bool, pricesUnknown);
        writeGroups();
        QVERIFY(m_sandbox.changeSettings(
            {{"smsPrice", "2.00"}, {"extraPartPrice", "0.50"}, {"partLength", 25}}));
        if (loginBefore) {
            QCOMPARE(cli({"balance"}).code, 0);
            QVERIFY(m_sandbox.changeSettings({{"smsPrice", "9.00"}}));
        }
        const int logins = m_sandbox.logCount(QStringLiteral("GetUserInfo"));
        QStringList arguments{"send", "--group", "Работа", "--text", kFieldsText, "--dry-run"};
        if (offline)
            arguments << "--offline";
        const Run run = cli(arguments);
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, out);
        QCOMPARE(m_sandbox.logCount(QStringLiteral("GetUserInfo")) - logins, offline ? 0 : 1);
        QCOMPARE(m_sandbox.logCount(QStringLiteral("SendSms")), 0);
        const QStringList err = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(err.contains(QStringLiteral("varnelo-cli: без номера: 1")), qPrintable(run.err));
        QCOMPARE(err.filter(QStringLiteral("{Фамилия}")).size(), 1);
        QCOMPARE(err.filter(QStringLiteral("+79160000003 (Маша)")).size(), 1); // no signature
        QCOMPARE(err.filter(QStringLiteral("prices are unknown")).size(), pricesUnknown ? 1 : 0);
    }

    // Above the threshold nothing goes without --yes; with it, a text with fields goes to
    // each contact on its own, one without in a single request, and the history holds what
    // each contact got.
    void groupSendAsksThenSends_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QStringList>("recorded");
        QTest::newRow("fields") << QStringLiteral("Привет, {Имя}!") << 2
                                << QStringList{"Привет, Иван!", "Привет, Маша!"};
        QTest::newRow("no fields")
            << QStringLiteral("Всем привет") << 1 << QStringList{"Всем привет", "Всем привет"};
    }
    void groupSendAsksThenSends() {
        QFETCH(QString, text);
        QFETCH(int, requests);
        QFETCH(QStringList, recorded);
        writeGroups();
        QCOMPARE(cli({"config", "set", "ConfirmAboveKopecks", "200"}).code, 0);
        const QStringList arguments{"send", "--group", "Работа", "--text", text};
        const Run asked = cli(arguments);
        QCOMPARE(asked.code, 4);
        QVERIFY2(asked.out.contains(QLatin1String("3.00")) &&
                     asked.out.contains(QLatin1String("--yes")),
                 qPrintable(asked.out));
        QCOMPARE(m_sandbox.logCount(QStringLiteral("SendSms")), 0);

        const Run sent = cli(arguments + QStringList{"--yes"});
        QCOMPARE(sent.code, 0);
        QCOMPARE(sent.out, QStringLiteral("Принято 2 из 2; не принято 0\n"));
        QCOMPARE(m_sandbox.logCount(QStringLiteral("SendSms")), requests);
        const QList<TMess> records = HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].Number, QStringLiteral("+79160000001"));
        QCOMPARE(records[1].Number, QStringLiteral("+79160000003"));
        QCOMPARE((QStringList{records[0].Text, records[1].Text}), recorded);
    }

    // Refused before anything goes out.
    void groupSendRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("told");
        const QStringList hello{"--text", "Привет"};
        QTest::newRow("unknown group")
            << QStringList{"--group", "Нет такой"} + hello << "100.00" << 2 << "'Нет такой'";
        QTest::newRow("no numbers")
            << QStringList{"--group", "Пустые"} + hello << "100.00" << 2 << "В группе нет номеров";
        QTest::newRow("too long") << QStringList{"--group", "Работа", "--text",
                                                 QString(60, 'x') + "{Имя}{Имя}{Имя}"}
                                  << "100.00" << 2 << "+79160000001 (Иван): 72 characters";
        QTest::newRow("short of money") << QStringList{"--group", "Работа", "--yes"} + hello
                                        << "2.00" << 1 << "Пополните баланс";
        QTest::newRow("with --to")
            << QStringList{"--group", "Работа", "--to", "+79160000001"} + hello << "100.00" << 2
            << "--to and --group";
    }
    void groupSendRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, balance);
        QFETCH(int, code);
        QFETCH(QString, told);
        writeGroups();
        QVERIFY(m_sandbox.changeAccount(m_key, {{"balance", balance}}));
        const Run run = cli(QStringList{"send"} + arguments);
        QCOMPARE(run.code, code);
        QVERIFY2((run.out + run.err).contains(told), qPrintable(run.out + run.err));
        QCOMPARE(m_sandbox.logCount(QStringLiteral("SendSms")), 0);
    }

    // What is scheduled asks nothing of the service; it is listed as it will go until cancelled.
    void scheduleListCancel() {
        writeGroups();
        const qsizetype requests = m_sandbox.log().size();
        const QString at =
            QDateTime::currentDateTime().addDays(1).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        const Run one = cli({"send", "--to", "+79161234567", "--text", "Щука", "--sign", "Оля",
                             "--translit", "--at", at});
        const Run group =
            cli({"send", "--group", "Работа", "--text", "Привет, {Имя}!", "--at", at});
        QCOMPARE(one.code, 0);
        QCOMPARE(group.code, 0);
        QCOMPARE(m_sandbox.log().size(), requests);
        const QStringList ids = one.lines() + group.lines();
        QCOMPARE(ids.size(), 3);
        const QString row =
            QStringLiteral("%1\tscheduled\t") + at + QStringLiteral(":00\t%2\t%3\n");
        QCOMPARE(ok({"outbox"}), row.arg(ids[0], "+79161234567", "SCHuka Olja") +
                                     row.arg(ids[1], "+79160000001", "Привет, Иван!") +
                                     row.arg(ids[2], "+79160000003", "Привет, Маша!"));
        QCOMPARE(cli({"outbox", "cancel", ids[1]}).code, 0);
        QCOMPARE(cli({"outbox", "cancel", ids[1]}).code, 2);
        QCOMPARE(ok({"outbox"}).count(QLatin1Char('\n')), 2);
        QCOMPARE(m_sandbox.log().size(), requests);
    }

    void scheduleRefused_data() {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("reason");
        const QDateTime now = QDateTime::currentDateTime();
        QTest::newRow("past") << now.addSecs(-120) << "Это время уже прошло";
        QTest::newRow("over a year")
            << now.addYears(1).addDays(1) << "Время не может быть позже чем через год";
        QTest::newRow("unparsable") << QDateTime() << "Неверная дата или время";
    }
    void scheduleRefused() {
        QFETCH(QDateTime, moment);
        QFETCH(QString, reason);
        const QString at = moment.isValid() ? moment.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                            : QStringLiteral("завтра в 9");
        const Run run = cli({"send", "--to", "+79161234567", "--text", "x", "--at", at});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(reason), qPrintable(run.err));
        QCOMPARE(ok({"outbox"}), QString());
    }

    // A run sends only what is due, once; the rest waits.
    void runSendsWhatIsDue() {
        const QString at =
            QDateTime::currentDateTime().addSecs(3600).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        const QString due = ok({"send", "--to", "+79161111111", "--text", "Пора", "--at", at});
        const QString later = ok({"send", "--to", "+79162222222", "--text", "Потом", "--at", at});
        QVERIFY(SendJournal(Registry())
                    .reschedule(due.trimmed().toLongLong(),
                                QDateTime::currentDateTimeUtc().addSecs(-60)));
        const Run run = cli({"outbox", "run"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.lines().size(), 1);
        QVERIFY2(run.out.startsWith(due.trimmed() + "\tСообщение с идентификатором "),
                 qPrintable(run.out));
        QCOMPARE(cli({"outbox", "run"}).out, QString());
        const QJsonArray messages =
            m_sandbox.admin("GET", QStringLiteral("/admin/messages")).value("messages").toArray();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].toObject().value("text").toString(), QStringLiteral("Пора"));
        QCOMPARE(HistoryFile(dataFile(QStringLiteral("History.dat"))).readAll().size(), 1);
        QVERIFY(ok({"outbox"}).startsWith(later.trimmed() + "\tscheduled\t"));
    }

    void contactsExport_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray vcard = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Иван\r\nN:;Иван;;;\r\n"
                                 "TEL;TYPE=CELL:+79160000001\r\nCATEGORIES:Работа\r\nEND:VCARD\r\n"
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Петров\\, Пётр\r\n"
                                 "N:;Петров\\, Пётр;;;\r\nTEL;TYPE=CELL:+79160000002\r\n"
                                 "CATEGORIES:Работа\r\nEND:VCARD\r\n";
        const QByteArray csv = "Группа,Имя,Телефон,Подпись,Отправитель,Транслит\r\n"
                               "Работа,Иван,+79160000001,,,0\r\n"
                               "Работа,\"Петров, Пётр\",+79160000002,,,0\r\n";
        QTest::newRow("vcard") << QStringList{"contacts", "export", "--format", "vcard"} << vcard;
        QTest::newRow("csv") << QStringList{"contacts", "export", "--format", "csv"} << csv;
        QTest::newRow("csv, option with =")
            << QStringList{"contacts", "export", "--format=csv"} << csv;
    }
    void contactsExport() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        writeBook();
        QCOMPARE(okBytes(arguments), expected);
    }

    void contactsFromOldFile() {
        QDir().mkpath(m_profile.dataFolder());
        QFile file(dataFile(QStringLiteral("Contacts.dat")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TContactEntry::make("Работа", "", "", true, 0).toRecord());
        file.write(TContactEntry::make("Иван", "+79160000001", "Ив", false, 2).toRecord());
        file.write(TContactEntry::make("Друзья", "", "", true, 0).toRecord());
        file.write(TContactEntry::make("Петя", "+79160000002", "", false, 1).toRecord());
        file.close();

        const QString expected = QStringLiteral("group\t0\tРабота\n"
                                                "contact\tИван\t+79160000001\tИв\t\t1\n"
                                                "group\t1\tДрузья\n"
                                                "contact\tПетя\t+79160000002\t\t\t0\n");
        QCOMPARE(ok({"contacts", "list"}), expected);
        QVERIFY(!file.exists()); // moved into the settings store
        QCOMPARE(ok({"contacts", "list"}), expected);
        QVERIFY(ok({"config", "export"})
                    .contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\"
                                             "Друзья\\Петя]\n")));
    }
};

QTEST_GUILESS_MAIN(CliCommandsTest)
#include "CliCommandsTest.moc"
