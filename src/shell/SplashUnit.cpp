#include "SplashUnit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int kWidth = 400;
constexpr int kHeight = 250;
constexpr int kShowMs = 5000;
constexpr int kSmallestPointSize = 6;

// The font, a point smaller at a time, until the text lies inside its area: a desktop's
// wide or large font must not push it past the window's edge.
QFont fitted(QFont font, const QPaintDevice* device, const QRect& area, int flags,
             const QString& text) {
    while (font.pointSize() > kSmallestPointSize &&
           !area.contains(QFontMetrics(font, device).boundingRect(area, flags, text)))
        font.setPointSize(font.pointSize() - 1);
    return font;
}

} // namespace

TSplashForm::TSplashForm(std::function<void()> applySkin, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_applySkin(std::move(applySkin)) {
    setFixedSize(kWidth, kHeight);
    m_versionLabel = new QLabel(this);
    m_versionLabel->setStyleSheet(QStringLiteral("color: #e8f5ea; background: transparent;"));
    m_versionLabel->setText(QStringLiteral("ver 3.1.6"));
    m_versionLabel->adjustSize();
    m_versionLabel->move(kWidth - m_versionLabel->width() - 12,
                         kHeight - m_versionLabel->height() - 10);

    m_hideTimer = new QTimer(this);
    m_hideTimer->setInterval(kShowMs);
    m_hideTimer->setSingleShot(true);
    connect(m_hideTimer, &QTimer::timeout, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashForm::showModal() {
    setWindowModality(Qt::ApplicationModal);
    show();
}

void TSplashForm::applySkinOnce() {
    if (m_skinApplied)
        return;
    m_skinApplied = true;
    if (m_applySkin)
        m_applySkin();
}

void TSplashForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_skinApplied = false;
    m_hideTimer->start();
}

void TSplashForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_skinApplied) {
        // Queued behind the pending paint, so the picture is on screen while the skin is
        // unpacked; and never re-entering the event loop from inside show().
        QTimer::singleShot(0, this, [this] {
            repaint();
            applySkinOnce();
        });
    }
}

void TSplashForm::mousePressEvent(QMouseEvent*) {
    accept();
}

void TSplashForm::keyPressEvent(QKeyEvent*) {
    accept();
}

void TSplashForm::done(int result) {
    m_hideTimer->stop();
    applySkinOnce();
    QDialog::done(result);
}

void TSplashForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, kHeight);
    background.setColorAt(0, QColor(0x2E, 0x7D, 0x4F));
    background.setColorAt(1, QColor(0x17, 0x4A, 0x2E));
    painter.fillRect(rect(), background);

    // A speech bubble with three dots: a message on its way.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xD3, 0xEC, 0xCE));
    painter.drawRoundedRect(QRectF(40, 70, 110, 80), 18, 18);
    QPolygonF tail;
    tail << QPointF(70, 145) << QPointF(60, 175) << QPointF(100, 148);
    painter.drawPolygon(tail);
    painter.setBrush(QColor(0x2E, 0x7D, 0x4F));
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(QPointF(70 + i * 25, 110), 8, 8);

    painter.setPen(QColor(0xF4, 0xFB, 0xF5));
    for (const PaintedText& text : paintedTexts()) {
        painter.setFont(text.font);
        painter.drawText(text.area, text.flags, text.text);
    }
}

QList<TSplashForm::PaintedText> TSplashForm::paintedTexts() const {
    QFont title = font();
    title.setPointSize(30);
    title.setBold(true);
    QFont subtitle = font();
    subtitle.setPointSize(11);
    // The subtitle may take two lines; it ends above the version label.
    QList<PaintedText> texts = {
        {QStringLiteral("Varnelo"), title, QRect(170, 70, 218, 50),
         Qt::AlignLeft | Qt::AlignVCenter},
        {QStringLiteral("SMS-сообщения с компьютера"), subtitle, QRect(172, 120, 216, 56),
         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap},
    };
    for (PaintedText& text : texts)
        text.font = fitted(text.font, this, text.area, text.flags, text.text);
    return texts;
}
