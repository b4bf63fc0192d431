#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A private profile for a bench: a temporary home with its own config, data, cache and
// runtime folders, and the environment that makes the programs use it.
class BenchProfile {
public:
    BenchProfile();

    QString path(const QString& relative = {}) const;
    // The settings store file the programs open in this profile.
    QString registryFile() const;
    QString dataFolder() const; // the program's own data folder, ending in "/"
    const QProcessEnvironment& environment() const { return m_env; }
    void setEnvironment(const QString& name, const QString& value) { m_env.insert(name, value); }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};
