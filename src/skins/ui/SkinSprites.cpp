#include "SkinSprites.h"

#include <QPainter>

#include <array>

namespace {

// Top-left corners of the 16 x 16 icons, in list order.
constexpr std::array<QPoint, SkinSprites::SmallIconCount> kSmallIconCorners = {{
    {176, 0},  {192, 0},  {208, 0},  {224, 0},  {240, 0},  {256, 0},  {272, 0},
    {288, 0},  {304, 0},  {208, 16}, {176, 16}, {176, 32}, {192, 16}, {192, 32},
    {208, 32}, {176, 48}, {192, 48}, {208, 48}, {224, 48},
}};
constexpr QPoint kTallIconCorner{224, 16};
constexpr QSize kTallIconSize{21, 32};
constexpr std::array<QPoint, SkinSprites::Icon22Count> kIcon22Corners = {{{245, 16}, {245, 38}}};

} // namespace

SkinSprites::SkinSprites()
    : SkinSprites(QImage()) {
}

SkinSprites::SkinSprites(const QImage& sheet)
    : m_sheet(sheet) {
    for (const QPoint& corner : kSmallIconCorners)
        m_smallIcons.append(maskRed(cut(sheet, QRect(corner, QSize(16, 16)))));
    m_tallIcon = maskRed(cut(sheet, QRect(kTallIconCorner, kTallIconSize)));
    for (const QPoint& corner : kIcon22Corners)
        m_icons22.append(maskRed(cut(sheet, QRect(corner, QSize(ButtonSize, ButtonSize)))));
}

QImage SkinSprites::toolbarButton(int button, ButtonState state) const {
    if (button < 0 || button >= ToolbarButtonCount)
        return {};
    const QPoint corner(button * ButtonSize, static_cast<int>(state) * ButtonSize);
    return cut(m_sheet, QRect(corner, QSize(ButtonSize, ButtonSize)));
}

QImage SkinSprites::cut(const QImage& sheet, const QRect& rect) {
    QImage piece(rect.size(), QImage::Format_RGB32);
    piece.fill(MaskColor);
    const QRect inside = rect & sheet.rect();
    if (!inside.isEmpty()) {
        QPainter painter(&piece);
        painter.drawImage(inside.topLeft() - rect.topLeft(), sheet, inside);
    }
    return piece;
}

QImage SkinSprites::maskRed(const QImage& image) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if (line[x] == MaskColor)
                line[x] = 0;
        }
    }
    return masked;
}
