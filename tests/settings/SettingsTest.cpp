#include "shared/Settings.h"
#include "TestProfile.h"
#include "platform/Registry.h"
#include "shared/StoredValueCipher.h"

#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace {

struct FirstStartValue {
    const char* name;
    QVariant value;
};

// What the first start of a fresh profile writes, in its order.
const QList<FirstStartValue> kFirstStart = {{"Left", 248},
                                            {"Height", 387},
                                            {"Top", 111},
                                            {"StayOnTop", 0},
                                            {"Host", "localhost"},
                                            {"Port", 3000},
                                            {"UseIESettings", 0},
                                            {"TimeFormat", "<DD.MM.YY HH:NN>"},
                                            {"ShowSplash", 1},
                                            {"SoundConnectOK", ""},
                                            {"SoundConnectErr", ""},
                                            {"SoundSentOK", ""},
                                            {"SoundSentErr", ""},
                                            {"UseProxy", 0},
                                            {"ProxyAuthentication", 0},
                                            {"ProxyServer", ""},
                                            {"ProxyPort", 0},
                                            {"ProxyUserName", ""},
                                            {"ProxyPassword", ""},
                                            {"UseAlphaBlend", 0},
                                            {"MenuWithGroup", 1},
                                            {"AlphaBlendValue", 200},
                                            {"HistoryMessCount", 3000},
                                            {"Theme", "Default.skn"},
                                            {"TimeStamp", 0}};

