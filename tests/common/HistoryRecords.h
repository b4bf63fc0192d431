#pragma once

#include "history/TMess.h"

#include <QDateTime>
#include <QString>

// History records as the send flow writes them, for tests. Users link varnelo_core.
namespace HistoryRecords {

// A message to `number` sent at `moment` (local time).
TMess record(qint32 id, const QString& number, const QString& text,
             quint8 status = TMess::kStatusSent, const QString& sender = QStringLiteral("Varnelo"),
             const QString& sign = {},
             const QDateTime& moment = QDateTime(QDate(2026, 12, 8), QTime(10, 0)));

} // namespace HistoryRecords
