#include "TestProfile.h"
#include "platform/Ansi.h"
#include "settings/AccountData.h"
#include "settings/GeneralNumber.h"
#include "settings/VoucherFile.h"
#include "settings/VoucherReplies.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

#include <unistd.h>

namespace {

// The reply of LoadSettingsFromServer for these lines, as the service sends it.
QString replyFor(const QStringList& lines) {
    return QString::fromLatin1(Ansi::fromUnicode(lines.join(QChar(0x01))).toBase64());
}

QStringList accountLines(int count) {
    const QStringList all = {"17",     "Здравствуйте!", "Ivan.PETROV@Example.ORG",
                             "Иван",   "01.02.2024",    "+79161234567",
                             "123456", "654321",        "Москва",
                             "98.50",  "1.50",          "2.00",
                             "0.50"};
    return all.mid(0, count);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

Q_DECLARE_METATYPE(VoucherReplies::AmountCheck)
Q_DECLARE_METATYPE(VoucherReplies::Purchase)
Q_DECLARE_METATYPE(VoucherReplies::Activation)

// The logic behind the server page: the account data reply, numbers written for the user,
// the voucher file and the reading of voucher replies.
class SettingsCoreTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void lineCounts_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<double>("fee");
        QTest::addColumn<double>("detail");
        QTest::newRow("13 lines") << replyFor(accountLines(13)) << true << 2.0 << 0.5;
        QTest::newRow("11 lines: no prices") << replyFor(accountLines(11)) << true << 0.0 << 0.0;
        QTest::newRow("12 lines: no detail price")
            << replyFor(accountLines(12)) << true << 2.0 << 0.0;
        QTest::newRow("10 lines") << replyFor(accountLines(10)) << false << 0.0 << 0.0;
        QTest::newRow("11 with a closing separator")
            << replyFor(accountLines(10) + QStringList{"1.50", ""}) << true << 0.0 << 0.0;
        QTest::newRow("10 and a closing separator")
            << replyFor(accountLines(9) + QStringList{"1.50", ""}) << false << 0.0 << 0.0;
        QTest::newRow("not Base64") << QStringLiteral("!!!") << false << 0.0 << 0.0;
    }
    void lineCounts() {
        QFETCH(QString, reply);
        QFETCH(bool, filled);
        QFETCH(double, fee);
        QFETCH(double, detail);
        const std::optional<AccountData> data =
            AccountData::fromLines(AccountData::decodeLines(reply));
        QCOMPARE(data.has_value(), filled);
        if (!filled)
            return;
        QCOMPARE(data->uniqueNumber, "17");
        QCOMPARE(data->greeting, "Здравствуйте!");
        QCOMPARE(data->registered, "01.02.2024");
        QCOMPARE(data->icq1, "123456");
        QCOMPARE(data->icq2, "654321");
        QCOMPARE(data->balance, "98.50");
        QCOMPARE(data->smsPrice, "1.50");
        QCOMPARE(data->voucherFee, fee);
        QCOMPARE(data->detailPrice, detail);
    }

    void lineBreaksInsideLines() {
        // A CR LF inside a line starts a new one, as the 0x01 turned into CR LF would.
        QStringList lines = accountLines(13);
        lines[1] = QStringLiteral("первая\r\nвторая");
        const QStringList decoded = AccountData::decodeLines(replyFor(lines));
        QCOMPARE(decoded.size(), 14);
        QCOMPARE(decoded[1], "первая");
        QCOMPARE(decoded[2], "вторая");
    }

    void emailLowerCase_data() {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("shown");
        QTest::newRow("latin") << "Ivan.PETROV@Example.ORG"
                               << "ivan.petrov@example.org";
        QTest::newRow("cyrillic with Ё") << "ЁЛКА@ПОЧТА.РФ"
                                         << "ёлка@почта.рф";
        QTest::newRow("digits and signs stay") << "A_1+2@B-3.C"
                                               << "a_1+2@b-3.c";
    }
    void emailLowerCase() {
        QFETCH(QString, email);
        QFETCH(QString, shown);
        QStringList lines = accountLines(11);
        lines[2] = email;
        QCOMPARE(AccountData::fromLines(AccountData::decodeLines(replyFor(lines)))->email, shown);
    }

