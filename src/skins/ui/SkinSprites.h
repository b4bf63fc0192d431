#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>

// The pieces of the sprite sheet "1.bmp": the main window's eight toolbar buttons in three
// states, its 16 x 16 icon list, the 21 x 32 picture and the two 22 x 22 pictures. Pure red
// is the sheet's transparent colour. A sheet that is missing or too small yields pieces of the
// right size that are transparent where the sheet has nothing.
class SkinSprites {
public:
    // Rows of the toolbar columns: normal, mouse over, pressed.
    enum class ButtonState { None, Over, Down };

    static constexpr int ToolbarButtonCount = 8;
    static constexpr int ButtonSize = 22;
    static constexpr int SmallIconCount = 19;
    static constexpr int Icon22Count = 2;
    static constexpr QRgb MaskColor = 0xFFFF0000;
    // The icon list's glyphs that the small windows put on their OK and Cancel buttons.
    static constexpr int OkGlyph = 13;
    static constexpr int CancelGlyph = 14;

    SkinSprites();
    explicit SkinSprites(const QImage& sheet);

    // Cut as it is, red kept: the image button makes red transparent by itself, and drawing a
    // state over the base picture must cover it whole.
    QImage toolbarButton(int button, ButtonState state) const;
    // Red already transparent. Out-of-range indices give a null image.
    QImage smallIcon(int index) const { return m_smallIcons.value(index); }
    QImage tallIcon() const { return m_tallIcon; }
    QImage icon22(int index) const { return m_icons22.value(index); }
    QList<QImage> smallIcons() const { return m_smallIcons; }
    // A small icon for a button; a null icon where the list has none.
    QIcon smallIconForButton(int index) const {
        const QImage image = smallIcon(index);
        return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
    }

    // The rectangle of the sheet, with pure red where it lies outside the sheet.
    static QImage cut(const QImage& sheet, const QRect& rect);
    // A copy whose pure-red pixels are fully transparent.
    static QImage maskRed(const QImage& image);

private:
    QImage m_sheet;
    QList<QImage> m_smallIcons;
    QImage m_tallIcon;
    QList<QImage> m_icons22;
};
