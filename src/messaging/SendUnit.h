#pragma once

#include <QWidget>

// The send window: one page per recipient. For now only the window that lives for the run
// and remembers whether the user hid it.
class TSendForm : public QWidget {
    Q_OBJECT
public:
    explicit TSendForm(QWidget* parent = nullptr);

    // True while the user keeps the window closed; the main window then shows it no more.
    bool IsHidden = true;
};
