#include "SkinnedHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPictureLeft = 12;
constexpr int kPictureSize = 32;
constexpr int kTextLeft = 56;
constexpr int kTextMargin = 6;

} // namespace

SkinnedHeader SkinnedHeader::create(QWidget* parent, const QString& title,
                                    const QString& subtitle) {
    SkinnedHeader header;
    header.banner = new QLabel(parent);
    header.banner->setObjectName(QStringLiteral("banner"));
    header.banner->setFixedHeight(kHeight);
    header.banner->setScaledContents(true);

    header.picture = new QLabel(header.banner);
    header.picture->setObjectName(QStringLiteral("picture"));
    header.picture->setGeometry(kPictureLeft, (kHeight - kPictureSize) / 2, kPictureSize,
                                kPictureSize);

    header.title = new QLabel(title, header.banner);
    header.title->setObjectName(QStringLiteral("title"));
    QFont bold = header.title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    header.title->setFont(bold);
    header.title->adjustSize();
    const int titleTop = subtitle.isEmpty() ? (kHeight - header.title->height()) / 2 : 9;
    header.title->move(kTextLeft, titleTop);

    if (!subtitle.isEmpty()) {
        header.subtitle = new QLabel(subtitle, header.banner);
        header.subtitle->setObjectName(QStringLiteral("subtitle"));
        header.subtitle->adjustSize();
        header.subtitle->move(kTextLeft, titleTop + header.title->height() + 2);
    }
    // Taller and wider than the skin's picture when a large font needs the room.
    const QLabel* last = header.subtitle ? header.subtitle : header.title;
    header.banner->setFixedHeight(std::max(kHeight, last->geometry().bottom() + kTextMargin));
    header.banner->setMinimumWidth(
        kTextLeft + kTextMargin +
        std::max(header.title->width(), header.subtitle ? header.subtitle->width() : 0));
    return header;
}

SkinnedHeader SkinnedHeader::createStrip(QWidget* parent, const QString& title) {
    SkinnedHeader header;
    header.banner = new QLabel(parent);
    header.banner->setObjectName(QStringLiteral("banner"));
    header.banner->setScaledContents(true);
    header.banner->setFixedHeight(kStripHeight);

    header.picture = new QLabel(parent);
    header.picture->setObjectName(QStringLiteral("picture"));
    header.title = new QLabel(title, parent);
    QFont bold = header.title->font();
    bold.setBold(true);
    header.title->setFont(bold);

    header.titleRow = new QHBoxLayout;
    header.titleRow->addWidget(header.title, 1);
    header.titleRow->addWidget(header.picture);
    return header;
}

QVBoxLayout* SkinnedHeader::bodyBelow(QWidget* window, int spacing) const {
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(banner);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->setSpacing(spacing);
    layout->addLayout(body, 1);
    return body;
}
