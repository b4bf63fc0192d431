#include "platform/AppPaths.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class AppPathsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void foldersLieInTheProfile() {
        QVERIFY(AppPaths::dataFolder().startsWith(m_profile.root()));
        QVERIFY(AppPaths::dataFolder().endsWith(QLatin1Char('/')));
        QVERIFY(QFileInfo(AppPaths::dataFolder()).isDir());
        QVERIFY(AppPaths::registryFile().startsWith(m_profile.configFolder()));
    }

    void skinWorkFolderIsPrivate() {
        const QString folder = AppPaths::skinWorkFolder();
        QVERIFY(folder.startsWith(m_profile.root() + QStringLiteral("/runtime/")));
        const QFileInfo info(folder);
        QCOMPARE(int(info.permissions() & 0x0077), 0); // no group or other bits
        QCOMPARE(info.permissions() & QFile::ReadOwner, QFile::ReadOwner);
    }

    void plantedLinkIsRefused() {
        // Someone replaced our folder with a link to theirs: we must not write through it.
        const QString runtime = m_profile.root() + QStringLiteral("/runtime/Varnelo");
        QDir(runtime).removeRecursively();
        const QString elsewhere = m_profile.root() + QStringLiteral("/elsewhere");
        QDir().mkpath(elsewhere);
        QVERIFY(QFile::link(elsewhere, runtime));
        QCOMPARE(AppPaths::skinWorkFolder(), QString());
        QFile::remove(runtime);
        QVERIFY(!AppPaths::skinWorkFolder().isEmpty());
    }

    void skinFileLookup_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inUserFolder");
        QTest::newRow("plain") << "Mine.skn" << true;
        QTest::newRow("traversal") << "../Mine.skn" << false;
        QTest::newRow("absolute") << "/etc/passwd" << false;
        QTest::newRow("backslash") << "..\\Mine.skn" << false;
    }
    void skinFileLookup() {
        QFETCH(QString, name);
        QFETCH(bool, inUserFolder);
        QFile file(AppPaths::dataFolder() + QStringLiteral("Mine.skn"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString path = AppPaths::skinFile(name);
        QCOMPARE(QFileInfo(path).isFile(), inUserFolder);
        QVERIFY(path.startsWith(AppPaths::dataFolder()));
        QVERIFY(!path.mid(AppPaths::dataFolder().size()).contains(QLatin1Char('/')));
    }
};

QTEST_GUILESS_MAIN(AppPathsTest)
#include "AppPathsTest.moc"
