#include "StatusLabel.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr qreal kSmallestPointSize = 6;
constexpr qreal kPointStep = 0.5;

} // namespace

StatusLabel::StatusLabel(QWidget* parent)
    : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QFont StatusLabel::shownFont() const {
    QFont shown = font();
    const int room = contentsRect().width();
    while (shown.pointSizeF() - kPointStep >= kSmallestPointSize &&
           QFontMetrics(shown, this).horizontalAdvance(text()) > room)
        shown.setPointSizeF(shown.pointSizeF() - kPointStep);
    return shown;
}

QSize StatusLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void StatusLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFont shown = shownFont();
    painter.setFont(shown);
    painter.setPen(palette().color(foregroundRole()));
    const QRect room = contentsRect();
    // Past the smallest size a text ends in "…" rather than in half a letter.
    const QString line = QFontMetrics(shown, this).elidedText(text(), Qt::ElideRight, room.width());
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
}
