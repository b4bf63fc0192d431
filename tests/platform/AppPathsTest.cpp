#include "platform/AppPaths.h"
#include "TestProfile.h"
#include "platform/FileLock.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

#include <optional>

class AppPathsTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

    static int modeOf(const QString& path) {
        struct stat info {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : -1;
    }

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

    // The files the program writes for itself, and their folders, are the user's alone; what
    // the user exports keeps the ordinary mode. Rows are named for the path in the data folder.
    void modes_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("before"); // the mode of what is there already; 0 for nothing
        QTest::addColumn<int>("after");
        QTest::newRow("History.dat") << QStringLiteral("save") << 0 << 0600;
        QTest::newRow("Templates.dat") << QStringLiteral("save") << 0644 << 0600;
        QTest::newRow("new.csv") << QStringLiteral("export") << 0 << 0644;
        QTest::newRow("old.csv") << QStringLiteral("export") << 0664 << 0664;
        QTest::newRow("Vouchers.txt.lock") << QStringLiteral("lock") << 0 << 0600;
        QTest::newRow("History.dat.damaged-x") << QStringLiteral("copy") << 0 << 0600;
        QTest::newRow("Vouchers.txt") << QStringLiteral("tighten") << 0664 << 0600;
        QTest::newRow("History.dat.lock") << QStringLiteral("tighten") << 0644 << 0600;
        QTest::newRow("History.dat.damaged-1") << QStringLiteral("tighten") << 0644 << 0600;
        QTest::newRow("Mine.skn") << QStringLiteral("tighten") << 0644 << 0644;
        QTest::newRow(".") << QStringLiteral("tighten") << 0755 << 0700;
        QTest::newRow("../../config/Varnelo") << QStringLiteral("tighten") << 0755 << 0700;
    }
    void modes() {
        QFETCH(QString, how);
        QFETCH(int, before);
        QFETCH(int, after);
        ::umask(022);
        const QString path =
            QDir::cleanPath(AppPaths::dataFolder() + QLatin1String(QTest::currentDataTag()));
        AppPaths::registryFile(); // makes the config folder
        if (before && !QFileInfo(path).isDir())
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        if (before)
            QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(before)) == 0);

        const QString source = AppPaths::dataFolder() + QStringLiteral("source");
        QRecursiveMutex mutex;
        std::optional<FileLock> lock;
        if (how == QLatin1String("save") || how == QLatin1String("export"))
            QCOMPARE(saveFileAtomically(path, "new",
                                        how == QLatin1String("save") ? FileAccess::Private
                                                                     : FileAccess::Ordinary),
                     QString());
        else if (how == QLatin1String("lock"))
            lock.emplace(mutex, path.chopped(5));
        else if (how == QLatin1String("copy"))
            QVERIFY(QFile(source).open(QIODevice::WriteOnly) &&
                    copyToNewFile(source, path).isEmpty() &&
                    !copyToNewFile(source, path).isEmpty()); // never over a file
        else
            AppPaths::makeOwnFilesPrivate();
        QCOMPARE(modeOf(path), after);
    }
};

QTEST_GUILESS_MAIN(AppPathsTest)
#include "AppPathsTest.moc"