qsizetype firstStartCount() {
    return std::count_if(std::begin(Setting::kTable), std::end(Setting::kTable),
                         [](const Setting::Entry& entry) { return entry.firstStart; });
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    std::unique_ptr<Registry> m_registry;
    int m_counter = 0;

private slots:
    void init() {
        m_registry = std::make_unique<Registry>(m_profile.root() +
                                                QStringLiteral("/s%1.db").arg(++m_counter));
    }

    void defaultsOfValuesFirstStartDoesNotWrite_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fallback");
        QTest::newRow("UseBalloonTips") << "UseBalloonTips" << true;
        QTest::newRow("MinimizeSendWindow") << "MinimizeSendWindow" << false;
        QTest::newRow("TransparentOnlyInActive") << "TransparentOnlyInActive" << false;
        QTest::newRow("SlowHideOnClose") << "SlowHideOnClose" << false;
        QTest::newRow("ShowBalance") << "ShowBalance" << true;
        QTest::newRow("CanUseStatus") << "CanUseStatus" << false;
    }
    void defaultsOfValuesFirstStartDoesNotWrite() {
        QFETCH(QString, name);
        QFETCH(bool, fallback);
        Settings settings(*m_registry);
        settings.runFirstStart({});
        const Setting::Bool setting{qPrintable(name), fallback};
        QByteArray latin = name.toLatin1();
        const Setting::Bool stable{latin.constData(), fallback};
        QVERIFY(!m_registry->readInteger({}, name));
        QCOMPARE(settings.get(stable), fallback);
        // A value of another type counts as missing: still the default.
        m_registry->writeString({}, name, QStringLiteral("1"));
        QCOMPARE(settings.get(stable), fallback);
        m_registry->writeInteger({}, name, fallback ? 0 : 5);
        QCOMPARE(settings.get(stable), !fallback);
        Q_UNUSED(setting);
    }

    void firstStartTrigger_data() {
        QTest::addColumn<int>("portState"); // 0 missing, 1 integer, 2 string
        QTest::addColumn<bool>("runs");
        QTest::newRow("no key at all") << 0 << true;
        QTest::newRow("Port as integer") << 1 << false;
        QTest::newRow("Port as string") << 2 << true;
    }
    void firstStartTrigger() {
        QFETCH(int, portState);
        QFETCH(bool, runs);
        Settings settings(*m_registry);
        if (portState == 1)
            m_registry->writeInteger({}, "Port", 8080);
        if (portState == 2)
            m_registry->writeString({}, "Port", "8080");
        m_registry->writeString({}, "Host", "example.org");
        const auto address = settings.serverAddress();
        QCOMPARE(!address.has_value(), runs);
        if (address) {
            QCOMPARE(address->host, QStringLiteral("example.org"));
            QCOMPARE(address->port, 8080);
        }
    }

    void firstStartWritesItsValues() {
        Settings settings(*m_registry);
        m_registry->writeString({}, "Host", "old.example.org");
        m_registry->writeInteger({}, "HistoryMessCount", 17);
        const auto live = settings.runFirstStart({10, 20, 300});
        QCOMPARE(live.host, QStringLiteral("localhost"));
        QCOMPARE(live.port, 3000);
        QCOMPARE(m_registry->valueNames({}).size(), firstStartCount());
        QCOMPARE(m_registry->valueNames({}).size(), kFirstStart.size());
        QVERIFY(!m_registry->valueNames({}).contains(QString())); // the account key stays empty

        for (FirstStartValue e : kFirstStart) {
            const QString name = QString::fromLatin1(e.name);
            if (name == QLatin1String("Left"))
                e.value = 10;
            else if (name == QLatin1String("Top"))
                e.value = 20;
            else if (name == QLatin1String("Height"))
                e.value = 300;
            if (e.value.typeId() == QMetaType::Int)
                QCOMPARE(m_registry->readInteger({}, name), std::optional<qint32>(e.value.toInt()));
            else
                QCOMPARE(m_registry->readStringValue({}, name),
                         std::optional<QString>(e.value.toString()));
        }
        QVERIFY(settings.serverAddress().has_value());
    }

    // A fresh store holds the values in the order they were written.
    void firstStartWritesInItsOrder() {
        const QString file = m_profile.root() + QStringLiteral("/order.db");
        {
            Registry registry(file);
            Settings(registry).runFirstStart({});
        }
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
                 SQLITE_OK);
        sqlite3_stmt* query = nullptr;
        QCOMPARE(
            sqlite3_prepare_v2(db, "SELECT name FROM vals ORDER BY rowid", -1, &query, nullptr),
            SQLITE_OK);
        QStringList written;
        while (sqlite3_step(query) == SQLITE_ROW)
            written << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
        sqlite3_finalize(query);
        sqlite3_close(db);
        QStringList expected;
        for (const FirstStartValue& e : kFirstStart)
            expected << QString::fromLatin1(e.name);
        QCOMPARE(written, expected);
    }

    void historyMessCount_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("count");
        QTest::newRow("missing") << QVariant() << 3000;
        QTest::newRow("zero") << QVariant(0) << 3000;
        QTest::newRow("negative") << QVariant(-4) << 3000;
        QTest::newRow("500") << QVariant(500) << 500;
        QTest::newRow("string") << QVariant(QStringLiteral("10")) << 3000;
    }
    void historyMessCount() {
        QFETCH(QVariant, stored);
        QFETCH(int, count);
        if (stored.typeId() == QMetaType::Int)
            m_registry->writeInteger({}, "HistoryMessCount", stored.toInt());
        else if (stored.isValid())
            m_registry->writeString({}, "HistoryMessCount", stored.toString());
        QCOMPARE(Settings(*m_registry).historyMessCount(), count);
    }

    void notCheckTextLength() {
        Settings settings(*m_registry);
        QVERIFY(settings.checkTextLength());
        m_registry->writeString({}, "NotCheckTextLength", "1");
        QVERIFY(settings.checkTextLength()); // a string counts as missing
        m_registry->writeInteger({}, "NotCheckTextLength", 0);
        QVERIFY(!settings.checkTextLength()); // any integer switches the check off
    }

    void readersWriteTheirDefaultBack() {
        Settings settings(*m_registry);
        QCOMPARE(settings.hideTime(), 1000);
        QCOMPARE(settings.showTime(), 300);
        QVERIFY(settings.showSplash());
        QCOMPARE(m_registry->readInteger({}, "HideTime"), std::optional<qint32>(1000));
        QCOMPARE(m_registry->readInteger({}, "ShowTime"), std::optional<qint32>(300));
        QCOMPARE(m_registry->readInteger({}, "ShowSplash"), std::optional<qint32>(1));
        m_registry->writeInteger({}, "HideTime", 50);
        m_registry->writeBool({}, "ShowSplash", false);
        QCOMPARE(settings.hideTime(), 50);
        QVERIFY(!settings.showSplash());
    }

    void themeAndTimeFormat() {
        Settings settings(*m_registry);
        QCOMPARE(settings.theme(), QStringLiteral("Default.skn"));
        m_registry->writeString({}, "Theme", "");
        QCOMPARE(settings.theme(), QStringLiteral("Default.skn"));
        settings.set(Setting::Theme, QStringLiteral("Ocean.skn"));
        QCOMPARE(settings.theme(), QStringLiteral("Ocean.skn"));
        QCOMPARE(settings.timeFormatForDialog(), QStringLiteral("<DD.MM.YY HH:MM>"));
        settings.set(Setting::TimeFormat, QStringLiteral("<HH:NN>"));
        QCOMPARE(settings.timeFormatForDialog(), QStringLiteral("<HH:NN>"));
    }

    void alphaBlendValueIsClamped() {
        Settings settings(*m_registry);
        QCOMPARE(settings.alphaBlendValue(), 200);
        settings.set(Setting::AlphaBlendValue, 1000);
        QCOMPARE(settings.alphaBlendValue(), 255);
        settings.set(Setting::AlphaBlendValue, -3);
        QCOMPARE(settings.alphaBlendValue(), 0);
    }

    void proxyPasswordIsNeverPlain() {
        Settings settings(*m_registry);
        settings.setProxyPassword(QStringLiteral("пароль"));
        const QString stored = m_registry->readString({}, "ProxyPassword");
        QVERIFY(!stored.contains(QStringLiteral("пароль")));
        QCOMPARE(stored.size(), 12);
        QCOMPARE(settings.proxyPassword(), QStringLiteral("пароль"));
        settings.setProxyPassword({});
        QCOMPARE(m_registry->readString({}, "ProxyPassword"), QString());
        // A stored text that we cannot have written gives an empty password, not garbage.
        QByteArray foreign;
        for (char c : QByteArray("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
            if (!StoredValueCipher::DecipherValue(QByteArray(2, c),
                                                  StoredValueCipher::kProxyPasswordKey)) {
                foreign = QByteArray(2, c);
                break;
            }
        }
        QVERIFY(!foreign.isEmpty());
        m_registry->writeBytes({}, "ProxyPassword", foreign);
        QCOMPARE(settings.proxyPassword(), QString());
    }

    // A caller that meets a value by its name (the command line) finds it as the store does.
    void settingByName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type"); // -1: not a value of the table
        using Type = Setting::Entry::Type;
        QTest::newRow("Port") << "Port" << int(Type::Integer);
        QTest::newRow("PORT") << "PORT" << int(Type::Integer);
        QTest::newRow("host") << "host" << int(Type::String);
        QTest::newRow("UseProxy") << "UseProxy" << int(Type::Flag);
        QTest::newRow("timestamp") << "timestamp" << int(Type::Flag);
        QTest::newRow("ProxyPassword") << "ProxyPassword" << int(Type::String);
        QTest::newRow("default value") << "" << -1;
        QTest::newRow("a contact's value") << "Sender" << -1;
        QTest::newRow("trailing blank") << "Port " << -1;
        QTest::newRow("longer") << "Ports" << -1;
        // Outside code page 1251 the store names it "Ho?t", whatever Unicode folding says.
        QTest::newRow("long s") << QStringLiteral("Ho\u017Ft") << -1;
    }
    void settingByName() {
        QFETCH(QString, name);
        QFETCH(int, type);
        const std::optional<Setting::Entry> entry = Setting::byName(name);
        QCOMPARE(entry.has_value(), type >= 0);
        if (entry) {
            QCOMPARE(int(entry->type), type);
            QVERIFY(QString::fromLatin1(entry->name).compare(name, Qt::CaseInsensitive) == 0);
        }
    }

    // Each value first start writes is in the table, with the type it is stored with.
    void tableAgreesWithFirstStart() {
        Settings(*m_registry).runFirstStart({});
        const QStringList names = m_registry->valueNames({});
        QCOMPARE(names.size(), firstStartCount());
        for (const QString& name : names) {
            const std::optional<Setting::Entry> entry = Setting::byName(name);
            QVERIFY2(entry, qPrintable(name));
            const bool integer = entry->type != Setting::Entry::Type::String;
            QCOMPARE(m_registry->valueType({}, name),
                     integer ? Registry::ValueType::Integer : Registry::ValueType::String);
        }
        for (const Setting::Entry& entry : Setting::kTable)
            QCOMPARE(Setting::byName(QString::fromLatin1(entry.name))->name, entry.name);
    }

    void failedWriteIsAnError() {
        const QString file = m_profile.root() + QStringLiteral("/readonly.db");
        {
            Registry r(file);
            r.writeInteger({}, "Port", 1);
        }
        QFile::setPermissions(file, QFile::ReadOwner);
        if (QFileInfo(file).isWritable())
            QSKIP("running as a user who can write read-only files");
        Registry r(file);
        Settings settings(r);
        QVERIFY_THROWS_EXCEPTION(RegistryError, settings.set(Setting::Port, 2));
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "SettingsTest.moc"
