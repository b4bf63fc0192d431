#pragma once

#include "history/TMess.h"
#include "shared/BookGroup.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The writes that the storage tests run in other processes, numbered so that the state a file
// must be in after write number n can be worked out: step n of a kind changes the state
// "after n - 1" into the state "after n". State 0 is a missing file (an empty book).
namespace StorageSteps {

enum class Kind { History, Templates, Vouchers, Contacts };

QString kindName(Kind kind);
std::optional<Kind> kindFromName(const QString& name);

// Where each kind writes inside a data folder (the contact book: in the store file).
QString targetPath(Kind kind, const QString& folder);

// History.dat keeps the newest records up to this many; a template list keeps as many lines.
constexpr int kHistoryLimit = 3000;
constexpr int kTemplatesLimit = 1000;
// Contacts in every saved book.
constexpr int kBookGroups = 50;
constexpr int kContactsPerGroup = 100;

TMess historyRecord(qint64 n);
QString templateLine(qint64 n);
QString voucherSerial(qint64 n);

// History, templates and vouchers accumulate: their state after n holds what steps 1 to n
// added (the newest of them, within the limits). Contacts: the book of step n alone.
QList<TMess> historyAfter(qint64 n);
QStringList templatesAfter(qint64 n);
QByteArray vouchersAfter(qint64 n);
QList<BookGroup> bookAfter(qint64 n);

// Runs step n on the file at `path` through the program's own code; empty on success.
QString runStep(Kind kind, const QString& path, qint64 n);

// Puts the file straight into the state after n, without running the steps.
QString writeState(Kind kind, const QString& path, qint64 n);

} // namespace StorageSteps
