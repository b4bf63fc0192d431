#include "StoreDamage.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

bool StoreDamage::execute(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    bool done = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                                nullptr) == SQLITE_OK;
    if (done) {
        sqlite3_busy_timeout(db, 10000);
        done = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return done;
}

namespace {

int schemaVersion(const QString& path) {
    sqlite3* db = nullptr;
    int version = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA schema_version", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            version = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return version;
}

bool corrupt(const QString& path) {
    const int version = schemaVersion(path);
    if (version < 0)
        return false;
    // A new schema version makes every open connection read the damaged table of contents.
    const QByteArray sql = "PRAGMA writable_schema=ON;"
                           "UPDATE sqlite_master SET rootpage=1000000 WHERE type='table';"
                           "PRAGMA schema_version=" +
                           QByteArray::number(version + 1) + ";PRAGMA writable_schema=OFF;";
    return StoreDamage::execute(path, sql.constData());
}

} // namespace

bool StoreDamage::apply(Kind kind, const QString& storePath) {
    switch (kind) {
    case Kind::TablesDropped:
        return execute(storePath, "PRAGMA foreign_keys=OFF; DROP TABLE vals; DROP TABLE keys;");
    case Kind::Corrupted:
        return corrupt(storePath);
    }
    return false;
}

bool StoreDamage::isReported(const QString& text, const QString& storePath) {
    const QRegularExpression start(
        QStringLiteral("^Не удалось (открыть файл настроек|прочитать настройки из файла|"
                       "записать настройки в файл) ") +
        QRegularExpression::escape(QFileInfo(storePath).canonicalFilePath()) +
        QStringLiteral("[:.] "));
    return start.match(text).hasMatch();
}

QString StoreDamage::name(Kind kind) {
    switch (kind) {
    case Kind::TablesDropped:
        return QStringLiteral("tables dropped");
    case Kind::Corrupted:
        return QStringLiteral("corrupted");
    }
    return {};
}
