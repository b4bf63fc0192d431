#pragma once

#include "SkinSprites.h"
#include "skins/SkinColors.h"
#include "skins/SkinError.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

class QLabel;
class Registry;
class QWidget;

// What one window hands over to be dressed in the skin. Every part is optional.
struct SkinnedWindow {
    QLabel* banner = nullptr;        // "5.bmp", stretched across the header
    QLabel* picture = nullptr;       // the window's own numbered picture
    QString pictureFile;             // "6.bmp" ... "14.bmp"
    QList<QWidget*> captions;        // header title and subtitle: CaptionText
    QList<QWidget*> infoLabels;      // informational labels: InfoText
    QList<QWidget*> otherBackground; // text areas and lists: Other
};

// The active skin, loaded once at start and kept for the run: its display name, colours,
// working folder, the sprite sheet and the pieces cut from it.
class SkinUnit {
public:
    // The program-wide instance that every window reads.
    static SkinUnit& active();

    // Unpacks and loads the skin named by the setting Theme. On a fatal error shows its message and
    // returns false: the caller then ends the program.
    bool loadActiveSkin(Registry& store);

    // The message for a failed load ("Файл ... не найден!!!" and the others).
    static QString errorText(const SkinError& error);
    static QString errorCaption() { return QStringLiteral("Ошибка"); }

    bool isLoaded() const { return m_loaded; }
    QString displayName() const { return m_displayName; }
    QString workFolder() const { return m_workFolder; }

    // The defaults until a skin is loaded.
    QColor Main() const { return fromWindowsColor(m_colors.Main); }
    QColor Other() const { return fromWindowsColor(m_colors.Other); }
    QColor InfoText() const { return fromWindowsColor(m_colors.InfoText); }
    QColor CaptionText() const { return fromWindowsColor(m_colors.CaptionText); }
    // The Windows colour values as read, for texts that carry them (the payment address).
    const SkinColors& colorValues() const { return m_colors; }

    const QImage& spriteSheet() const { return m_sheet; }
    const SkinSprites& sprites() const { return m_sprites; }

    // A picture of the working folder, read anew each call; null when missing or unreadable,
    // and a window then shows nothing in its place.
    QImage picture(const QString& fileName) const;

    // Background Main, the named parts in their colours, banner and own picture loaded.
    void dress(QWidget* window, const SkinnedWindow& parts) const;

    // A named control's surface: its window and, for views and edits, its field, with texts
    // that read on it whatever the desktop's palette.
    static void setBackground(QWidget* widget, const QColor& color);
    // A named text in one of the skin's own text colours.
    static void setTextColor(QWidget* widget, const QColor& color);
    static QColor fromWindowsColor(quint32 value);

    // The contrast ratio of two colours by their relative luminance, from 1 to 21.
    static double contrast(const QColor& a, const QColor& b);
    // `wanted` where it reads on `background`; otherwise black, or white on a dark background.
    static QColor readableOn(const QColor& background, const QColor& wanted);
    // The controls drawn straight on a skinned surface: check boxes and radio buttons get
    // their box in the skin's field colour (a dark desktop leaves a black square on a pale
    // window), flat tool buttons a text that reads on the skin.
    void dressFlatControls(QWidget* window) const;

private:
    static void showPicture(QLabel* label, const QImage& image);

    bool m_loaded = false;
    QString m_displayName;
    QString m_workFolder;
    SkinColors m_colors;
    QImage m_sheet;
    SkinSprites m_sprites;
};
