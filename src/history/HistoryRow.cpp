#include "HistoryRow.h"

#include "HistoryFilter.h"
#include "platform/Ansi.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

QList<HistoryRow> rowsFromRecords(QList<TMess> records, const HistoryFilter& filter) {
    struct Recipient {
        QString number;
        QString name;
    };
    QHash<QString, Recipient> recipients;
    QList<HistoryRow> rows;
    rows.reserve(records.size());
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
        if (!filter.CompareItem(*record))
            continue;
        auto known = recipients.find(record->Number);
        if (known == recipients.end())
            known =
                recipients.insert(record->Number, {record->Number, filter.nameOf(record->Number)});
        record->Number = known->number;
        rows.append({std::move(*record), known->name});
    }
    rows.squeeze();
    return rows;
}

namespace HistoryColumn {

namespace {

// Date plus Time as one number; what no real moment is sorts as the oldest.
double momentKey(const TMess& record) {
    const double key = record.Date + record.Time;
    return std::isnan(key) ? -std::numeric_limits<double>::infinity() : key;
}

// The code-page-1251 byte of every UTF-16 unit, made once: sorting converts every cell of a
// column, and a table costs less than a lookup per character.
const std::array<char, 0x10000>& byteTable() {
    static const auto table = [] {
        std::array<char, 0x10000> bytes;
        for (size_t unit = 0; unit < bytes.size(); ++unit)
            bytes[unit] = Ansi::toByte(QChar(char16_t(unit)));
        return bytes;
    }();
    return table;
}

// What Ansi::fromUnicode gives for the cell, without making the cell's text first.
QByteArray sortKey(const HistoryRow& row, int column) {
    const TMess& record = row.record;
    const QString& text = column == Recipient ? (row.name.isEmpty() ? record.Number : row.name)
                          : column == Sender  ? record.Sender
                                              : record.Text;
    const bool withSign = column == Message && !record.Sign.isEmpty();
    QByteArray key(text.size() + (withSign ? record.Sign.size() + 1 : 0), Qt::Uninitialized);
    const auto& table = byteTable();
    char* out = key.data();
    for (const QChar c : text)
        *out++ = table[c.unicode()];
    if (withSign) {
        *out++ = ' ';
        for (const QChar c : record.Sign)
            *out++ = table[c.unicode()];
    }
    return key;
}

// Puts the rows in the order of `order` (indices into `rows`).
void permute(QList<HistoryRow>& rows, const QList<qsizetype>& order) {
    QList<HistoryRow> sorted;
    sorted.reserve(rows.size());
    for (const qsizetype index : order)
        sorted.append(std::move(rows[index]));
    rows = std::move(sorted);
}

} // namespace

QString caption(int column) {
    switch (column) {
    case Id:
        return QStringLiteral("ID");
    case Moment:
        return QStringLiteral("Дата / Время");
    case Recipient:
        return QStringLiteral("Кому");
    case Sender:
        return QStringLiteral("Отправитель");
    case Message:
        return QStringLiteral("Сообщение");
    }
    return {};
}

QString cellText(const HistoryRow& row, int column) {
    const TMess& record = row.record;
    switch (column) {
    case Id:
        return QString::number(record.Id);
    case Moment: {
        const QDateTime moment = record.moment();
        return moment.isValid() ? moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                                : QString();
    }
    case Recipient:
        return row.name.isEmpty() ? record.Number : row.name;
    case Sender:
        return record.Sender;
    case Message:
        return record.Sign.isEmpty() ? record.Text : record.Text + QLatin1Char(' ') + record.Sign;
    }
    return {};
}

QList<qsizetype> sortRows(QList<HistoryRow>& rows, int column) {
    QList<qsizetype> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    switch (column) {
    case Id:
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            return rows[a].record.Id > rows[b].record.Id;
        });
        break;
    case Moment: {
        std::vector<double> keys(order.size());
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = momentKey(rows[qsizetype(i)].record);
        std::stable_sort(order.begin(), order.end(),
                         [&](qsizetype a, qsizetype b) { return keys[a] > keys[b]; });
        break;
    }
    case Recipient:
    case Sender:
    case Message: {
        // The code-page bytes once per row; QByteArray compares them as unsigned bytes.
        std::vector<QByteArray> keys(order.size());
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = sortKey(rows[qsizetype(i)], column);
        std::stable_sort(order.begin(), order.end(),
                         [&](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
        break;
    }
    default:
        return order;
    }
    permute(rows, order);
    return order;
}

} // namespace HistoryColumn
