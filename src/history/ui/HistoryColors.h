#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// Row colours of the history list by delivery status, and the legend under it.
namespace HistoryColors {

// The colour of a status; nothing for those that keep the list's own colour (10, 19, 20 and
// every status without a meaning).
std::optional<QColor> StatusColor(quint8 status);

struct LegendEntry {
    QString text;
    std::optional<QColor> color; // nothing: the list's own colour
};

// The legend texts of HistoryStatus in their order, each with its status's colour.
QList<LegendEntry> legend();

} // namespace HistoryColors
