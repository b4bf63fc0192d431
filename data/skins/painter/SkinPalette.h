#pragma once

#include <QColor>
#include <QString>

// The colours one skin is drawn in. The four skin colours go into Config.cfg as they are;
// the others only shape the pictures.
struct SkinPalette {
    QString folder;
    QColor main;        // window backgrounds
    QColor other;       // text areas and lists
    QColor infoText;    // informational labels
    QColor captionText; // header titles
    QColor accent;      // frames, strip, banner ribbons
    QColor accentDark;
    QColor accentLight;
    QColor bannerBase; // the plain left part of the banner, behind the header pictures
};
