#pragma once

#include <QIcon>

// The program's icon (the shipped data/icons pictures, built into the program so that it is
// there whether run from the build tree or installed): windows, task bar and tray.
namespace ProgramIcon {

QIcon icon();

} // namespace ProgramIcon
