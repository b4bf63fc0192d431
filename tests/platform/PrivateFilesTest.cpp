#include "TestProfile.h"
#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace {

int modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

void make(const QString& path, int mode) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
}

} // namespace

// Files the program writes for itself, and their folders, are the user's alone; what the user
// exports keeps the ordinary mode.
class PrivateFilesTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;
    QString m_data;
    QString m_config;

private slots:
    void initTestCase() {
        ::umask(022);
        m_data = AppPaths::dataFolder();
        m_config = QFileInfo(AppPaths::registryFile()).absolutePath() + QLatin1Char('/');
    }

    void modes_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name"); // in the data folder; "config" for that folder
        QTest::addColumn<int>("before");   // mode of an existing file or folder; 0 for none
        QTest::addColumn<int>("after");
        QTest::newRow("save: new file") << "save"
                                        << "History.dat" << 0 << 0600;
        QTest::newRow("save: over a loose file") << "save"
                                                 << "Templates.dat" << 0644 << 0600;
        QTest::newRow("save: export, new") << "export"
                                           << "export.csv" << 0 << 0644;
        QTest::newRow("save: export over a file") << "export"
                                                  << "shared.csv" << 0664 << 0664;
        QTest::newRow("lock file") << "lock"
                                   << "Vouchers.txt.lock" << 0 << 0600;
        QTest::newRow("copy") << "copy"
                              << "History.dat.damaged-1" << 0 << 0600;
        QTest::newRow("tighten: data file") << "tighten"
                                            << "Vouchers.txt" << 0664 << 0600;
        QTest::newRow("tighten: lock file") << "tighten"
                                            << "History.dat.lock" << 0644 << 0600;
        QTest::newRow("tighten: damaged copy")
            << "tighten"
            << "History.dat.damaged-20260101-000000" << 0644 << 0600;
        QTest::newRow("tighten: the user's own file") << "tighten"
                                                      << "Mine.skn" << 0644 << 0644;
        QTest::newRow("tighten: data folder") << "tighten"
                                              << "" << 0755 << 0700;
        QTest::newRow("tighten: config folder") << "tighten"
                                                << "config" << 0755 << 0700;
        QTest::newRow("data folder made") << "made"
                                          << "" << 0 << 0700;
    }
    void modes() {
        QFETCH(QString, how);
        QFETCH(QString, name);
        QFETCH(int, before);
        QFETCH(int, after);
        const QString path = name == QLatin1String("config") ? m_config : m_data + name;
        if (how == QLatin1String("made")) {
            QVERIFY(QDir(m_data).removeRecursively());
        } else if ((before && name.isEmpty()) || name == QLatin1String("config")) {
            QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(before)) == 0);
        } else if (before) {
            make(path, before);
        }

        if (how == QLatin1String("save") || how == QLatin1String("export")) {
            QCOMPARE(saveFileAtomically(path, "new",
                                        how == QLatin1String("save") ? FileAccess::Private
                                                                     : FileAccess::Ordinary),
                     QString());
        } else if (how == QLatin1String("lock")) {
            QRecursiveMutex mutex;
            const FileLock lock(mutex, path.chopped(5));
            QCOMPARE(modeOf(path), after);
            return;
        } else if (how == QLatin1String("copy")) {
            make(m_data + QStringLiteral("source"), 0644);
            QCOMPARE(copyToNewFile(m_data + QStringLiteral("source"), path), QString());
            // Never over an existing file.
            QVERIFY(!copyToNewFile(m_data + QStringLiteral("source"), path).isEmpty());
        } else if (how == QLatin1String("tighten")) {
            AppPaths::makeOwnFilesPrivate();
        } else {
            AppPaths::dataFolder();
        }
        QCOMPARE(modeOf(path), after);
    }
};

QTEST_GUILESS_MAIN(PrivateFilesTest)
#include "PrivateFilesTest.moc"
