#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class Registry;

// A throw-away home for one test executable: config, data, cache and runtime folders all
// point into a temporary folder, so tests never touch the real profile.
class TestProfile {
public:
    TestProfile();
    QString root() const { return m_dir.path(); }
    QString configFolder() const;
    QString dataFolder() const; // where the program keeps History.dat and friends
    // The profile's settings store, opened at the first call as the program's main() opens it.
    Registry& store();
    std::shared_ptr<Registry> sharedStore();

private:
    QTemporaryDir m_dir;
    std::shared_ptr<Registry> m_store;
};
