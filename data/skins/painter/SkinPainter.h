#pragma once

#include "SkinPalette.h"

#include <QImage>
#include <QString>

class QPainter;

// Draws every picture of one skin (sprite sheet, strip, toolbar background, banner, header
// pictures) and its Config.cfg. Icons are drawn smooth and then flattened onto pure red, the
// skin's transparent colour, with their soft edges blended towards the colour they sit on.
class SkinPainter {
public:
    using Glyph = void (*)(QPainter&);

    explicit SkinPainter(const SkinPalette& palette);

    const SkinPalette& palette() const { return m_palette; }

    // Writes Config.cfg and the pictures into folder; false with a message on stderr on failure.
    bool writeAll(const QString& folder) const;

    QImage spriteSheet() const;
    QImage strip() const;                   // 2.bmp
    QImage toolbar() const;                 // 3.bmp
    QImage banner() const;                  // 5.bmp
    QImage headerPicture(int number) const; // 6.bmp ... 14.bmp
    QByteArray config() const;

    // A 16 x 16 design drawn into target of a transparent image of the given size.
    static QImage render(Glyph glyph, QSize size, const QRectF& target);
    // Opaque where the drawing covers at least half a pixel, pure red elsewhere.
    static QImage flattenOnMask(const QImage& drawing, const QColor& edge);
    // Opaque everywhere, the drawing over background.
    static QImage flattenOn(const QImage& drawing, const QColor& background);

private:
    QImage toolbarButton(int button, int state) const;
    QColor toolbarMiddle() const;

    SkinPalette m_palette;
};
