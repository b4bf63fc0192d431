#pragma once

class QApplication;

// The program's entry sequence: splash and skin, the three long-lived windows, the message
// loop. Returns the process's exit code; a second start hands over to the running copy and
// returns without showing anything.
namespace StartUp {

int run(QApplication& app);

} // namespace StartUp
