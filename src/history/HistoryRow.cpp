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

// The cell's text and, for a message, its signature: what the cell shows, in two pieces.
struct CellPieces {
    const QString* text;
    const QString* sign; // null when the cell has none
};

CellPieces cellPieces(const HistoryRow& row, int column) {
    const TMess& record = row.record;
    switch (column) {
    case Recipient:
        return {row.name.isEmpty() ? &record.Number : &row.name, nullptr};
    case Sender:
        return {&record.Sender, nullptr};
    default:
        return {&record.Text, record.Sign.isEmpty() ? nullptr : &record.Sign};
    }
}

// Every row's cell in code-page-1251 bytes, one after the other in one buffer, with where each
// starts: what Ansi::fromUnicode would give, without a text or an allocation per row.
struct SortKeys {
    QByteArray bytes;
    std::vector<qsizetype> starts; // one more than rows: the end of the last
};

SortKeys sortKeys(const QList<HistoryRow>& rows, int column) {
    SortKeys keys;
    keys.starts.reserve(size_t(rows.size()) + 1);
    qsizetype total = 0;
    for (const HistoryRow& row : rows) {
        const CellPieces cell = cellPieces(row, column);
        keys.starts.push_back(total);
        total += cell.text->size() + (cell.sign ? cell.sign->size() + 1 : 0);
    }
    keys.starts.push_back(total);
    keys.bytes.resize(total);
    const auto& table = byteTable();
    char* out = keys.bytes.data();
    for (const HistoryRow& row : rows) {
        const CellPieces cell = cellPieces(row, column);
        for (const QChar c : *cell.text)
            *out++ = table[c.unicode()];
        if (cell.sign) {
            *out++ = ' ';
            for (const QChar c : *cell.sign)
                *out++ = table[c.unicode()];
        }
    }
    return keys;
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
        std::stable_sort(order.begin(), order.end(),
                         [&all = std::as_const(rows)](qsizetype a, qsizetype b) {
                             return all[a].record.Id > all[b].record.Id;
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
        // Keys beside their row numbers, so that a comparison reaches the bytes at once;
        // QByteArrayView compares them as unsigned bytes, a beginning before what goes on.
        const SortKeys keys = sortKeys(rows, column);
        struct Keyed {
            QByteArrayView key;
            qsizetype row;
        };
        std::vector<Keyed> keyed(order.size());
        for (size_t i = 0; i < keyed.size(); ++i)
            keyed[i] = {QByteArrayView(keys.bytes.constData() + keys.starts[i],
                                       keys.starts[i + 1] - keys.starts[i]),
                        qsizetype(i)};
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
        for (size_t i = 0; i < keyed.size(); ++i)
            order[qsizetype(i)] = keyed[i].row;
        break;
    }
    default:
        return order;
    }
    permute(rows, order);
    return order;
}

} // namespace HistoryColumn