    void prices_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("point") << "1.5" << 1.5;
        QTest::newRow("comma") << "1,5" << 1.5;
        QTest::newRow("whole") << "3" << 3.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("words") << "бесплатно" << 0.0;
        QTest::newRow("two marks") << "1.000,5" << 0.0;
    }
    void prices() {
        QFETCH(QString, text);
        QFETCH(double, value);
        for (const QLocale& locale : {QLocale(QLocale::Russian, QLocale::Russia), QLocale::c()}) {
            QLocale::setDefault(locale);
            QStringList lines = accountLines(13);
            lines[11] = text;
            lines[12] = text;
            const auto data = AccountData::fromLines(AccountData::decodeLines(replyFor(lines)));
            QCOMPARE(data->voucherFee, value);
            QCOMPARE(data->detailPrice, value);
        }
    }

    void generalNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("russian");
        QTest::addColumn<QString>("c");
        QTest::newRow("fraction") << 1.5 << "1,5"
                                  << "1.5";
        QTest::newRow("whole") << 2.0 << "2"
                               << "2";
        QTest::newRow("no group separator") << 1234567.25 << "1234567,25"
                                            << "1234567.25";
        QTest::newRow("15 digits") << 0.1 + 0.2 << "0,3"
                                   << "0.3";
        QTest::newRow("zero") << 0.0 << "0"
                              << "0";
    }
    void generalNumber() {
        QFETCH(double, value);
        QFETCH(QString, russian);
        QFETCH(QString, c);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(generalNumberText(value), russian);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(generalNumberText(value), c);
    }

    void voucherLine() {
        const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 59));
        QCOMPARE(VoucherFile::line(when, QStringLiteral("S"), QStringLiteral("0100")),
                 "07.03.26 09:05\tS\t0100 руб.");
    }

    void voucherFileCreatedThenAppended() {
        const QString folder = m_profile.root() + QStringLiteral("/vouchers");
        QDir().mkpath(folder);
        const QString serial1(32, QLatin1Char('A'));
        const QString serial2(32, QLatin1Char('B'));
        QVERIFY(VoucherFile::append(folder, QDateTime(QDate(2026, 1, 2), QTime(3, 4)), serial1,
                                    QStringLiteral("50"))
                    .isEmpty());
        const QByteArray first = "02.01.26 03:04\t" + serial1.toLatin1() + "\t50 \xF0\xF3\xE1.\r\n";
        QCOMPARE(readFile(folder + "/Vouchers.txt"), first);
        QVERIFY(VoucherFile::append(folder, QDateTime(QDate(2026, 12, 31), QTime(23, 59)), serial2,
                                    QStringLiteral("7"))
                    .isEmpty());
        QCOMPARE(readFile(folder + "/Vouchers.txt"),
                 first + "31.12.26 23:59\t" + serial2.toLatin1() + "\t7 \xF0\xF3\xE1.\r\n");
    }

    void voucherFileLastLineWithoutBreak() {
        const QString folder = m_profile.root() + QStringLiteral("/edited");
        QDir().mkpath(folder);
        QFile file(folder + "/Vouchers.txt");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("typed by hand");
        file.close();
        QVERIFY(VoucherFile::append(folder, QDateTime(QDate(2026, 1, 2), QTime(3, 4)),
                                    QStringLiteral("S"), QStringLiteral("1"))
                    .isEmpty());
        QCOMPARE(readFile(folder + "/Vouchers.txt"),
                 QByteArray("typed by hand\r\n02.01.26 03:04\tS\t1 \xF0\xF3\xE1.\r\n"));
    }

    void voucherFileNotWritable() {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        const QString folder = m_profile.root() + QStringLiteral("/readonly");
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString error = VoucherFile::append(folder, QDateTime::currentDateTime(),
                                                  QStringLiteral("S"), QStringLiteral("1"));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QVERIFY(!error.isEmpty());
    }

    void voucherFileInTheWayIsAFolder() {
        // Whoever runs it, a folder named like the file cannot be replaced: the old stays.
        const QString folder = m_profile.root() + QStringLiteral("/blocked");
        QDir().mkpath(folder + "/Vouchers.txt");
        QVERIFY(!VoucherFile::append(folder, QDateTime::currentDateTime(), QStringLiteral("S"),
                                     QStringLiteral("1"))
                     .isEmpty());
        QVERIFY(QFileInfo(folder + "/Vouchers.txt").isDir());
    }

    void amounts_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<VoucherReplies::AmountCheck>("check");
        using C = VoucherReplies::AmountCheck;
        QTest::newRow("digits") << "100" << C::Valid;
        QTest::newRow("leading zero") << "0100" << C::Valid;
        QTest::newRow("trailing blank") << "100 " << C::NotDigits;
        QTest::newRow("leading blank") << " 100" << C::NotDigits;
        QTest::newRow("sign") << "-5" << C::NotDigits;
        QTest::newRow("decimal") << "1.5" << C::NotDigits;
        QTest::newRow("arabic-indic digit") << "١٢" << C::NotDigits;
        QTest::newRow("empty") << "" << C::Empty;
    }
    void amounts() {
        QFETCH(QString, amount);
        QFETCH(VoucherReplies::AmountCheck, check);
        QCOMPARE(VoucherReplies::checkAmount(amount), check);
    }

    void purchases_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<VoucherReplies::Purchase>("purchase");
        using P = VoucherReplies::Purchase;
        QTest::newRow("serial") << QString(32, QLatin1Char('F')) << P::Issued;
        QTest::newRow("31 characters") << QString(31, QLatin1Char('F')) << P::Unknown;
        QTest::newRow("33 characters") << QString(33, QLatin1Char('F')) << P::Unknown;
        QTest::newRow("0") << "0" << P::NotRegistered;
        QTest::newRow("-1") << "-1" << P::BalanceShort;
        QTest::newRow("empty") << "" << P::NoConnection;
        QTest::newRow("-2") << "-2" << P::Unknown;
    }
    void purchases() {
        QFETCH(QString, reply);
        QFETCH(VoucherReplies::Purchase, purchase);
        QCOMPARE(VoucherReplies::readPurchase(reply), purchase);
    }

    void activations_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<VoucherReplies::Activation>("activation");
        using A = VoucherReplies::Activation;
        QTest::newRow("amount") << "50" << A::Credited;
        QTest::newRow("amount with comma") << "12,5" << A::Credited;
        QTest::newRow("amount with point") << "12.5" << A::Credited;
        QTest::newRow("0") << "0" << A::Unknown;
        QTest::newRow("-1") << "-1" << A::NotFound;
        QTest::newRow("-2") << "-2" << A::NotActivated;
        QTest::newRow("-3") << "-3" << A::UserNotFound;
        QTest::newRow("-4") << "-4" << A::Unknown;
        QTest::newRow("empty") << "" << A::NoConnection;
        QTest::newRow("words") << "ok" << A::Unknown;
    }
    void activations() {
        QFETCH(QString, reply);
        QFETCH(VoucherReplies::Activation, activation);
        QCOMPARE(VoucherReplies::readActivation(reply), activation);
    }
};

QTEST_GUILESS_MAIN(SettingsCoreTest)
#include "SettingsCoreTest.moc"
