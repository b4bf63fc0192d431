#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starting the program anew, after a change that takes effect only at start (the skin).
namespace ProgramRestart {

// Tells the new copy to wait until this one has released the single-instance name instead
// of handing over to it and ending.
inline const QString kRestartedFlag = QStringLiteral("--restarted");

// Starts a new copy of the program's own executable; false when it could not be started.
bool startNewCopy();

// Tests record the command instead of running it; an empty function restores the real start.
using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;
void setLauncherForTests(Launcher launcher);

} // namespace ProgramRestart
