#include "StoreFailure.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sqlite3.h>

#include <cerrno>

namespace {

using StoreFailure::Action;

enum class Cause { NoSpace, NoAccess, FolderInTheWay, Damaged, Busy, DiskError, Other };

Cause causeOf(int extendedCode, int systemErrno) {
    switch (extendedCode & 0xFF) {
    case SQLITE_FULL:
        return Cause::NoSpace;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return Cause::NoAccess;
    case SQLITE_CANTOPEN:
        // Anything else that keeps the file from opening, a folder that cannot be made
        // included, comes down to the rights on the file and its folder.
        return systemErrno == EISDIR ? Cause::FolderInTheWay : Cause::NoAccess;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Cause::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Cause::Busy;
    case SQLITE_IOERR:
        // SQLite reports some failed writes as input/output errors; errno tells the cause.
        if (systemErrno == ENOSPC || systemErrno == EDQUOT)
            return Cause::NoSpace;
        if (systemErrno == EACCES || systemErrno == EPERM || systemErrno == EROFS)
            return Cause::NoAccess;
        return Cause::DiskError;
    default:
        return Cause::Other;
    }
}

QString whatFailed(Action action, const QString& filePath) {
    const bool named = !filePath.isEmpty();
    switch (action) {
    case Action::Open:
        return named ? QStringLiteral("Не удалось открыть файл настроек %1").arg(filePath)
                     : QStringLiteral("Не удалось открыть файл настроек");
    case Action::Read:
        return named ? QStringLiteral("Не удалось прочитать настройки из файла %1").arg(filePath)
                     : QStringLiteral("Не удалось прочитать настройки");
    case Action::Write:
        break;
    }
    return named ? QStringLiteral("Не удалось записать настройки в файл %1").arg(filePath)
                 : QStringLiteral("Не удалось записать настройки");
}

// Why, and what the user can do about it; empty when there is nothing to say beyond SQLite's
// own words.
QString reasonOf(Cause cause, const QString& filePath) {
    switch (cause) {
    case Cause::NoSpace:
        return QStringLiteral("на диске нет места. Освободите место на диске и повторите.");
    case Cause::NoAccess:
        return filePath.isEmpty()
                   ? QStringLiteral("нет доступа к файлу или он открыт только для чтения. "
                                    "Проверьте права доступа к файлу и к его папке.")
                   : QStringLiteral("нет доступа к файлу или он открыт только для чтения. "
                                    "Проверьте права доступа к файлу и к папке %1.")
                         .arg(QFileInfo(filePath).absolutePath());
    case Cause::FolderInTheWay:
        return QStringLiteral("на месте файла находится папка. Переименуйте или уберите её — "
                              "программа создаст новый файл.");
    case Cause::Damaged:
        return QStringLiteral("файл повреждён или не является файлом настроек. Восстановите его "
                              "из резервной копии, если она есть, или переместите в другое "
                              "место — программа создаст новый файл с настройками по умолчанию.");
    case Cause::Busy:
        return QStringLiteral("файл занят другой программой. Подождите немного и повторите.");
    case Cause::DiskError:
        return QStringLiteral("ошибка чтения или записи на диске. Проверьте диск и повторите.");
    case Cause::Other:
        break;
    }
    return {};
}

} // namespace

QString StoreFailure::describe(Action action, int extendedCode, int systemErrno,
                               const QString& sqliteText, const QString& filePath) {
    const QString reason = reasonOf(causeOf(extendedCode, systemErrno), filePath);
    QString text = whatFailed(action, filePath);
    text += reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + reason;
    if (!sqliteText.isEmpty())
        text += QStringLiteral(" (%1)").arg(sqliteText);
    return text;
}

StoreFailure::Action StoreFailure::actionOf(sqlite3_stmt* statement) {
    if (!statement)
        return Action::Read;
    if (!sqlite3_stmt_readonly(statement))
        return Action::Write;
    // SQLite counts the statements that begin and end a transaction as read-only, but what
    // fails in them is the writing of the batch.
    static const QStringList kTransactionControl = {
        QStringLiteral("BEGIN"),    QStringLiteral("COMMIT"),    QStringLiteral("END"),
        QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE")};
    QString first;
    for (const QChar c : QString::fromUtf8(sqlite3_sql(statement)).trimmed()) {
        if (!c.isLetter())
            break;
        first += c;
    }
    return kTransactionControl.contains(first, Qt::CaseInsensitive) ? Action::Write : Action::Read;
}

QString StoreFailure::describe(sqlite3* db, Action action, const QString& filePath) {
    if (!db)
        return describe(action, SQLITE_NOMEM, 0, QStringLiteral("out of memory"), filePath);
    const char* name = sqlite3_db_filename(db, "main");
    return describe(action, sqlite3_extended_errcode(db), sqlite3_system_errno(db),
                    QString::fromUtf8(sqlite3_errmsg(db)),
                    name && *name ? QFile::decodeName(name) : filePath);
}
