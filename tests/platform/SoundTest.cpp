#include "platform/Sound.h"
#include "TestProfile.h"
#include "platform/CanberraLibrary.h"

#include <QFile>
#include <QTest>

class SoundTest : public QObject {
    Q_OBJECT
    TestProfile m_profile;

private slots:
    void onlyExistingFilesArePlayed() {
        QStringList played;
        Sound::setPlayerForTests([&played](const QString& path) { played << path; });
        const QString wav = m_profile.root() + QStringLiteral("/ok.wav");
        QFile file(wav);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("RIFF");
        file.close();
        Sound::playFile({});
        Sound::playFile(m_profile.root() + QStringLiteral("/missing.wav"));
        Sound::playFile(m_profile.root()); // a folder is not a sound
        Sound::playFile(wav);
        QCOMPARE(played, QStringList{wav});
        Sound::setPlayerForTests({});
    }

    void soundLibraryIsFoundOnce() {
        // The build machine has the library, so a missing call here is a misspelt name.
        const CanberraLibrary* library = CanberraLibrary::get();
        QVERIFY(library);
        QCOMPARE(CanberraLibrary::get(), library);
    }

    void brokenFileIsSwallowed() {
        // Real playback of a file that is not a WAV, on a machine that may have no sound
        // device at all: returns, reports nothing.
        const QString bogus = m_profile.root() + QStringLiteral("/bogus.wav");
        QFile file(bogus);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a sound");
        file.close();
        QElapsedTimer timer;
        timer.start();
        Sound::playFile(bogus);
        QVERIFY(timer.elapsed() < 10000);
    }
};

QTEST_GUILESS_MAIN(SoundTest)
#include "SoundTest.moc"
