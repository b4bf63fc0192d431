#pragma once

#include <QString>

class QLabel;
class QWidget;

// The header of the small windows: the banner across the top ("5.bmp"), the window's own
// picture on it, a bold title and a subtitle beside the picture. The skin fills in the
// pictures and colours later; the controls carry the window's names.
struct SkinnedHeader {
    QLabel* banner = nullptr;   // Image1
    QLabel* picture = nullptr;  // Image2
    QLabel* title = nullptr;    // Label6
    QLabel* subtitle = nullptr; // Label7, may be left out

    static constexpr int kHeight = 56;

    // The banner is the returned header; `subtitle` empty leaves the second label out.
    static SkinnedHeader create(QWidget* parent, const QString& title, const QString& subtitle);
};
