#include "TestProfile.h"
#include "cli/RegFile.h"
#include "messaging/SendOutcome.h"
#include "platform/Ansi.h"
#include "platform/Registry.h"
#include "service/SendReply.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using Change = RegFile::Change;
using Sound = SendOutcome::Sound;
using Action = SendOutcome::Action;

namespace {

QByteArray utf16File(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

} // namespace

class CliUnitsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void singleReplies_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("sound");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("sendEnabled");
        const int ok = int(Sound::SentOK), err = int(Sound::SentErr), none = int(Sound::None);
        const int noAction = int(Action::None);
        QTest::newRow("id") << "123"
                            << "Сообщение с идентификатором 123 отправлено" << ok << noAction
                            << true << false;
        QTest::newRow("0") << "0"
                           << "Пользователь не зарегистрирован!" << err << noAction << false
                           << true;
        QTest::newRow("-2 pays") << "-2"
                                 << "На Вашем балансе недостаточно средств!" << err
                                 << int(Action::LowBalance) << false << true;
        QTest::newRow("-6 unknown") << "-6"
                                    << "Неизвестная ошибка!" << err << noAction << false << true;
        QTest::newRow("-7 admin") << "-7"
                                  << "Привилегия админа выполнена." << ok << noAction << false
                                  << true;
        QTest::newRow("-12 silent")
            << "-12"
            << "Недопустимый отправитель!" << none << noAction << false << true;
        QTest::newRow("-17 silent") << "-17"
                                    << "Недопустимый отправитель (для оператора адресата)" << none
                                    << noAction << false << true;
        QTest::newRow("-20 unknown") << "-20"
                                     << "Неизвестная ошибка!" << err << noAction << false << true;
        QTest::newRow("empty: no connection")
            << ""
            << "Невозможно установить соединение с сервером!" << err << int(Action::ConnectTimeOut)
            << false << true;
        QTest::newRow("lowest integer") << "-2147483648"
                                        << "Невозможно установить соединение с сервером!" << err
                                        << int(Action::ConnectTimeOut) << false << true;
        // The request went out and the reply says nothing: the message may have been taken.
        QTest::newRow("not a number")
            << "12a" << SendOutcome::kUnreadReply << err << noAction << false << true;
        QTest::newRow("too large")
            << "2147483648" << SendOutcome::kUnreadReply << err << noAction << false << true;
    }
    void singleReplies() {
        QFETCH(QString, reply);
        QFETCH(QString, status);
        QFETCH(int, sound);
        QFETCH(int, action);
        QFETCH(bool, accepted);
        QFETCH(bool, sendEnabled);
        const SendOutcome outcome = SendOutcome::judge(reply, QStringLiteral("+79161234567"));
        QCOMPARE(outcome.statusText, status);
        QCOMPARE(int(outcome.sound), sound);
        QCOMPARE(int(outcome.action), action);
        QCOMPARE(outcome.allAccepted, accepted);
        QCOMPARE(outcome.clearMessage, accepted);
        QCOMPARE(outcome.sendEnabled, sendEnabled);
        QCOMPARE(outcome.accepted.size(), accepted ? 1 : 0);
    }

    void groupReplies_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("records"); // id:number, blank-separated
        QTest::addColumn<bool>("all");
        QTest::newRow("two of three") << "11|0|12"
                                      << "a|b|c"
                                      << "2 из 3 SMS отправлено"
                                      << "11:a 12:c" << false;
        QTest::newRow("all") << "11|12|"
                             << "a|b"
                             << "2 из 2 SMS отправлено"
                             << "11:a 12:b" << true;
        QTest::newRow("none") << "0|-4"
                              << "a|b"
                              << "0 из 2 SMS отправлено"
                              << "" << false;
        QTest::newRow("refusals beyond the numbers") << "11|-4|-4"
                                                     << "a"
                                                     << "1 из 3 SMS отправлено"
                                                     << "11:a" << true;
        // An id beyond the numbers says the order cannot be trusted: no id is given.
        QTest::newRow("id beyond the numbers") << "11|12"
                                               << "a"
                                               << "Сервер принял 2 из 1 — результат остальных "
                                                  "неизвестен"
                                               << "" << false;
        QTest::newRow("piece not a number") << "11|x|12"
                                            << "a|b|c"
                                            << "Сервер принял 2 из 3 — результат остальных "
                                               "неизвестен"
                                            << "11:a 12:c" << false;
    }
    void groupReplies() {
        QFETCH(QString, reply);
        QFETCH(QString, numbers);
        QFETCH(QString, status);
        QFETCH(QString, records);
        QFETCH(bool, all);
        const SendOutcome outcome = SendOutcome::judge(reply, numbers);
        QCOMPARE(outcome.statusText, status);
        QStringList got;
        for (const SendOutcome::Accepted& accepted : outcome.accepted)
            got << QStringLiteral("%1:%2").arg(accepted.id).arg(accepted.number);
        QCOMPARE(got.join(QLatin1Char(' ')), records);
        QCOMPARE(outcome.allAccepted, all);
        QVERIFY(!outcome.clearMessage);
        // A reply that does not add up leaves the page ready to send again.
        QCOMPARE(outcome.sendEnabled, status.contains(QStringLiteral("неизвестен")));
        if (status.startsWith(QStringLiteral("Неизвестная")))
            QCOMPARE(outcome.sound, Sound::None);
        else
            QCOMPARE(outcome.sound, reply.contains(QRegularExpression("(^|\\|)[1-9]"))
                                        ? Sound::SentOK
                                        : Sound::SentErr);
    }

    void noticeIsNoSend() {
        const SendOutcome outcome =
            SendOutcome::judge(QStringLiteral("\x01\x01\x01Работы"), QStringLiteral("a"));
        QCOMPARE(outcome.action, Action::ShowNotice);
        QCOMPARE(outcome.notice, QStringLiteral("Работы"));
        QVERIFY(outcome.statusText.isEmpty());
        QVERIFY(outcome.accepted.isEmpty());
        QVERIFY(outcome.sendEnabled);
    }

    void regedit4InCodePage1251() {
        const QByteArray file = Ansi::fromUnicode(QStringLiteral(
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Varnelo]\r\n"
            "@=\"0123\"\r\n\"Host\"=\"сервер \\\"1\\\" \\\\ x\"\r\n\"Port\"=dword:0000ffff\r\n"
            "\"Neg\"=dword:ffffffff\r\n\"Gone\"=-\r\n\"Bin\"=hex:01,02\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Skipped\"=\"1\"\r\n"
            "[HKEY_CURRENT_USER\\Software\\Varnelo\\Contacts\\Семья]\r\n@=\"0|1\"\r\n"
            "\"Caption\"=hex(1):d1,e5,0a,00\r\n"));
        QString error;
        QStringList warnings;
        const auto changes = RegFile::parse(file, &error, &warnings);
        QVERIFY2(changes, qPrintable(error));
        QCOMPARE(warnings.size(), 2); // the hex: value and the foreign key

        Registry registry(m_profile.root() + QStringLiteral("/regedit4.db"));
        registry.writeString(QString(), QStringLiteral("Gone"), QStringLiteral("x"));
        RegFile::apply(registry, *changes);
        QCOMPARE(registry.readString(QString(), QString()), QStringLiteral("0123"));
        QCOMPARE(registry.readString(QString(), QStringLiteral("Host")),
                 QStringLiteral("сервер \"1\" \\ x"));
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("Port")), 65535);
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("Neg")), -1);
        QCOMPARE(registry.valueType(QString(), QStringLiteral("Gone")),
                 Registry::ValueType::Missing);
        QCOMPARE(registry.valueType(QString(), QStringLiteral("Skipped")),
                 Registry::ValueType::Missing);
        QCOMPARE(registry.readString(QStringLiteral("Contacts\\Семья"), QStringLiteral("Caption")),
                 QStringLiteral("Се\n"));
    }

    void version5RoundTrip() {
        Registry source(m_profile.root() + QStringLiteral("/source.db"));
        source.writeString(QString(), QString(), QStringLiteral("KEY"));
        source.writeString(QString(), QStringLiteral("Quote \"q\""), QStringLiteral("a\\b\"c"));
        source.writeInteger(QString(), QStringLiteral("Min"), std::numeric_limits<qint32>::min());
        source.writeString(QStringLiteral("Contacts\\Друзья\\Оля"), QStringLiteral("Caption"),
                           QStringLiteral("two\r\nlines\tand a long tail to wrap the hex lines"));
        source.writeString(QStringLiteral("Contacts\\Друзья\\Оля"), QStringLiteral("Number"),
                           QStringLiteral("+79161234567"));
        QStringList warnings;
        const QString text = RegFile::write(source.readBranch(QString()), &warnings);
        QVERIFY(warnings.isEmpty());
        QVERIFY(text.startsWith(QLatin1String("Windows Registry Editor Version 5.00\n")));
        QVERIFY(text.contains(QLatin1String("\"Min\"=dword:80000000\n")));

        // Both as written (UTF-8) and as Windows writes it (UTF-16LE with its mark).
        for (const QByteArray& file : {text.toUtf8(), utf16File(text)}) {
            QString error;
            const auto changes = RegFile::parse(file, &error, &warnings);
            QVERIFY2(changes, qPrintable(error));
            Registry copy(m_profile.root() + QStringLiteral("/copy-%1.db").arg(file.size()));
            RegFile::apply(copy, *changes);
            QCOMPARE(RegFile::write(copy.readBranch(QString()), &warnings), text);
        }
    }

    void badFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no header") << QByteArray("[HKEY_CURRENT_USER\\Software\\Varnelo]\n");
        QTest::newRow("value before key") << QByteArray("REGEDIT4\n\"a\"=\"b\"\n");
        QTest::newRow("open quote")
            << QByteArray("REGEDIT4\n[HKCU\\Software\\Varnelo]\n\"a\"=\"b\n");
        QTest::newRow("open key") << QByteArray("REGEDIT4\n[HKCU\\Software\\Varnelo\n");
        QTest::newRow("long dword")
            << QByteArray("REGEDIT4\n[HKCU\\Software\\Varnelo]\n\"a\"=dword:123456789\n");
        QTest::newRow("bad hex") << QByteArray(
            "REGEDIT4\n[HKCU\\Software\\Varnelo]\n\"a\"=hex(1):zz\n");
        QTest::newRow("odd utf-16") << QByteArray("\xFF\xFE\x57", 3);
        QTest::newRow("bad utf-8")
            << QByteArray("Windows Registry Editor Version 5.00\n\xC3\x28\n");
        QTest::newRow("empty key part")
            << QByteArray("REGEDIT4\n[HKCU\\Software\\Varnelo\\Contacts\\\\x]\n");
    }
    void badFiles() {
        QFETCH(QByteArray, file);
        QString error;
        QStringList warnings;
        QVERIFY(!RegFile::parse(file, &error, &warnings));
        QVERIFY(!error.isEmpty());
    }

    // Cut anywhere or filled with noise, a file gives a result or an error, never a crash.
    void cutAndNoisyFiles() {
        const QString text = QStringLiteral(
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Varnelo]\n"
            "@=\"K\"\n\"A\"=dword:0000000a\n\"B\"=hex(1):41,00,0a,00,00,00\n"
            "\"C\"=hex(4):01,02,\\\n  03,04\n\"D\"=\"x\\\"y\"\n");
        QString error;
        QStringList warnings;
        const auto changes = RegFile::parse(text.toUtf8(), &error, &warnings);
        QVERIFY2(changes, qPrintable(error));
        Registry registry(m_profile.root() + QStringLiteral("/noisy.db"));
        RegFile::apply(registry, *changes);
        QCOMPARE(registry.readString(QString(), QStringLiteral("B")), QStringLiteral("A\n"));
        QCOMPARE(registry.readInteger(QString(), QStringLiteral("C")), 0x04030201);
        QCOMPARE(registry.readString(QString(), QStringLiteral("D")), QStringLiteral("x\"y"));
        for (const QByteArray& whole :
             {text.toUtf8(), utf16File(text),
              Ansi::fromUnicode(QStringLiteral("REGEDIT4") + text.mid(36))}) {
            for (qsizetype cut = 0; cut <= whole.size(); ++cut)
                RegFile::parse(whole.left(cut), &error, &warnings);
        }
        QRandomGenerator random(1251);
        for (int round = 0; round < 2000; ++round) {
            QByteArray noisy = text.toUtf8();
            for (int flips = 0; flips < 4; ++flips)
                noisy[random.bounded(int(noisy.size()))] = char(random.bounded(256));
            RegFile::parse(noisy, &error, &warnings);
        }
    }
};

QTEST_GUILESS_MAIN(CliUnitsTest)
#include "CliUnitsTest.moc"
