#include "TestProfile.h"

#include "platform/Registry.h"

#include <QDir>
#include <QFile>

TestProfile::TestProfile() {
    Q_ASSERT(m_dir.isValid());
    for (const char* sub : {"config", "data", "cache", "runtime"})
        QDir(m_dir.path()).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(m_dir.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (m_dir.path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (m_dir.path() + QStringLiteral("/runtime")).toLocal8Bit());
}

QString TestProfile::configFolder() const {
    return m_dir.path() + QStringLiteral("/config");
}

QString TestProfile::dataFolder() const {
    return m_dir.path() + QStringLiteral("/data/Varnelo");
}

Registry& TestProfile::store() {
    return *sharedStore();
}

std::shared_ptr<Registry> TestProfile::sharedStore() {
    if (!m_store)
        m_store = std::make_shared<Registry>();
    return m_store;
}
