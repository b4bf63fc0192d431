#pragma once

#include <QDialog>
#include <QFont>
#include <QList>
#include <QRect>

#include <functional>

class QLabel;
class QTimer;

// The picture shown while the skin is unpacked. Applies the skin exactly once, whichever
// way it ends: its timer, a click, a key, or closing before it was ever activated.
class TSplashForm : public QDialog {
    Q_OBJECT
public:
    explicit TSplashForm(std::function<void()> applySkin, QWidget* parent = nullptr);

    QLabel* versionLabel() const { return m_versionLabel; }
    QTimer* hideTimer() const { return m_hideTimer; }

    bool skinApplied() const { return m_skinApplied; }

    // A text painted on the picture: in which font, within which area, with which flags.
    struct PaintedText {
        QString text;
        QFont font;
        QRect area;
        int flags = 0;
    };
    // The title and the subtitle, as they are painted.
    QList<PaintedText> paintedTexts() const;

    // Shows the window, modal to the whole program, and returns at once; finished() tells
    // when it has gone, which may be before this returns.
    void showModal();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_versionLabel = nullptr;
    QTimer* m_hideTimer = nullptr;
    void applySkinOnce();

    std::function<void()> m_applySkin;
    bool m_skinApplied = false;
};
