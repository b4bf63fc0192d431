#include "HistoryRecords.h"

namespace HistoryRecords {

TMess record(qint32 id, const QString& number, const QString& text, quint8 status,
             const QString& sender, const QString& sign, const QDateTime& moment) {
    TMess made;
    made.Id = id;
    made.Number = number;
    made.Text = text;
    made.Status = status;
    made.Sender = sender;
    made.Sign = sign;
    made.setMoment(moment);
    return made;
}

} // namespace HistoryRecords
