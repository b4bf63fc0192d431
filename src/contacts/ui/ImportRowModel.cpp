#include "ImportRowModel.h"

#include <QBrush>
#include <QColor>

namespace {

using BookImport::Fate;

QString fateWord(Fate fate) {
    switch (fate) {
    case Fate::New:
        return QStringLiteral("новый");
    case Fate::InBook:
        return QStringLiteral("уже есть в книге");
    case Fate::RepeatInFile:
        return QStringLiteral("повтор в файле");
    case Fate::InvalidNumber:
        return QStringLiteral("неверный номер");
    case Fate::NoNumber:
        return QStringLiteral("без номера");
    case Fate::UnclosedQuote:
        return QStringLiteral("незакрытая кавычка");
    }
    return {};
}

bool isError(Fate fate) {
    return fate == Fate::InvalidNumber || fate == Fate::NoNumber || fate == Fate::UnclosedQuote;
}

} // namespace

void ImportRowModel::setRows(QList<BookImport::Row> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

QString ImportRowModel::fateText(const BookImport::Row& row) {
    QString text = fateWord(row.fate);
    if (!row.originalName.isEmpty())
        text += QStringLiteral("; изменено имя: %1 → %2").arg(row.originalName, row.name);
    if (row.moreNumbers > 0)
        text += QStringLiteral("; ещё номеров: %1").arg(row.moreNumbers);
    return text;
}

int ImportRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ImportRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ImportRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const BookImport::Row& row = m_rows[index.row()];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case LineColumn:
            return row.line;
        case NameColumn:
            return row.name;
        case NumberColumn:
            return row.number;
        case GroupColumn:
            return row.group;
        case FateColumn:
            return fateText(row);
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == LineColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    // What will not be added stands out: errors in red, rows passed over greyed.
    if (role == Qt::ForegroundRole && row.fate != Fate::New)
        return QBrush(isError(row.fate) ? QColor(0xB0, 0x00, 0x00) : QColor(0x70, 0x70, 0x70));
    return {};
}

QVariant ImportRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList kTitles{QStringLiteral("Строка"), QStringLiteral("Имя"),
                                     QStringLiteral("Номер"), QStringLiteral("Группа"),
                                     QStringLiteral("Итог")};
    return kTitles.value(section);
}
