#include "account/AccessPassword.h"
#include "account/AccountKey.h"
#include "account/RegistrationReply.h"
#include "shared/StoredValueCipher.h"

#include <QTest>

using Verdict = RegistrationReply::Verdict;
Q_DECLARE_METATYPE(RegistrationReply::Verdict)

namespace {

const QByteArray kKey = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

QByteArray protectedValue(const QByteArray& key, const QByteArray& password) {
    return StoredValueCipher::EncipherValue(StoredValueCipher::ScrambleWithPassword(key, password),
                                            StoredValueCipher::kUserKeyKey);
}

} // namespace

// What registration, restore and the access password decide, without a window.
class AccountCoreTest : public QObject {
    Q_OBJECT

private slots:
    void registrationReply_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("ERROR") << "ERROR" << Verdict::ActivationFailed;
        QTest::newRow("error in lower case") << "error" << Verdict::ActivationFailed;
        QTest::newRow("mixed case") << "ErRoR" << Verdict::ActivationFailed;
        QTest::newRow("ERROR with a blank") << "ERROR " << Verdict::Unknown;
        QTest::newRow("empty") << "" << Verdict::EmailTaken;
        QTest::newRow("-1") << "-1" << Verdict::EmailTaken;
        QTest::newRow("-2") << "-2" << Verdict::Unknown;
        QTest::newRow("47 characters") << QString(47, 'A') << Verdict::Unknown;
        QTest::newRow("49 characters") << QString(49, 'A') << Verdict::Unknown;
        QTest::newRow("48 hexadecimal") << QString::fromLatin1(kKey) << Verdict::Key;
        QTest::newRow("48 of anything") << QString(48, QChar(0x0416)) << Verdict::Key;
        QTest::newRow("48 lower-case") << QString::fromLatin1(kKey).toLower() << Verdict::Key;
    }
    void registrationReply() {
        QFETCH(QString, reply);
        QFETCH(Verdict, verdict);
        QCOMPARE(RegistrationReply::judge(reply), verdict);
    }

    void codeWithoutBlanks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("groups of four") << "0123 4567 89AB CDEF"
                                        << "0123456789ABCDEF";
        QTest::newRow("leading and trailing") << "  AB CD  "
                                              << "ABCD";
        QTest::newRow("tab") << "AB\tCD"
                             << "ABCD";
        QTest::newRow("no blanks") << "ABCD"
                                   << "ABCD";
        QTest::newRow("only blanks") << "   "
                                     << "";
    }
    void codeWithoutBlanks() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(RegistrationReply::withoutBlanks(typed), stored);
    }

    void storedKeyText_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("keyText");
        QTest::addColumn<bool>("isProtected");
        QTest::newRow("nothing") << QByteArray() << QByteArray() << false;
        QTest::newRow("plain") << kKey << kKey << false;
        QTest::newRow("short text kept") << QByteArray("abc") << QByteArray("abc") << false;
        QTest::newRow("48 lower-case kept") << kKey.toLower() << kKey.toLower() << false;
        QTest::newRow("protected")
            << protectedValue(kKey, "пароль")
            << StoredValueCipher::ScrambleWithPassword(kKey, "пароль") << true;
        QTest::newRow("long but not a cipher") << QByteArray(60, '_') << QByteArray() << true;
    }
    void storedKeyText() {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, keyText);
        QFETCH(bool, isProtected);
        QCOMPARE(AccountKey::isProtected(stored), isProtected);
        QCOMPARE(AccountKey::storedKeyText(stored), keyText);
    }

    // The whole life of a password: set, change, remove, and what is stored each time.
    void passwordChanges_data() {
        QTest::addColumn<QByteArray>("keyText"); // as the current password protects the key
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<QByteArray>("next");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QByteArray>("storedValue");

        const QByteArray scrambledA = StoredValueCipher::ScrambleWithPassword(kKey, "a1");
        QTest::newRow("set with none before")
            << kKey << QByteArray() << QByteArray("a1") << true << protectedValue(kKey, "a1");
        QTest::newRow("change") << scrambledA << QByteArray("a1") << QByteArray("Секрет") << true
                                << protectedValue(kKey, "Секрет");
        QTest::newRow("remove") << scrambledA << QByteArray("a1") << QByteArray() << true << kKey;
        QTest::newRow("no password, none typed, none set")
            << kKey << QByteArray() << QByteArray() << true << kKey;
        QTest::newRow("no password, one typed")
            << kKey << QByteArray("x") << QByteArray("b") << false << QByteArray();
        QTest::newRow("wrong current")
            << scrambledA << QByteArray("a2") << QByteArray("b") << false << QByteArray();
        QTest::newRow("current left empty")
            << scrambledA << QByteArray() << QByteArray("b") << false << QByteArray();
        QTest::newRow("lower-case key is not a key")
            << kKey.toLower() << QByteArray() << QByteArray("b") << false << QByteArray();
    }
    void passwordChanges() {
        QFETCH(QByteArray, keyText);
        QFETCH(QByteArray, current);
        QFETCH(QByteArray, next);
        QFETCH(bool, accepted);
        QFETCH(QByteArray, storedValue);

        const auto change = AccessPassword::change(keyText, current, next);
        QCOMPARE(change.has_value(), accepted);
        if (!accepted)
            return;
        QCOMPARE(change->userKey, kKey);
        QCOMPARE(change->storedValue, storedValue);
        QCOMPARE(change->storedKeyText, StoredValueCipher::ScrambleWithPassword(kKey, next));
        // What start-up reads back gives the key with the new password, and only with it.
        const QByteArray readBack = AccountKey::storedKeyText(change->storedValue);
        QCOMPARE(AccountKey::isProtected(change->storedValue), !next.isEmpty());
        QCOMPARE(AccessPassword::unlock(readBack, next), std::optional<QByteArray>(kKey));
        if (!next.isEmpty())
            QVERIFY(!AccessPassword::unlock(readBack, next + "x"));
    }
};

QTEST_GUILESS_MAIN(AccountCoreTest)
#include "AccountCoreTest.moc"
