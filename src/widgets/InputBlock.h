#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// While it lives, keyboard and mouse input to one window is dropped (the window keeps
// painting) and the cursor shows that the program is busy: for a request that the user
// waits for before the window may be used again.
class InputBlock : public QObject {
public:
    explicit InputBlock(QWidget* window, Qt::CursorShape cursor = Qt::BusyCursor);
    ~InputBlock() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
};
