#include "shared/StoredValueCipher.h"

#include <QRandomGenerator>
#include <QTest>

using namespace StoredValueCipher;

class StoredValueCipherTest : public QObject {
    Q_OBJECT

    static QByteArray randomBytes(QRandomGenerator& rng, int length, int low, int high) {
        QByteArray bytes;
        for (int i = 0; i < length; ++i)
            bytes.append(char(rng.bounded(low, high + 1)));
        return bytes;
    }

private slots:
    void hexText_data() {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("abc") << QByteArray("616263") << true << QByteArray("abc");
        QTest::newRow("odd length is empty") << QByteArray("61626") << true << QByteArray();
        QTest::newRow("lower-case low digit") << QByteArray("6a") << true << QByteArray("\x8A");
        QTest::newRow("bad high digit") << QByteArray("g1") << false << QByteArray();
        QTest::newRow("high digit below zero") << QByteArray("/1") << false << QByteArray();
        QTest::newRow("value above 255") << QByteArray("FZ") << false << QByteArray();
        QTest::newRow("empty") << QByteArray() << true << QByteArray();
    }
    void hexText() {
        QFETCH(QByteArray, hex);
        QFETCH(bool, ok);
        QFETCH(QByteArray, text);
        const auto result = FromHexText(hex);
        QCOMPARE(result.has_value(), ok);
        if (ok)
            QCOMPARE(*result, text);
    }

    void toHexIsUpperCase() {
        QCOMPARE(ToHexText("abc"), QByteArray("616263"));
        QCOMPARE(ToHexText("\xFF\x0A"), QByteArray("FF0A"));
        QCOMPARE(ToHexText({}), QByteArray());
    }

    void knownCipherTexts_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("cipher");
        // Worked by hand: "A" is hex "41"; with key "0": 4+0+0+3 = 7, 1+0+0+3 = 4.
        QTest::newRow("one-character key")
            << QByteArray("A") << QByteArray("0") << QByteArray("74");
        // Key "12": positions use (1,2) then (2,1): 4+3+3 = 10 → "A", 1+3+3 = 7.
        QTest::newRow("wrapping key") << QByteArray("A") << QByteArray("12") << QByteArray("A7");
        // Key "Z": 35+35 = 70; 4+70+3 = 77 mod 36 = 5, 1+70+3 = 74 mod 36 = 2.
        QTest::newRow("sum wraps the alphabet")
            << QByteArray("A") << QByteArray("Z") << QByteArray("52");
    }
    void knownCipherTexts() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, cipher);
        QCOMPARE(EncipherValue(text, key), cipher);
        QCOMPARE(DecipherValue(cipher, key), std::optional<QByteArray>(text));
    }

    void emptyTexts() {
        QCOMPARE(EncipherValue({}, "Pradun_KT"), QByteArray());
        QCOMPARE(DecipherValue({}, "Pradun_KT"), std::optional<QByteArray>(QByteArray()));
    }

    void emptyKeyIsTheDefaultKey() {
        QCOMPARE(EncipherValue("secret", {}), EncipherValue("secret", "73519"));
        QCOMPARE(DecipherValue(EncipherValue("secret", {}), "73519"),
                 std::optional<QByteArray>("secret"));
    }

    void userKeyGrowsPast48() {
        const QByteArray key(48, 'A');
        const QByteArray cipher = EncipherValue(ScrambleWithPassword(key, "пароль"), kUserKeyKey);
        QCOMPARE(cipher.size(), 96);
        QVERIFY(!IsPlainUserKey(cipher));
    }

    void foreignCipherTextFails() {
        // A symbol that deciphers above 15 cannot come from EncipherValue.
        bool sawFailure = false;
        for (char c : QByteArray("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
            sawFailure |= !DecipherValue(QByteArray(2, c), "73519").has_value();
        QVERIFY(sawFailure);
        QCOMPARE(DecipherValue("ABC", "73519"), std::optional<QByteArray>(QByteArray()));
    }

    void randomRoundTrips() {
        QRandomGenerator rng(20261208);
        for (int round = 0; round < 2000; ++round) {
            const QByteArray text = randomBytes(rng, rng.bounded(0, 60), 0, 255);
            const QByteArray key = randomBytes(rng, rng.bounded(0, 12), 48, 255);
            const QByteArray cipher = EncipherValue(text, key);
            QCOMPARE(cipher.size(), text.size() * 2);
            for (char c : cipher)
                QVERIFY((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'));
            QCOMPARE(DecipherValue(cipher, key), std::optional<QByteArray>(text));

            const QByteArray password = randomBytes(rng, rng.bounded(1, 20), 1, 255);
            const QByteArray scrambled = ScrambleWithPassword(text, password);
            QCOMPARE(scrambled.size(), text.size());
            QCOMPARE(ScrambleWithPassword(scrambled, password), text);
        }
    }

    void scrambleKnownValues() {
        // Password "a" (L = 0): state 0 → bit 3 clear → 1 → ~ → 0xFE → ror → 0x7F.
        // 'A' (0x41) ^ 'a' (0x61) ^ 0x7F = 0x5F.
        QCOMPARE(ScrambleWithPassword("A", "a"), QByteArray("\x5F"));
        QCOMPARE(ScrambleWithPassword({}, "a"), QByteArray());
        QCOMPARE(ScrambleWithPassword("text", {}), QByteArray("text"));
        const QByteArray key = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
        QVERIFY(ScrambleWithPassword(key, "one") != ScrambleWithPassword(key, "two"));
        QVERIFY(ScrambleWithPassword(ScrambleWithPassword(key, "one"), "two") != key);
    }

    void plainUserKey_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("plain");
        const QByteArray valid = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("48 valid") << valid << true;
        QTest::newRow("lower-case a") << QByteArray(valid).replace('A', 'a') << false;
        QTest::newRow("47") << valid.left(47) << false;
        QTest::newRow("49") << valid + "0" << false;
        QTest::newRow("G") << QByteArray(valid).replace('F', 'G') << false;
    }
    void plainUserKey() {
        QFETCH(QByteArray, text);
        QFETCH(bool, plain);
        QCOMPARE(IsPlainUserKey(text), plain);
    }
};

QTEST_GUILESS_MAIN(StoredValueCipherTest)
#include "StoredValueCipherTest.moc"
