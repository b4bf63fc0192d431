#pragma once

#include "messaging/SendPlan.h"
#include "platform/ToolkitRussian.h"

#include <QAbstractTableModel>
#include <QList>
#include <QLocale>

// The recipients of a send plan as table rows: number, contact, text, length, parts and price.
// Rows whose empty field was left out are tinted, rows too long are red, each with a tooltip
// that says why. Texts are made when a row is painted, so thousands of rows open at once.
class PlanLineModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, ContactColumn, TextColumn, LengthColumn, PartsColumn, PriceColumn };
    static constexpr int kColumnCount = PriceColumn + 1;

    static inline const QString kEmptiedTip = QStringLiteral("Пустое поле убрано");
    static inline const QString kTooLongTip = QStringLiteral("Длиннее допустимого");

    explicit PlanLineModel(QList<PlanLine> lines,
                           const QLocale& locale = ToolkitRussian::desktopLocale(),
                           QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static QColor emptiedTint();
    static QColor tooLongTint();
    static QColor tooLongText();

private:
    QString cellText(const PlanLine& line, int column) const;
    QString markTip(const PlanLine& line) const;

    QList<PlanLine> m_lines;
    QLocale m_locale;
};
