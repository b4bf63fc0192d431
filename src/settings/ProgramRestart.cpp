#include "ProgramRestart.h"

#include <QCoreApplication>
#include <QMutex>
#include <QProcess>

namespace {

QMutex& launcherMutex() {
    static QMutex mutex;
    return mutex;
}

ProgramRestart::Launcher& testLauncher() {
    static ProgramRestart::Launcher launcher;
    return launcher;
}

} // namespace

bool ProgramRestart::startNewCopy() {
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList arguments{kRestartedFlag};
    Launcher launcher;
    {
        QMutexLocker lock(&launcherMutex());
        launcher = testLauncher();
    }
    if (launcher)
        return launcher(program, arguments);
    return QProcess::startDetached(program, arguments);
}

void ProgramRestart::setLauncherForTests(Launcher launcher) {
    QMutexLocker lock(&launcherMutex());
    testLauncher() = std::move(launcher);
}
