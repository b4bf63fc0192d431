#pragma once

#include <QFont>
#include <QLabel>

// The main window's status text. The window has a fixed, narrow width: a text too wide for
// the room beside the size grip is drawn in a smaller font (down to 6 points) rather than cut;
// one that fits keeps the window's font.
class StatusLabel : public QLabel {
    Q_OBJECT
public:
    explicit StatusLabel(QWidget* parent = nullptr);

    // The font the present text is drawn in.
    QFont shownFont() const;

    // The label takes the room it is given, whatever its text.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
