#pragma once

#include <QString>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class QWidget;

// The header of the small windows: the banner across the top ("5.bmp"), the window's own
// picture on it, a bold title and a subtitle beside the picture. The skin fills in the
// pictures and colours later.
struct SkinnedHeader {
    QLabel* banner = nullptr;
    QLabel* picture = nullptr;
    QLabel* title = nullptr;
    QLabel* subtitle = nullptr; // may be left out
    // Only in the strip shape: the title, then the picture, for the body's layout.
    QHBoxLayout* titleRow = nullptr;

    static constexpr int kHeight = 56;
    static constexpr int kStripHeight = 25;

    // The banner is the returned header; `subtitle` empty leaves the second label out.
    static SkinnedHeader create(QWidget* parent, const QString& title, const QString& subtitle);

    // Lays `window` out as the banner across the top and, below it, the body this returns
    // (the small windows' margins, `spacing` between its rows), which takes the rest.
    QVBoxLayout* bodyBelow(QWidget* window, int spacing) const;

    // The account dialogs' shape: a thin banner across the top, and a bold title in a row of
    // its own below it, the picture at the row's right end. No subtitle.
    static SkinnedHeader createStrip(QWidget* parent, const QString& title);
};
