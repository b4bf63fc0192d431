#include "PlanLineModel.h"

#include <QColor>

PlanLineModel::PlanLineModel(QList<PlanLine> lines, const QLocale& locale, QObject* parent)
    : QAbstractTableModel(parent)
    , m_lines(std::move(lines))
    , m_locale(locale) {
}

int PlanLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

int PlanLineModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QColor PlanLineModel::emptiedTint() {
    return QColor(255, 244, 204);
}

QColor PlanLineModel::tooLongTint() {
    return QColor(255, 208, 208);
}

QColor PlanLineModel::tooLongText() {
    return QColor(160, 0, 0);
}

QString PlanLineModel::cellText(const PlanLine& line, int column) const {
    switch (column) {
    case NumberColumn:
        return line.recipient.number;
    case ContactColumn:
        return line.recipient.name;
    case TextColumn:
        // One line per row; the tooltip shows the breaks.
        return QString(line.text).replace(QLatin1Char('\n'), u' ');
    case LengthColumn:
        return QString::number(line.length);
    case PartsColumn:
        return QString::number(line.parts);
    case PriceColumn:
        return m_locale.toCurrencyString(line.price);
    }
    return {};
}

QString PlanLineModel::markTip(const PlanLine& line) const {
    QStringList marks;
    if (line.tooLong)
        marks << kTooLongTip;
    if (line.emptied)
        marks << kEmptiedTip;
    return marks.join(QLatin1Char('\n'));
}

QVariant PlanLineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    const PlanLine& line = m_lines[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return cellText(line, index.column());
    case Qt::ToolTipRole: {
        const QString marks = markTip(line);
        if (index.column() != TextColumn)
            return marks.isEmpty() ? QVariant() : marks;
        return marks.isEmpty() ? line.text : marks + QStringLiteral("\n\n") + line.text;
    }
    case Qt::BackgroundRole:
        if (line.tooLong)
            return tooLongTint();
        if (line.emptied)
            return emptiedTint();
        return {};
    case Qt::ForegroundRole:
        // Tinted rows keep dark text whatever the skin paints the list with.
        if (line.tooLong)
            return tooLongText();
        if (line.emptied)
            return QColor(Qt::black);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() >= LengthColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    return {};
}

QVariant PlanLineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList titles = {QStringLiteral("Номер"),  QStringLiteral("Контакт"),
                                       QStringLiteral("Текст"),  QStringLiteral("Длина"),
                                       QStringLiteral("Частей"), QStringLiteral("Цена")};
    return section >= 0 && section < titles.size() ? titles[section] : QVariant();
}
