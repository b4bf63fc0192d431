#include "UnknownOutcomeModel.h"

#include "messaging/UnknownOutcomes.h"

void UnknownOutcomeModel::setRows(QList<SendJournal::Row> rows, QHash<QString, QString> names) {
    beginResetModel();
    m_rows = std::move(rows);
    m_names = std::move(names);
    endResetModel();
}

int UnknownOutcomeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int UnknownOutcomeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString UnknownOutcomeModel::recipients(const SendJournal::Row& row) const {
    QStringList recipients;
    for (const QString& number : row.numbers) {
        const QString name = m_names.value(number);
        recipients << (name.isEmpty() ? number : name + QLatin1Char(' ') + number);
    }
    return recipients.join(QStringLiteral(", "));
}

QVariant UnknownOutcomeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const SendJournal::Row& row = m_rows[index.row()];
    switch (index.column()) {
    case MomentColumn:
    case TextColumn:
        if (role == Qt::ToolTipRole)
            return row.reason.isEmpty() ? row.fullText()
                                        : QStringLiteral("%1\n\n%2").arg(row.reason, row.fullText());
        if (index.column() == MomentColumn)
            return UnknownOutcomes::momentText(row);
        return row.fullText().replace(QLatin1Char('\n'), u' ');
    case RecipientsColumn:
        return recipients(row);
    default:
        return {};
    }
}

QVariant UnknownOutcomeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList captions{QStringLiteral("Время"), QStringLiteral("Получатели"),
                                      QStringLiteral("Текст")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return captions.value(section);
}
