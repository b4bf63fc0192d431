#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away home for one test executable: config, data, cache and runtime folders all
// point into a temporary folder, so tests never touch the real profile.
class TestProfile {
public:
    TestProfile();
    QString root() const { return m_dir.path(); }
    QString configFolder() const;
    QString dataFolder() const; // where the program keeps History.dat and friends

private:
    QTemporaryDir m_dir;
};
