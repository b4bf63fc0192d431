#pragma once

#include <QIcon>

// The program's icon (the shipped data/icons pictures, built into the program so that it is
// there whether run from the build tree or installed): windows, task bar and tray.
namespace ProgramIcon {

// The sizes a window's title and task bar need; cheap enough to hand over at start.
inline constexpr int kStartSize = 48;

// The pictures up to `largest` pixels square.
QIcon icon(int largest = 256);

} // namespace ProgramIcon
