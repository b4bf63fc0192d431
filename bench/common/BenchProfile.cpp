#include "BenchProfile.h"

#include <QDir>
#include <QFile>

BenchProfile::BenchProfile() {
    for (const char* sub : {"config", "data/Varnelo", "cache", "runtime"})
        QDir(m_dir.path()).mkpath(QString::fromLatin1(sub));
    // The runtime folder must be private, or the programs refuse it.
    QFile::setPermissions(path(QStringLiteral("runtime")), QFileDevice::ReadOwner |
                                                               QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner);
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("HOME"), m_dir.path());
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    m_env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
}

QString BenchProfile::path(const QString& relative) const {
    return relative.isEmpty() ? m_dir.path() : m_dir.path() + QLatin1Char('/') + relative;
}

QString BenchProfile::registryFile() const {
    return path(QStringLiteral("config/Varnelo/registry.db"));
}

QString BenchProfile::dataFolder() const {
    return path(QStringLiteral("data/Varnelo/"));
}
