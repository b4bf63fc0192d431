#pragma once

#include <memory>

class BookReadAhead;
class FontWarmUp;
class QApplication;

// The program's entry sequence: splash and skin, the three long-lived windows, the message
// loop. Returns the process's exit code; a second start hands over to the running copy and
// returns without showing anything.
namespace StartUp {

// What the start sets going before the application object exists, so that it overlaps the
// toolkit's own start.
struct EarlyWork {
    std::shared_ptr<FontWarmUp> fonts;
    std::shared_ptr<BookReadAhead> bookReadAhead;
};

// Called first thing in main(), with its arguments.
EarlyWork begin(int argc, char* argv[]);

int run(QApplication& app, EarlyWork early = {});

} // namespace StartUp
