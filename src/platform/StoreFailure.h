#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// What the user is told when the settings store's file fails: what failed, which file and
// what to do about it, in one Russian sentence or two, with SQLite's own words in
// parentheses at the end.
namespace StoreFailure {

enum class Action { Open, Read, Write };

// `extendedCode` is SQLite's extended result code, `systemErrno` the errno of the system
// call behind it (0 when none), `filePath` the store's file ("" when unknown).
QString describe(Action action, int extendedCode, int systemErrno, const QString& sqliteText,
                 const QString& filePath);

// What a failed statement was doing; one that did not prepare (null) was reading the schema.
Action actionOf(sqlite3_stmt* statement);

// The same for the last failure on a connection. `filePath` names the file when the
// connection cannot (one that failed to open).
QString describe(sqlite3* db, Action action, const QString& filePath = QString());

} // namespace StoreFailure
