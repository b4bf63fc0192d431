#include "TestProfile.h"
#include "platform/AppPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// The user guide as F1 finds it in the share folder: every picture it shows is shipped beside
// it, every link inside it leads somewhere, and every window has its section.
class GuideTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    QString m_folder;
    QString m_text;

    QStringList captures(const QString& pattern) const {
        QStringList found;
        QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(m_text);
        while (it.hasNext())
            found << it.next().captured(1);
        return found;
    }

private slots:
    void initTestCase() {
        m_folder = AppPaths::shareFolder() + QStringLiteral("guide/");
        QFile file(m_folder + QStringLiteral("index.html"));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        m_text = QString::fromUtf8(file.readAll());
    }

    void picturesAreShipped() {
        const QStringList pictures = captures(QStringLiteral("<img src=\"([^\"]+)\""));
        QVERIFY(pictures.size() >= 6);
        for (const QString& picture : pictures)
            QVERIFY2(QFileInfo(m_folder + picture).isFile(), qPrintable(picture));
    }

    void linksInsideLeadSomewhere() {
        const QStringList ids = captures(QStringLiteral("id=\"([^\"]+)\""));
        const QSet<QString> known(ids.begin(), ids.end());
        QCOMPARE(known.size(), ids.size());
        for (const QString& target : captures(QStringLiteral("href=\"#([^\"]+)\"")))
            QVERIFY2(known.contains(target), qPrintable(target));
    }

    void everyWindowHasItsSection_data() {
        QTest::addColumn<QString>("id");
        for (const char* id : {"main",
                               "tray",
                               "contacts",
                               "editor",
                               "send",
                               "compose",
                               "templates",
                               "history",
                               "registration",
                               "restore",
                               "password",
                               "settings",
                               "settings-connection",
                               "settings-interface",
                               "settings-sounds",
                               "server",
                               "payment",
                               "detail",
                               "info",
                               "about"})
            QTest::newRow(id) << QString::fromLatin1(id);
    }
    void everyWindowHasItsSection() {
        QFETCH(QString, id);
        QVERIFY(m_text.contains(QStringLiteral("id=\"%1\"").arg(id)));
    }

    // The guide is read on Linux: it names no Windows-only program, place or file. The code
    // page keeps its standard name, Windows-1251, which is the character set's own name.
    void namesNothingOfWindows_data() {
        QTest::addColumn<QString>("pattern");
        for (const char* pattern : {"Internet Explorer", "Windows(?!-1251)", "Проводник", "реестр",
                                    "\\bПуск\\b", "\\.exe\\b", "\\.hlp\\b", "Панель управления"})
            QTest::newRow(pattern) << QString::fromUtf8(pattern);
    }
    void namesNothingOfWindows() {
        QFETCH(QString, pattern);
        const QRegularExpression windowsOnly(pattern,
                                             QRegularExpression::CaseInsensitiveOption |
                                                 QRegularExpression::UseUnicodePropertiesOption);
        const QRegularExpressionMatch found = windowsOnly.match(m_text);
        QVERIFY2(!found.hasMatch(), qPrintable(found.captured()));
    }

    // The settings dialog's proxy choice, word for word as the dialog shows it.
    void proxyChoiceAsTheDialogNamesIt() {
        QVERIFY(m_text.contains(QStringLiteral("Использовать системные настройки прокси")));
    }
};

QTEST_GUILESS_MAIN(GuideTest)
#include "GuideTest.moc"
