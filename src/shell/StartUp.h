#pragma once

#include <QString>

#include <functional>
#include <memory>

class BookReadAhead;
class FontWarmUp;
class QApplication;
class Registry;

// The program's entry sequence: splash and skin, the three long-lived windows, the message
// loop. Returns the process's exit code; a second start hands over to the running copy and
// returns without showing anything.
namespace StartUp {

// What the start sets going before the application object exists, so that it overlaps the
// toolkit's own start.
struct EarlyWork {
    std::shared_ptr<FontWarmUp> fonts;
    std::shared_ptr<BookReadAhead> bookReadAhead;
    QString storePath;
};

// Called first thing in main(), with its arguments and the settings store's file.
EarlyWork begin(int argc, char* argv[], const QString& storePath);

// Opens the settings store of the run; throws RegistryError when it cannot.
using OpenStore = std::function<std::shared_ptr<Registry>()>;

int run(QApplication& app, EarlyWork early, const OpenStore& openStore);

} // namespace StartUp
